#include "app/batch_conversion.h"

#include <cstdlib>

namespace app {

int32_t MaxConversions(int32_t processors, const std::string& setting) {
  if (!setting.empty()) {
    char* end = nullptr;
    const long value = std::strtol(setting.c_str(), &end, 10);
    if (end != nullptr && *end == '\0' && value >= 1 && value <= kMostConversions) {
      return static_cast<int32_t>(value);
    }
  }
  if (processors < 1) return 1;
  return processors < kMostConversions ? processors : kMostConversions;
}

std::string ProgressCaption(const std::string& rest, int32_t done, int32_t total) {
  return rest + " " + std::to_string(done) + "/" + std::to_string(total);
}

}  // namespace app
