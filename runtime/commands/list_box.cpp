#include "runtime/commands/list_box.h"

#include "runtime/commands/stored_data.h"

namespace rt {

bool ReadListBoxData(const uint8_t* bytes, size_t size, ListBoxData* data) {
  return ReadStoredData(bytes, size, 0, kListBoxDataVersion, data, [](StoredDataReader& r, ListBoxData& d) {
    d.border_style = r.Word();
    d.sorted = r.Word();
    d.multi_column = r.Word();
    d.item_height_extra = r.Word();
    d.word6 = r.Word();
    d.background_colour = static_cast<uint32_t>(r.Word());
    d.extended_select = r.Word();
    d.selected_index = r.Word();
    d.font = r.Counted();
  });
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
