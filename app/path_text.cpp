#include "app/path_text.h"

#include <cstdint>

#include "runtime/core/codepage936.h"

namespace app {

bool EndsWithSeparator(const std::string& path) {
  size_t i = 0;
  bool last_is_separator = false;
  while (i < path.size()) {
    const bool pair = rt::IsLeadByte936(static_cast<uint8_t>(path[i])) && i + 1 < path.size();
    last_is_separator = !pair && path[i] == '\\';
    i += pair ? 2 : 1;
  }
  return last_is_separator;
}

std::string WithSeparator(const std::string& folder) {
  return EndsWithSeparator(folder) ? folder : folder + "\\";
}

}  // namespace app
