#include "runtime/commands/text_transform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <limits>
#include <string>

#include "runtime/core/codepage936.h"
#include "runtime/core/heap.h"

namespace rt {
namespace {

// Runs TransformText and frees its result; "<null>" stands for a null result
// so that an allocated empty text would show up as a difference.
std::string Transform(const char* text, int32_t mode) {
  char* result = TransformText(text, mode);
  std::string out = result == nullptr ? std::string("<null>") : std::string(result);
  FreeMemory(result);
  return out;
}

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// ---- Modes 0 and 1: letter case --------------------------------------------------

TEST(TransformTextCaseTest, UpperCaseChangesOnlyLowerAsciiLetters) {
  EXPECT_EQ("ABC XYZ @[`{ 09", Transform("abc xyz @[`{ 09", kTransformUpperCase));
  EXPECT_EQ("ABC", Transform("ABC", kTransformUpperCase));
}

TEST(TransformTextCaseTest, LowerCaseChangesOnlyUpperAsciiLetters) {
  EXPECT_EQ("abc xyz @[`{ 09", Transform("ABC XYZ @[`{ 09", kTransformLowerCase));
  EXPECT_EQ("abc def", Transform("ABC def", kTransformLowerCase));
}

TEST(TransformTextCaseTest, TrailBytesArePassedOver) {
  EXPECT_EQ("A\xC4\xE3" "B", Transform("a\xC4\xE3" "b", kTransformUpperCase));
  // Trail bytes in the letter ranges stay as they are.
  EXPECT_EQ("\x81" "aB", Transform("\x81" "ab", kTransformUpperCase));
  EXPECT_EQ("\x81" "Ab", Transform("\x81" "AB", kTransformLowerCase));
  EXPECT_EQ("\xFF" "zZ", Transform("\xFF" "zz", kTransformUpperCase));
}

TEST(TransformTextCaseTest, LoneLeadByteAtTheEndIsKept) {
  EXPECT_EQ("A\xD6", Transform("a\xD6", kTransformUpperCase));
  EXPECT_EQ("a\xD6", Transform("A\xD6", kTransformLowerCase));
  EXPECT_EQ("\xD6", Transform("\xD6", kTransformUpperCase));
}

TEST(TransformTextCaseTest, EmptyTextGivesNull) {
  for (int32_t mode : {0, 1, 2, 3, 4, -1}) {
    EXPECT_EQ("<null>", Transform(nullptr, mode)) << mode;
    EXPECT_EQ("<null>", Transform("", mode)) << mode;
  }
}

TEST(TransformTextCaseTest, ResultIsAlwaysANewText) {
  const char text[] = "ABC";
  for (int32_t mode : {0, 1, 2, 3, 7}) {
    char* result = TransformText(text, mode);
    EXPECT_NE(text, result) << mode;
    FreeMemory(result);
  }
}

TEST(TransformTextCaseTest, UnknownModeGivesAnUnchangedCopy) {
  EXPECT_EQ("aB \xD6\xD0 1", Transform("aB \xD6\xD0 1", 4));
  EXPECT_EQ("aB \xD6\xD0 1", Transform("aB \xD6\xD0 1", -1));
  EXPECT_EQ("aB", Transform("aB", std::numeric_limits<int32_t>::min()));
}

// ---- Mode 2: full width -------------------------------------------------------------

TEST(TransformTextFullWidthTest, SpaceAndTildeHaveTheirOwnPairs) {
  EXPECT_EQ(Bytes({0xA1, 0xA1}), Transform(" ", kTransformFullWidth));
  EXPECT_EQ(Bytes({0xA1, 0xAB}), Transform("~", kTransformFullWidth));
}

TEST(TransformTextFullWidthTest, PrintableAsciiBecomesA3WithBitSevenSet) {
  EXPECT_EQ(Bytes({0xA3, 0xC1}), Transform("A", kTransformFullWidth));
  EXPECT_EQ(Bytes({0xA3, 0xB1, 0xA3, 0xB2}), Transform("12", kTransformFullWidth));
  for (int b = 0x21; b <= 0x7D; ++b) {
    const char text[2] = {static_cast<char>(b), 0};
    EXPECT_EQ(Bytes({0xA3, static_cast<unsigned char>(b | 0x80)}),
              Transform(text, kTransformFullWidth))
        << "byte " << b;
  }
}

TEST(TransformTextFullWidthTest, ControlBytesAndDeleteAreCopied) {
  EXPECT_EQ("\x01\t\n\x1F\x7F", Transform("\x01\t\n\x1F\x7F", kTransformFullWidth));
}

TEST(TransformTextFullWidthTest, DoubleByteCharactersAreCopied) {
  EXPECT_EQ("\xD6\xD0\xCE\xC4", Transform("中文", kTransformFullWidth));
  // The pair is taken whole even when its trail byte is ASCII.
  EXPECT_EQ(Bytes({0x81, 0x41, 0xA3, 0xC1}), Transform("\x81" "AA", kTransformFullWidth));
}

TEST(TransformTextFullWidthTest, LoneLeadByteAtTheEndIsDropped) {
  EXPECT_EQ(Bytes({0xA3, 0xE1}), Transform("a\xD6", kTransformFullWidth));
  EXPECT_EQ("<null>", Transform("\xD6", kTransformFullWidth));
}

// ---- Mode 3: half width --------------------------------------------------------------

TEST(TransformTextHalfWidthTest, TableOfSpecialPairs) {
  EXPECT_EQ(" ", Transform("\xA1\xA1", kTransformHalfWidth));
  EXPECT_EQ("~", Transform("\xA1\xAB", kTransformHalfWidth));
  EXPECT_EQ("*", Transform("\xA1\xEE", kTransformHalfWidth));
  EXPECT_EQ("*", Transform("\xA1\xEF", kTransformHalfWidth));
}

TEST(TransformTextHalfWidthTest, EveryA3PairFromA1ToFE) {
  for (int t = 0xA1; t <= 0xFE; ++t) {
    const char text[3] = {'\xA3', static_cast<char>(t), 0};
    EXPECT_EQ(std::string(1, static_cast<char>(t & 0x7F)), Transform(text, kTransformHalfWidth))
        << "trail " << t;
  }
}

TEST(TransformTextHalfWidthTest, OtherPairsAreCopied) {
  EXPECT_EQ("\xA3\xA0", Transform("\xA3\xA0", kTransformHalfWidth));
  EXPECT_EQ("\xA3\xFF", Transform("\xA3\xFF", kTransformHalfWidth));
  EXPECT_EQ("\xA1\xA2", Transform("\xA1\xA2", kTransformHalfWidth));
  EXPECT_EQ("\xA1\xED", Transform("\xA1\xED", kTransformHalfWidth));
  EXPECT_EQ("\xA2\xA1", Transform("\xA2\xA1", kTransformHalfWidth));
  EXPECT_EQ("中文", Transform("中文", kTransformHalfWidth));
  // A pair whose trail byte is ASCII stays together.
  EXPECT_EQ("\xA3" "A", Transform("\xA3" "A", kTransformHalfWidth));
}

TEST(TransformTextHalfWidthTest, AsciiIsCopiedAndLoneLeadByteIsDropped) {
  EXPECT_EQ("abc 1~\x01", Transform("abc 1~\x01", kTransformHalfWidth));
  EXPECT_EQ("1", Transform("1\xA3", kTransformHalfWidth));
  EXPECT_EQ("<null>", Transform("\xA3", kTransformHalfWidth));
}

TEST(TransformTextHalfWidthTest, MixedText) {
  // "ＱＱ　号：１２３" with a real double-byte character in between.
  EXPECT_EQ("QQ \xBA\xC5:123",
            Transform("\xA3\xD1\xA3\xD1\xA1\xA1\xBA\xC5\xA3\xBA\xA3\xB1\xA3\xB2\xA3\xB3",
                      kTransformHalfWidth));
}

TEST(TransformTextWidthTest, HalfWidthUndoesFullWidthForAllPrintableAscii) {
  std::string ascii;
  for (int b = 0x20; b <= 0x7E; ++b) ascii += static_cast<char>(b);
  char* wide = TransformText(ascii.c_str(), kTransformFullWidth);
  ASSERT_NE(nullptr, wide);
  EXPECT_EQ(2 * ascii.size(), std::string(wide).size());
  EXPECT_EQ(ascii, Transform(wide, kTransformHalfWidth));
  FreeMemory(wide);
}

// Every text of one or two bytes, each in a block of exactly its own size,
// so that a read past the terminator is caught by the address checker.
TEST(TransformTextWidthTest, EveryShortTextStaysInsideItsBuffer) {
  for (int first = 1; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const size_t length = second == 0 ? 1 : 2;
      std::unique_ptr<char[]> text(new char[length + 1]);
      text[0] = static_cast<char>(first);
      text[1] = static_cast<char>(second);
      text[length] = '\0';
      for (int32_t mode = 0; mode <= 3; ++mode) {
        char* result = TransformText(text.get(), mode);
        const size_t out = result == nullptr ? 0 : std::strlen(result);
        const size_t limit = mode == kTransformFullWidth ? 2 * length : length;
        if (out > limit || (mode <= kTransformLowerCase && out != length)) {
          ADD_FAILURE() << "mode " << mode << " bytes " << first << " " << second;
        }
        FreeMemory(result);
      }
    }
  }
}

// ---- ReadDecimal -----------------------------------------------------------------------

TEST(ReadDecimalTest, SkipsWhiteSpaceAndTakesOneSign) {
  EXPECT_EQ(-12, ReadDecimal("  -12abc"));
  EXPECT_EQ(7, ReadDecimal("+7"));
  EXPECT_EQ(42, ReadDecimal(" \t\n\v\f\r42"));
  EXPECT_EQ(7, ReadDecimal("007"));
  EXPECT_EQ(12, ReadDecimal("12 34"));
  EXPECT_EQ(1, ReadDecimal("1e3"));
}

TEST(ReadDecimalTest, NoDigitsGiveZero) {
  EXPECT_EQ(0, ReadDecimal(nullptr));
  EXPECT_EQ(0, ReadDecimal(""));
  EXPECT_EQ(0, ReadDecimal("abc"));
  EXPECT_EQ(0, ReadDecimal("-"));
  EXPECT_EQ(0, ReadDecimal("- 5"));
  EXPECT_EQ(0, ReadDecimal("+-5"));
  EXPECT_EQ(0, ReadDecimal("--5"));
  EXPECT_EQ(0, ReadDecimal("\x85" "5")) << "0x85 is not white space";
  EXPECT_EQ(0, ReadDecimal("\xA3\xB1")) << "full-width digits only after the transformation";
}

TEST(ReadDecimalTest, WrapsAroundInThirtyTwoBits) {
  EXPECT_EQ(2147483647, ReadDecimal("2147483647"));
  EXPECT_EQ(std::numeric_limits<int32_t>::min(), ReadDecimal("2147483648"));
  EXPECT_EQ(std::numeric_limits<int32_t>::min(), ReadDecimal("-2147483648"));
  EXPECT_EQ(1, ReadDecimal("4294967297"));
  EXPECT_EQ(-1, ReadDecimal("4294967295"));
  EXPECT_EQ(1, ReadDecimal("-4294967295"));
  // 99999999999 - 23 * 2^32
  EXPECT_EQ(1215752191, ReadDecimal("99999999999"));
}

// ---- Code page 936 lead bytes ---------------------------------------------------------

TEST(CodePage936Test, LeadBytesAre81ToFE) {
  EXPECT_FALSE(IsLeadByte936(0x00));
  EXPECT_FALSE(IsLeadByte936(0x41));
  EXPECT_FALSE(IsLeadByte936(0x7F));
  EXPECT_FALSE(IsLeadByte936(0x80));
  EXPECT_TRUE(IsLeadByte936(0x81));
  EXPECT_TRUE(IsLeadByte936(0xD6));
  EXPECT_TRUE(IsLeadByte936(0xFE));
  EXPECT_FALSE(IsLeadByte936(0xFF));
  int count = 0;
  for (int b = 0; b < 256; ++b) count += IsLeadByte936(static_cast<uint8_t>(b)) ? 1 : 0;
  EXPECT_EQ(0xFE - 0x81 + 1, count);
}

}  // namespace
}  // namespace rt
