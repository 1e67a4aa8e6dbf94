#include "runtime/commands/button.h"

#include "runtime/commands/stored_data.h"

namespace rt {

bool ReadButtonData(const uint8_t* bytes, size_t size, ButtonData* data) {
  if (bytes == nullptr || size == 0) {
    *data = ButtonData();
    return true;
  }
  StoredDataReader r(bytes, size);
  ButtonData d;
  d.version = r.Word();
  if (!r.ok() || d.version != kButtonDataVersion) return false;
  d.caption = r.Counted();
  if (!r.ok() || !r.AtEnd()) return false;
  *data = d;
  return true;
}

std::vector<uint8_t> WriteButtonData(const ButtonData& data) {
  StoredDataWriter w;
  w.Word(data.version);
  w.Counted(data.caption);
  return w.bytes();
}

}  // namespace rt
