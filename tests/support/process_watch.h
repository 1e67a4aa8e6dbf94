// What the tools that watch the program from outside (the bench, the soak)
// read of it: a clock, a process's private bytes, its visible windows; and
// a handle that closes itself.
#pragma once

#include <windows.h>

namespace test_support {

// Closes a process, thread or file handle at the end of its scope.
struct ScopedHandle {
  HANDLE h;
  explicit ScopedHandle(HANDLE handle) : h(handle) {}
  ~ScopedHandle() {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
};

// Seconds of the performance counter.
double Seconds();

// The private bytes of a process; 0 when they cannot be read.
// *from_pagefile says when they come from PagefileUsage.
double PrivateBytes(DWORD pid, bool* from_pagefile);

// A visible top-level window of process `pid` of that class (and caption,
// unless null); null when there is none. Cheap enough to poll every few
// milliseconds.
HWND VisibleWindow(DWORD pid, const char* cls, const char* caption);

}  // namespace test_support
