#include <windows.h>

#include "runtime/core/find_file.h"
#include "runtime/core/heap.h"
#include "runtime/core/thread_stop.h"

namespace rt {

void CloseFind(uintptr_t handle) {
  if (handle == 0) return;
  ReleaseWorkerHandle(handle);
  FindClose(reinterpret_cast<HANDLE>(handle));
}

char* FindFile(const char* pattern, int32_t mask, int32_t all_files, uintptr_t* handle) {
  // Every step of a search is a safe point; the handle stays in the
  // caller's variable, as it would after any other step.
  ThreadSafePoint();
  const int32_t effective = EffectiveSearchMask(mask, all_files);
  WIN32_FIND_DATAA entry;
  bool have_entry = false;
  if (pattern != nullptr && *pattern != '\0') {
    CloseFind(*handle);
    *handle = 0;
    HANDLE h = FindFirstFileA(pattern, &entry);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    *handle = reinterpret_cast<uintptr_t>(h);
    // Closed by the runtime should a stop end a worker inside the search.
    HoldWorkerHandle(*handle, HeldHandleKind::kFileSearch);
    have_entry = true;
  } else if (*handle == 0) {
    return nullptr;
  }
  for (;;) {
    ThreadSafePoint();
    if (!have_entry) {
      if (!FindNextFileA(reinterpret_cast<HANDLE>(*handle), &entry)) {
        CloseFind(*handle);
        *handle = 0;
        return nullptr;
      }
    }
    have_entry = false;
    if (SearchEntryMatches(entry.dwFileAttributes, effective)) return NewText(entry.cFileName);
  }
}

}  // namespace rt
