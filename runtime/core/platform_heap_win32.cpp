#include "runtime/core/platform_heap.h"

#include <windows.h>

namespace rt::platform {

// The process's default heap serialises itself, so worker threads may share it.
void* HeapAllocate(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }
void* HeapResize(void* p, size_t size) { return HeapReAlloc(GetProcessHeap(), 0, p, size); }
void HeapRelease(void* p) { HeapFree(GetProcessHeap(), 0, p); }

}  // namespace rt::platform
