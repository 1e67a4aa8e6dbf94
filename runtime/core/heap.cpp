#include "runtime/core/heap.h"

#include <cstdio>
#include <cstring>

#include "runtime/core/platform_heap.h"
#include "runtime/core/runtime_error.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/values.h"

namespace rt {
namespace {

[[noreturn]] void ReportAllocationFailure(int32_t size) {
  char message[64];
  std::snprintf(message, sizeof message, "分配 %d 字节内存失败!", size);
  ReportErrorMessage(message, 0, 0, 0);
}

}  // namespace

void* TryAllocateMemory(int32_t size) {
  if (size < 0) return nullptr;
  return platform::HeapAllocate(static_cast<size_t>(size));
}

void* AllocateMemory(int32_t size) {
  void* p = TryAllocateMemory(size);
  if (p == nullptr) ReportAllocationFailure(size);
  return p;
}

void* ReallocateMemory(void* p, int32_t size) {
  if (p == nullptr) return AllocateMemory(size);
  if (InConstantData(p)) {
    // A literal is never resized in place: copy what lies inside the block.
    void* fresh = AllocateMemory(size);
    const size_t available =
        static_cast<size_t>(Runtime().constant_end - static_cast<const unsigned char*>(p));
    const size_t wanted = size > 0 ? static_cast<size_t>(size) : 0;
    std::memcpy(fresh, p, wanted < available ? wanted : available);
    return fresh;
  }
  if (size < 0) ReportAllocationFailure(size);
  void* q = platform::HeapResize(p, static_cast<size_t>(size));
  if (q == nullptr) ReportAllocationFailure(size);
  return q;
}

void FreeMemory(void* p) {
  if (p == nullptr || InConstantData(p)) return;
  platform::HeapRelease(p);
}

void SetConstantDataRange(const void* start, uint32_t length) {
  auto* s = static_cast<const unsigned char*>(start);
  Runtime().constant_start = s;
  Runtime().constant_end = s + length;
}

void ClearConstantDataRange() {
  Runtime().constant_start = nullptr;
  Runtime().constant_end = nullptr;
}

bool InConstantData(const void* p) {
  const RuntimeState& state = Runtime();
  auto* q = static_cast<const unsigned char*>(p);
  return state.constant_start != nullptr && q >= state.constant_start && q < state.constant_end;
}

char* NewText(const char* s) {
  if (s == nullptr || *s == '\0') return nullptr;
  return NewTextN(s, static_cast<int32_t>(std::strlen(s)));
}

std::string TakeText(const char* text) {
  std::string copy = text != nullptr ? text : "";
  FreeMemory(const_cast<char*>(text));
  return copy;
}

char* NewTextN(const char* s, int32_t length) {
  if (length < 1) return nullptr;
  auto* t = static_cast<char*>(AllocateMemory(length + 1));
  std::memcpy(t, s, static_cast<size_t>(length));
  t[length] = '\0';
  return t;
}

void* NewByteBuffer(const void* data, int32_t length) {
  if (length <= 0) return nullptr;
  auto* b = static_cast<unsigned char*>(AllocateMemory(length + 8));
  const int32_t header[2] = {1, length};
  std::memcpy(b, header, sizeof header);
  std::memcpy(b + 8, data, static_cast<size_t>(length));
  return b;
}

int32_t ByteBufferLength(const void* buffer) {
  if (buffer == nullptr) return 0;
  int32_t length;
  std::memcpy(&length, static_cast<const unsigned char*>(buffer) + 4, 4);
  return length;
}

const unsigned char* ByteBufferData(const void* buffer) {
  return buffer == nullptr ? nullptr : static_cast<const unsigned char*>(buffer) + 8;
}

uint32_t ArrayElementCount(const void* block) {
  if (block == nullptr) return 0;
  auto* words = static_cast<const int32_t*>(block);
  const int32_t dims = words[0];
  if (dims <= 0) return 0;
  uint64_t count = 1;
  for (int32_t i = 1; i <= dims; ++i) {
    if (words[i] <= 0) return 0;
    count *= static_cast<uint32_t>(words[i]);
    if (count > 0xFFFFFFFFu) return 0;
  }
  return static_cast<uint32_t>(count);
}

void* ArrayElements(void* block) {
  auto* words = static_cast<int32_t*>(block);
  return words + 1 + words[0];
}

void* NewPointerArray(uint32_t count) {
  const size_t size = 8 + static_cast<size_t>(count) * sizeof(void*);
  auto* block = static_cast<int32_t*>(AllocateMemory(static_cast<int32_t>(size)));
  std::memset(block, 0, size);
  block[0] = 1;
  block[1] = static_cast<int32_t>(count);
  return block;
}

void FreeArrayValue(uint32_t element_tag, void* block) {
  if (block == nullptr) return;
  constexpr uint32_t kIgnoredTagBit = 0x20000000u;  // bit 29: no part of the kind
  const uint32_t kind = element_tag & ~kIgnoredTagBit;
  if (kind == kTagText || kind == kTagBuffer) {
    void** elements = static_cast<void**>(ArrayElements(block));
    const uint32_t n = ArrayElementCount(block);
    for (uint32_t i = 0; i < n; ++i) FreeMemory(elements[i]);
  }
  FreeMemory(block);
}

void MakeArrayWritable(int32_t element_size, void** variable) {
  void* block = *variable;
  if (block == nullptr || !InConstantData(block)) return;
  const int32_t dims = static_cast<const int32_t*>(block)[0];
  const uint64_t size = 4 + 4 * static_cast<uint64_t>(dims > 0 ? dims : 0) +
                        static_cast<uint64_t>(ArrayElementCount(block)) *
                            static_cast<uint64_t>(element_size > 0 ? element_size : 0);
  if (size == 0 || size > 0x7FFFFFFF) return;
  void* copy = AllocateMemory(static_cast<int32_t>(size));
  // The copy never reads past the constant block, whatever the header claims.
  const size_t available =
      static_cast<size_t>(Runtime().constant_end - static_cast<const unsigned char*>(block));
  std::memset(copy, 0, static_cast<size_t>(size));
  std::memcpy(copy, block, size < available ? static_cast<size_t>(size) : available);
  *variable = copy;
}

}  // namespace rt
