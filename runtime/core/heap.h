// RuntimeHeap and the rules for texts, byte buffers and arrays that cross
// the runtime boundary: whoever holds a value last frees it; values inside
// the read-only constant data block are shared and never freed.
#pragma once

#include <cstdint>
#include <string>

namespace rt {

// Heap operations; a failed allocation is a runtime error and ends the program.
void* AllocateMemory(int32_t size);
void* ReallocateMemory(void* p, int32_t size);
void FreeMemory(void* p);
// The second allocation path (request 2024 with its flag set): may return null.
void* TryAllocateMemory(int32_t size);

// The constant data block: [start, start + length).
void SetConstantDataRange(const void* start, uint32_t length);
void ClearConstantDataRange();
bool InConstantData(const void* p);

// Value builders. Empty results are null, never an allocated empty text.
char* NewText(const char* s);
char* NewTextN(const char* s, int32_t length);
// A text handed over by a command or a property, as a copy (null is the
// empty text); the text itself is freed.
std::string TakeText(const char* text);
void* NewByteBuffer(const void* data, int32_t length);
// Byte buffer block accessors (count 1, length N, then N bytes).
int32_t ByteBufferLength(const void* buffer);
const unsigned char* ByteBufferData(const void* buffer);

// Array blocks: dimension count D, D element counts, then the elements.
// Element count is the product of the counts (0 when a count is negative).
uint32_t ArrayElementCount(const void* block);
void* ArrayElements(void* block);
// A new one-dimensional array of `count` pointer-sized elements, zeroed.
void* NewPointerArray(uint32_t count);
// Request 2023: frees the elements of a text or buffer array, then the block.
void FreeArrayValue(uint32_t element_tag, void* block);

// Service 2: a block in the constant data is replaced by a heap copy.
void MakeArrayWritable(int32_t element_size, void** variable);

}  // namespace rt
