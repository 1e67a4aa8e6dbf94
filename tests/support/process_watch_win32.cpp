#include "tests/support/process_watch.h"

#include <psapi.h>

namespace test_support {

double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

double PrivateBytes(DWORD pid, bool* from_pagefile) {
  const ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (process.h == nullptr) return 0;
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  if (!K32GetProcessMemoryInfo(process.h, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
    return 0;
  }
  // Windows documents PagefileUsage as the same commit charge; Wine 8 fills
  // only that one.
  *from_pagefile = counters.PrivateUsage == 0;
  return static_cast<double>(*from_pagefile ? counters.PagefileUsage : counters.PrivateUsage);
}

HWND VisibleWindow(DWORD pid, const char* cls, const char* caption) {
  for (HWND w = FindWindowExA(nullptr, nullptr, cls, caption); w != nullptr;
       w = FindWindowExA(nullptr, w, cls, caption)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

}  // namespace test_support
