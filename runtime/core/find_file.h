// The file search services: one running search per handle variable.
#pragma once

#include <cstdint>

namespace rt {

constexpr uint32_t kAttrDirectory = 0x10;
constexpr int32_t kSearchMask = 0x37;  // read-only, hidden, system, folder, archive

// Whether an entry with `attributes` matches the effective mask
// (-1: every entry that is not a directory; 0: entries with no attribute).
bool SearchEntryMatches(uint32_t attributes, int32_t effective_mask);
int32_t EffectiveSearchMask(int32_t mask, int32_t all_files);

// A non-empty pattern closes the search in *handle and starts a new one; an
// empty or null pattern continues it. Returns the next matching bare name as
// a new text, or null when none is left (the search is then closed).
char* FindFile(const char* pattern, int32_t mask, int32_t all_files, uintptr_t* handle);
void CloseFind(uintptr_t handle);

}  // namespace rt
