#include "runtime/commands/button.h"

#include "runtime/commands/stored_data.h"

namespace rt {

bool ReadButtonData(const uint8_t* bytes, size_t size, ButtonData* data) {
  return ReadStoredData(bytes, size, kButtonDataVersion, kButtonDataVersion, data,
                        [](StoredDataReader& r, ButtonData& d) {
                          d.caption = r.Counted();
                          r.ExpectEnd();
                        });
}

std::vector<uint8_t> WriteButtonData(const ButtonData& data) {
  StoredDataWriter w;
  w.Word(data.version);
  w.Counted(data.caption);
  return w.bytes();
}

}  // namespace rt
