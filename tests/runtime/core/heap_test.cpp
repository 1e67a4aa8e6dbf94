#include "runtime/core/heap.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/core/values.h"

namespace rt {
namespace {

// A stand-in for the program's constant data block: a literal and the
// shared empty array (1, 0).
struct ConstantBlock {
  alignas(8) unsigned char bytes[24] = {'a', 'b', 'c', 0, 1, 0, 0, 0, 0, 0, 0, 0};
  ConstantBlock() { SetConstantDataRange(bytes, sizeof bytes); }
  ~ConstantBlock() { ClearConstantDataRange(); }
  char* text() { return reinterpret_cast<char*>(bytes); }
  void* empty_array() { return bytes + 4; }
};

TEST(HeapTest, FreeIgnoresNullAndConstantData) {
  ConstantBlock block;
  FreeMemory(nullptr);
  FreeMemory(block.text());
  FreeMemory(block.text() + 2);
  EXPECT_STREQ("abc", block.text());
  EXPECT_TRUE(InConstantData(block.bytes + 23));
  EXPECT_FALSE(InConstantData(block.bytes + 24));
}

TEST(HeapTest, ReallocatingALiteralCopiesOnlyWhatLiesInsideTheBlock) {
  ConstantBlock block;
  // Starting 2 bytes before the end, a 10-byte request may copy only 2 bytes.
  std::memcpy(block.bytes + 22, "xy", 2);
  auto* grown = static_cast<char*>(ReallocateMemory(block.bytes + 22, 10));
  ASSERT_NE(nullptr, grown);
  EXPECT_FALSE(InConstantData(grown));
  EXPECT_EQ(0, std::memcmp(grown, "xy", 2));
  EXPECT_EQ('x', static_cast<char>(block.bytes[22]));
  FreeMemory(grown);

  auto* copy = static_cast<char*>(ReallocateMemory(block.text(), 4));
  EXPECT_STREQ("abc", copy);
  copy = static_cast<char*>(ReallocateMemory(copy, 64));  // an ordinary heap resize now
  EXPECT_STREQ("abc", copy);
  FreeMemory(copy);
}

TEST(HeapTest, BuildersNeverReturnAnEmptyAllocatedText) {
  EXPECT_EQ(nullptr, NewText(nullptr));
  EXPECT_EQ(nullptr, NewText(""));
  EXPECT_EQ(nullptr, NewTextN("abc", 0));
  EXPECT_EQ(nullptr, NewTextN("abc", -3));
  EXPECT_EQ(nullptr, NewByteBuffer("abc", 0));
  char* two = NewTextN("abc", 2);
  EXPECT_STREQ("ab", two);
  FreeMemory(two);

  void* buffer = NewByteBuffer("\x01\x00\x02", 3);
  ASSERT_NE(nullptr, buffer);
  int32_t header[2];
  std::memcpy(header, buffer, sizeof header);
  EXPECT_EQ(1, header[0]);
  EXPECT_EQ(3, header[1]);
  EXPECT_EQ(3, ByteBufferLength(buffer));
  EXPECT_EQ(0, std::memcmp(ByteBufferData(buffer), "\x01\x00\x02", 3));
  FreeMemory(buffer);
}

TEST(HeapTest, FreeArrayValueFreesTextElementsButNotNumbers) {
  void* texts = NewPointerArray(3);
  void** elements = static_cast<void**>(ArrayElements(texts));
  elements[0] = NewText("one");
  elements[2] = NewText("three");
  EXPECT_EQ(3u, ArrayElementCount(texts));
  // Bit 29 of the element tag does not change the kind.
  FreeArrayValue(kTagText | 0x20000000u, texts);  // LeakSanitizer checks the elements

  void* numbers = AllocateMemory(8 + 2 * 4);
  const int32_t words[4] = {1, 2, 7, 9};
  std::memcpy(numbers, words, sizeof words);
  FreeArrayValue(kTagInt, numbers);
}

TEST(HeapTest, ArrayElementCountIsTheProductOfTheDimensions) {
  const int32_t two_by_three[3] = {2, 2, 3};
  EXPECT_EQ(6u, ArrayElementCount(two_by_three));
  const int32_t negative[2] = {1, -1};
  EXPECT_EQ(0u, ArrayElementCount(negative));
  EXPECT_EQ(0u, ArrayElementCount(nullptr));
}

TEST(HeapTest, MakeArrayWritableCopiesOnlyConstantBlocks) {
  ConstantBlock block;
  void* variable = block.empty_array();
  MakeArrayWritable(4, &variable);
  ASSERT_NE(block.empty_array(), variable);
  EXPECT_FALSE(InConstantData(variable));
  int32_t copied[2];
  std::memcpy(copied, variable, sizeof copied);
  EXPECT_EQ(1, copied[0]);
  EXPECT_EQ(0, copied[1]);

  void* heap_block = variable;
  MakeArrayWritable(4, &variable);  // already private: left alone
  EXPECT_EQ(heap_block, variable);
  FreeMemory(variable);
}

}  // namespace
}  // namespace rt
