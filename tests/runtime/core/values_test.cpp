#include "runtime/core/values.h"

#include <gtest/gtest.h>

#include <cstring>

namespace rt {
namespace {

TEST(ArgValueTest, PayloadLayoutIsLittleEndianWithTagAfterEightBytes) {
  ArgValue v = ArgValue::Int(-2);
  unsigned char bytes[12];
  std::memcpy(bytes, &v, sizeof bytes);
  const unsigned char expected[12] = {0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0x01, 0x03, 0x00, 0x80};
  EXPECT_EQ(0, std::memcmp(bytes, expected, 12));

  ArgValue d = ArgValue::Double(1.5);
  EXPECT_EQ(1.5, d.AsDouble());
  EXPECT_EQ(0x80000601u, d.tag);
  EXPECT_EQ(0x3FF80000u, d.Word(1));
}

TEST(ArgValueTest, OmittedIsTagZeroNotZeroPayload) {
  EXPECT_TRUE(ArgValue::Omitted().IsOmitted());
  EXPECT_FALSE(ArgValue::Int(0).IsOmitted());
  EXPECT_FALSE(ArgValue::Text(nullptr).IsOmitted());
}

TEST(LiteralTextTest, LiteralsAreGbkBytes) {
  const char* text = "转换成功";
  const unsigned char expected[] = {0xD7, 0xAA, 0xBB, 0xBB, 0xB3, 0xC9, 0xB9, 0xA6, 0};
  ASSERT_EQ(8u, std::strlen(text));
  EXPECT_EQ(0, std::memcmp(text, expected, sizeof expected));
  // A trail byte may equal '\\' (0x5C).
  EXPECT_STREQ("\xD5\x5C", "誠");
}

}  // namespace
}  // namespace rt
