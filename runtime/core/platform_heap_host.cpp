#include <cstdlib>

#include "runtime/core/platform_heap.h"

namespace rt::platform {

// malloc(0) may answer null; the process heap gives a block for 0 bytes.
void* HeapAllocate(size_t size) { return std::malloc(size ? size : 1); }
void* HeapResize(void* p, size_t size) { return std::realloc(p, size ? size : 1); }
void HeapRelease(void* p) { std::free(p); }

}  // namespace rt::platform
