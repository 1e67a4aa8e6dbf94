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

// A command fills only the payload of its result; the tag stays as the gate
// left it.
TEST(ArgValueTest, ResultSettersFillThePayloadOnly) {
  ArgValue result = ArgValue::Make(0x12345678);
  SetInt(&result, -2);
  EXPECT_EQ(0xFFFFFFFEu, result.Word(0));
  EXPECT_EQ(0u, result.Word(1));
  EXPECT_EQ(0x12345678u, result.tag);

  result = ArgValue::Omitted();
  SetBool(&result, true);
  EXPECT_EQ(1u, result.Word(0));
  SetBool(&result, false);
  EXPECT_EQ(0u, result.Word(0));
  SetInt64(&result, -5);
  EXPECT_EQ(-5, result.AsInt64());
  SetDouble(&result, 2.5);
  EXPECT_EQ(2.5, result.AsDouble());
  const char text[] = "abc";
  SetText(&result, text);
  EXPECT_EQ(text, result.AsText());
  SetAddress(&result, &result);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(&result), result.AsAddress());
  EXPECT_EQ(kTagOmitted, result.tag);
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
