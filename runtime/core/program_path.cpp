#include "runtime/core/program_path.h"

#include "runtime/core/codepage936.h"

namespace rt {

void SplitProgramPath(const std::string& path, std::string* directory, std::string* name) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    const uint8_t byte = static_cast<uint8_t>(path[i]);
    if (IsLeadByte936(byte) && i + 1 < path.size()) {
      ++i;  // the trail byte belongs to this character
    } else if (byte == '\\') {
      last = i;
    }
  }
  if (last == std::string::npos) {
    directory->clear();
    *name = path;
  } else {
    *directory = path.substr(0, last);
    *name = path.substr(last + 1);
  }
}

}  // namespace rt
