#include "runtime/commands/drop_target.h"

#include "runtime/commands/stored_data.h"

namespace rt {

bool ReadDropTargetData(const uint8_t* bytes, size_t size, DropTargetData* data) {
  return ReadStoredData(bytes, size, 0, kDropTargetDataVersion, data, [](StoredDataReader& r, DropTargetData& d) {
    for (int32_t& flag : d.accept) flag = r.Word() != 0 ? 1 : 0;
  });
}

std::vector<uint8_t> WriteDropTargetData(const DropTargetData& d) {
  StoredDataWriter w;
  w.Word(d.version);
  for (int32_t flag : d.accept) w.Word(flag);
  return w.bytes();
}

uint32_t ComputeDropEffect(bool accepting, uint32_t key_state, uint32_t allowed) {
  if (!accepting) return kDropEffectNone;
  const bool control = (key_state & kKeyControl) != 0;
  const bool shift = (key_state & kKeyShift) != 0;
  if (control || shift) {
    // Ctrl+Shift asks for a link, which this target never makes.
    const uint32_t chosen = control && shift ? kDropEffectLink : (control ? kDropEffectCopy : kDropEffectMove);
    if (chosen == kDropEffectLink || (allowed & chosen) == 0) return kDropEffectNone;
    return chosen;
  }
  if (allowed & kDropEffectCopy) return kDropEffectCopy;
  if (allowed & kDropEffectMove) return kDropEffectMove;
  if (allowed & kDropEffectLink) return kDropEffectLink;
  return kDropEffectNone;
}

std::string FileListText(const std::vector<std::string>& names) {
  if (names.size() == 1) return names.front();
  std::string text;
  for (const std::string& name : names) {
    text += name;
    text += "\r\n";
  }
  return text;
}

}  // namespace rt
