#include "runtime/core/find_file.h"

namespace rt {

int32_t EffectiveSearchMask(int32_t mask, int32_t all_files) {
  return all_files != 0 ? -1 : (mask & kSearchMask);
}

bool SearchEntryMatches(uint32_t attributes, int32_t effective_mask) {
  if (effective_mask == -1) return (attributes & kAttrDirectory) == 0;
  if (effective_mask == 0) return attributes == 0;
  return (attributes & static_cast<uint32_t>(effective_mask)) != 0;
}

}  // namespace rt
