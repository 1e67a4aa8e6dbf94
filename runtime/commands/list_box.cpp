#include "runtime/commands/list_box.h"

#include "runtime/commands/stored_data.h"

namespace rt {

bool ReadListBoxData(const uint8_t* bytes, size_t size, ListBoxData* data) {
  if (bytes == nullptr || size == 0) {
    *data = ListBoxData();
    return true;
  }
  StoredDataReader r(bytes, size);
  ListBoxData d;
  d.version = r.Word();
  if (!r.ok() || d.version < 0 || d.version > kListBoxDataVersion) return false;
  d.border_style = r.Word();
  d.sorted = r.Word();
  d.multi_column = r.Word();
  d.item_height_extra = r.Word();
  d.word6 = r.Word();
  d.background_colour = static_cast<uint32_t>(r.Word());
  d.extended_select = r.Word();
  d.selected_index = r.Word();
  d.font = r.Counted();
  if (!r.ok()) return false;
  *data = d;
  return true;
}

std::vector<uint8_t> WriteListBoxData(const ListBoxData& d) {
  StoredDataWriter w;
  w.Word(d.version);
  w.Word(d.border_style);
  w.Word(d.sorted);
  w.Word(d.multi_column);
  w.Word(d.item_height_extra);
  w.Word(d.word6);
  w.Word(static_cast<int32_t>(d.background_colour));
  w.Word(d.extended_select);
  w.Word(d.selected_index);
  w.Counted(d.font);
  return w.bytes();
}

}  // namespace rt
