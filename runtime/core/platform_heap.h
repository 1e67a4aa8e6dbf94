// The process heap underneath RuntimeHeap; one implementation per platform.
#pragma once

#include <cstddef>

namespace rt::platform {

void* HeapAllocate(size_t size);
void* HeapResize(void* p, size_t size);
void HeapRelease(void* p);

}  // namespace rt::platform
