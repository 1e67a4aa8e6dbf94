#include "runtime/commands/text_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "runtime/core/heap.h"

namespace rt {
namespace {

constexpr int32_t kMinInt = std::numeric_limits<int32_t>::min();
constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

// Calls a command through the core gate and checks the common contract:
// the result tag stays 0 and the arguments come back untouched.
ArgValue Call(CommandFn command, std::vector<ArgValue> args) {
  const std::vector<ArgValue> before = args;
  const ArgValue result =
      CallCoreCommand(command, static_cast<int32_t>(args.size()), args.data());
  EXPECT_EQ(0u, result.tag);
  if (!args.empty()) {
    EXPECT_EQ(0, std::memcmp(before.data(), args.data(), args.size() * sizeof(ArgValue)));
  }
  return result;
}

int32_t CallInt(CommandFn command, std::vector<ArgValue> args) {
  const ArgValue result = Call(command, std::move(args));
  EXPECT_EQ(0u, result.Word(1)) << "a 32-bit result leaves the high word zero";
  return result.AsInt();
}

// A text result owned by the test; freed on every path.
class ResultText {
 public:
  explicit ResultText(const ArgValue& result) : text_(const_cast<char*>(result.AsText())) {}
  ~ResultText() { FreeMemory(text_); }
  ResultText(const ResultText&) = delete;
  ResultText& operator=(const ResultText&) = delete;
  bool IsNull() const { return text_ == nullptr; }
  const char* get() const { return text_; }
  std::string str() const { return text_ == nullptr ? std::string("<null>") : std::string(text_); }

 private:
  char* text_;
};

ArgValue T(const char* s) { return ArgValue::Text(s); }
ArgValue I(int32_t i) { return ArgValue::Int(i); }
ArgValue D(double d) { return ArgValue::Double(d); }

// ---- TextLength -------------------------------------------------------------

TEST(TextLengthTest, CountsBytesNotCharacters) {
  EXPECT_EQ(3, CallInt(TextLength, {T("abc")}));
  EXPECT_EQ(4, CallInt(TextLength, {T("中文")}));
  EXPECT_EQ(5, CallInt(TextLength, {T("a\xD6\xD0" "bc")}));
  EXPECT_EQ(2, CallInt(TextLength, {T("a\xD6")})) << "a lone lead byte is still one byte";
}

TEST(TextLengthTest, EmptyAndNullTextGiveZero) {
  EXPECT_EQ(0, CallInt(TextLength, {T(nullptr)}));
  EXPECT_EQ(0, CallInt(TextLength, {T("")}));
  EXPECT_EQ(0, CallInt(TextLength, {}));
}

// ---- LeftOfText / RightOfText -------------------------------------------------

TEST(LeftOfTextTest, TakesTheFirstBytes) {
  ResultText two(Call(LeftOfText, {T("abc"), I(2)}));
  EXPECT_EQ("ab", two.str());
  ResultText one(Call(LeftOfText, {T("abc"), I(1)}));
  EXPECT_EQ("a", one.str());
}

TEST(LeftOfTextTest, CountAtOrAboveLengthGivesAFreshCopyOfTheWholeText) {
  const char source[] = "abc";
  for (int32_t n : {3, 4, 100, kMaxInt}) {
    ResultText whole(Call(LeftOfText, {T(source), I(n)}));
    EXPECT_EQ("abc", whole.str()) << n;
    EXPECT_NE(source, whole.get()) << "the result is a new text, not the argument";
  }
}

TEST(LeftOfTextTest, CountZeroOrNegativeOrEmptyTextGivesNull) {
  for (int32_t n : {0, -1, -100, kMinInt}) {
    ResultText r(Call(LeftOfText, {T("abc"), I(n)}));
    EXPECT_TRUE(r.IsNull()) << n;
  }
  ResultText from_null(Call(LeftOfText, {T(nullptr), I(5)}));
  EXPECT_TRUE(from_null.IsNull());
  ResultText from_empty(Call(LeftOfText, {T(""), I(5)}));
  EXPECT_TRUE(from_empty.IsNull()) << "never an allocated empty text";
}

TEST(LeftOfTextTest, CutsInsideADoubleByteCharacter) {
  ResultText lead(Call(LeftOfText, {T("\xD6\xD0" "A"), I(1)}));
  EXPECT_EQ("\xD6", lead.str());
  ResultText char_and_lead(Call(LeftOfText, {T("中文"), I(3)}));
  EXPECT_EQ("\xD6\xD0\xCE", char_and_lead.str());
}

TEST(RightOfTextTest, TakesTheLastBytes) {
  ResultText two(Call(RightOfText, {T("abc"), I(2)}));
  EXPECT_EQ("bc", two.str());
  ResultText one(Call(RightOfText, {T("abc"), I(1)}));
  EXPECT_EQ("c", one.str());
}

TEST(RightOfTextTest, CountAtOrAboveLengthGivesTheWholeText) {
  for (int32_t n : {3, 4, kMaxInt}) {
    ResultText whole(Call(RightOfText, {T("abc"), I(n)}));
    EXPECT_EQ("abc", whole.str()) << n;
  }
}

TEST(RightOfTextTest, CountZeroOrNegativeOrEmptyTextGivesNull) {
  for (int32_t n : {0, -1, kMinInt}) {
    ResultText r(Call(RightOfText, {T("abc"), I(n)}));
    EXPECT_TRUE(r.IsNull()) << n;
  }
  ResultText from_null(Call(RightOfText, {T(nullptr), I(3)}));
  EXPECT_TRUE(from_null.IsNull());
  ResultText from_empty(Call(RightOfText, {T(""), I(3)}));
  EXPECT_TRUE(from_empty.IsNull());
}

TEST(RightOfTextTest, MayBeginWithATrailByte) {
  ResultText trail(Call(RightOfText, {T("A\xD6\xD0"), I(1)}));
  EXPECT_EQ("\xD0", trail.str());
  ResultText path_suffix(Call(RightOfText, {T("D:\\语音\\a.slk"), I(4)}));
  EXPECT_EQ(".slk", path_suffix.str());
}

// ---- CharCodeAt ---------------------------------------------------------------

TEST(CharCodeAtTest, BytesAreSignExtended) {
  const char* text = "A\xD6\xD0";
  EXPECT_EQ(65, CallInt(CharCodeAt, {T(text), I(1)}));
  EXPECT_EQ(-42, CallInt(CharCodeAt, {T(text), I(2)}));
  EXPECT_EQ(-48, CallInt(CharCodeAt, {T(text), I(3)}));
  EXPECT_EQ(-80, CallInt(CharCodeAt, {T("\xB0"), I(1)})) << "not 176";
  EXPECT_EQ(-1, CallInt(CharCodeAt, {T("\xFF"), I(1)}));
  EXPECT_EQ(127, CallInt(CharCodeAt, {T("\x7F"), I(1)}));
  EXPECT_EQ(-128, CallInt(CharCodeAt, {T("\x80"), I(1)}));
}

TEST(CharCodeAtTest, PositionsOutsideTheTextGiveZero) {
  const char* text = "A\xD6\xD0";
  EXPECT_EQ(0, CallInt(CharCodeAt, {T(text), I(4)})) << "length + 1 is the terminator";
  EXPECT_EQ(0, CallInt(CharCodeAt, {T(text), I(5)})) << "length + 2";
  EXPECT_EQ(0, CallInt(CharCodeAt, {T(text), I(0)}));
  EXPECT_EQ(0, CallInt(CharCodeAt, {T(text), I(-1)}));
  EXPECT_EQ(0, CallInt(CharCodeAt, {T(text), I(kMinInt)}));
  EXPECT_EQ(0, CallInt(CharCodeAt, {T(text), I(kMaxInt)}));
  EXPECT_EQ(0, CallInt(CharCodeAt, {T(nullptr), I(1)}));
  EXPECT_EQ(0, CallInt(CharCodeAt, {T(nullptr), I(2)}));
}

TEST(CharCodeAtTest, OmittedPositionReadsTheFirstByteButAnExplicitZeroDoesNot) {
  EXPECT_EQ(98, CallInt(CharCodeAt, {T("bcd"), ArgValue::Omitted()}));
  EXPECT_EQ(98, CallInt(CharCodeAt, {T("bcd")})) << "argument left out of the array";
  EXPECT_EQ(0, CallInt(CharCodeAt, {T("bcd"), I(0)}));
  EXPECT_EQ(0, CallInt(CharCodeAt, {T(""), ArgValue::Omitted()}));
  EXPECT_EQ(0, CallInt(CharCodeAt, {T(nullptr), ArgValue::Omitted()}));
}

// ---- ToUpperCase ----------------------------------------------------------------

TEST(ToUpperCaseTest, ChangesOnlyAsciiLetters) {
  ResultText abc(Call(ToUpperCase, {T("abc")}));
  EXPECT_EQ("ABC", abc.str());
  ResultText mixed(Call(ToUpperCase, {T("Hello, World! 123 [z]{a}@`")}));
  EXPECT_EQ("HELLO, WORLD! 123 [Z]{A}@`", mixed.str());
}

TEST(ToUpperCaseTest, TrailBytesStayUnchanged) {
  ResultText r(Call(ToUpperCase, {T("a\xC4\xE3" "b")}));
  EXPECT_EQ("A\xC4\xE3" "B", r.str());
  // 0x81 0x61 is one character whose trail byte is the letter a.
  ResultText letter_trail(Call(ToUpperCase, {T("\x81" "ab")}));
  EXPECT_EQ("\x81" "aB", letter_trail.str());
  // Any byte with bit 7 set leads, 0x80 included.
  ResultText after_0x80(Call(ToUpperCase, {T("\x80" "ab")}));
  EXPECT_EQ("\x80" "aB", after_0x80.str());
}

TEST(ToUpperCaseTest, LoneLeadByteAtTheEndIsKept) {
  ResultText r(Call(ToUpperCase, {T("a\xD6")}));
  EXPECT_EQ("A\xD6", r.str());
}

TEST(ToUpperCaseTest, EmptyGivesNullAndResultIsANewText) {
  ResultText from_null(Call(ToUpperCase, {T(nullptr)}));
  EXPECT_TRUE(from_null.IsNull());
  ResultText from_empty(Call(ToUpperCase, {T("")}));
  EXPECT_TRUE(from_empty.IsNull());
  const char upper[] = "ABC";
  ResultText copy(Call(ToUpperCase, {T(upper)}));
  EXPECT_EQ("ABC", copy.str());
  EXPECT_NE(upper, copy.get());
}

// ---- ToInteger -------------------------------------------------------------------

int32_t ToInt(const ArgValue& value) { return CallInt(ToInteger, {value}); }

TEST(ToIntegerTest, IntegerKinds) {
  EXPECT_EQ(255, ToInt(ArgValue::Byte(255))) << "bytes are unsigned";
  EXPECT_EQ(-2, ToInt(ArgValue::Short(-2)));
  EXPECT_EQ(-32768, ToInt(ArgValue::Short(-32768)));
  EXPECT_EQ(kMinInt, ToInt(I(kMinInt)));
  EXPECT_EQ(5, ToInt(ArgValue::Int64((int64_t{1} << 32) + 5))) << "low 32 bits";
  EXPECT_EQ(kMinInt, ToInt(ArgValue::Int64(0x80000000LL)));
  EXPECT_EQ(-1, ToInt(ArgValue::Int64(-1)));
}

TEST(ToIntegerTest, ByteAndShortReadOnlyTheirOwnBytes) {
  ArgValue byte = ArgValue::Byte(0x80);
  byte.payload[1] = 0x7F;
  EXPECT_EQ(128, ToInt(byte));
  ArgValue short_value = ArgValue::Short(-3);
  short_value.payload[2] = 0x12;
  EXPECT_EQ(-3, ToInt(short_value));
}

TEST(ToIntegerTest, FloatingKindsTruncateTowardZeroThroughSixtyFourBits) {
  EXPECT_EQ(-2, ToInt(D(-2.9)));
  EXPECT_EQ(2, ToInt(D(2.9)));
  EXPECT_EQ(-2, ToInt(ArgValue::Float(-2.9f)));
  EXPECT_EQ(static_cast<int32_t>(3000000000LL - 4294967296LL), ToInt(D(3.0e9)));
  EXPECT_EQ(5, ToInt(D(4294967301.0)));
  EXPECT_EQ(static_cast<int32_t>(3000000000LL - 4294967296LL), ToInt(ArgValue::Float(3.0e9f)));
}

TEST(ToIntegerTest, FloatingValuesBeyondSixtyFourBitsGiveZero) {
  EXPECT_EQ(0, ToInt(D(1e19)));
  EXPECT_EQ(0, ToInt(D(-1e19)));
  EXPECT_EQ(0, ToInt(D(std::numeric_limits<double>::infinity())));
  EXPECT_EQ(0, ToInt(D(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_EQ(0, ToInt(ArgValue::Float(1e30f)));
  // Just inside the range: 2^62 + 2^31 has low word 0x80000000.
  EXPECT_EQ(kMinInt, ToInt(D(4611686020574871552.0)));
}

TEST(ToIntegerTest, BoolGivesItsStoredWord) {
  EXPECT_EQ(1, ToInt(ArgValue::Bool(true)));
  EXPECT_EQ(0, ToInt(ArgValue::Bool(false)));
  ArgValue seven = ArgValue::Bool(true);
  seven.payload[0] = 7;
  EXPECT_EQ(7, ToInt(seven));
}

void SomeSubroutine() {}

TEST(ToIntegerTest, SubroutinePointerGivesItsAddress) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(&SomeSubroutine);
  EXPECT_EQ(static_cast<int32_t>(static_cast<uint32_t>(address)),
            ToInt(ArgValue::Address(reinterpret_cast<const void*>(address), kTagSubroutine)));
}

TEST(ToIntegerTest, TextIsReadAsDecimal) {
  EXPECT_EQ(-12, ToInt(T("  -12abc")));
  EXPECT_EQ(0, ToInt(T("abc")));
  EXPECT_EQ(42, ToInt(T("\t\r\n+42")));
  EXPECT_EQ(1, ToInt(T("4294967297"))) << "2^32 + 1 wraps around";
  EXPECT_EQ(kMinInt, ToInt(T("2147483648")));
  EXPECT_EQ(0, ToInt(T(nullptr)));
  EXPECT_EQ(0, ToInt(T("")));
}

TEST(ToIntegerTest, FullWidthDigitsSignsAndSpacesCount) {
  EXPECT_EQ(12, ToInt(T("\xA3\xB1\xA3\xB2")));
  EXPECT_EQ(-7, ToInt(T("\xA3\xAD\xA3\xB7")));
  EXPECT_EQ(37, ToInt(T("\xA1\xA1" "3\xA3\xB7")));
  EXPECT_EQ(0, ToInt(T("\xD6\xD0" "5"))) << "another double-byte character stops the digits";
}

TEST(ToIntegerTest, OtherKindsGiveZero) {
  EXPECT_EQ(0, ToInt(ArgValue::DateTime(43891.5)));
  EXPECT_EQ(0, ToInt(ArgValue::Omitted()));
  EXPECT_EQ(0, ToInt(ArgValue::Address(reinterpret_cast<const void*>(0x1000), kTagBuffer)));
  ArgValue wide = ArgValue::Int64(99);
  wide.tag = kTagWide8;
  EXPECT_EQ(0, ToInt(wide));
  EXPECT_EQ(0, CallInt(ToInteger, {}));
}

// ---- CompareText ------------------------------------------------------------------

int32_t Compare(const char* a, const char* b, bool case_sensitive) {
  return CallInt(CompareText, {T(a), T(b), ArgValue::Bool(case_sensitive)});
}

TEST(CompareTextTest, OrdersByteByByteAndGivesOnlyTheSign) {
  EXPECT_EQ(-1, Compare("abc", "abd", true));
  EXPECT_EQ(1, Compare("abd", "abc", true));
  EXPECT_EQ(1, Compare("az", "aa", true)) << "1, not the difference";
  EXPECT_EQ(0, Compare("abc", "abc", true));
  EXPECT_EQ(-1, Compare("ab", "abc", true)) << "the shorter text is smaller";
  EXPECT_EQ(1, Compare("abc", "ab", true));
}

TEST(CompareTextTest, EmptyAndNullTextsAreEqual) {
  EXPECT_EQ(0, Compare("", "", true));
  EXPECT_EQ(0, Compare(nullptr, "", true));
  EXPECT_EQ(0, Compare(nullptr, nullptr, false));
  EXPECT_EQ(-1, Compare(nullptr, "a", true));
  EXPECT_EQ(1, Compare("a", nullptr, false));
}

TEST(CompareTextTest, CaseRules) {
  EXPECT_EQ(-1, Compare("B", "a", true));
  EXPECT_EQ(1, Compare("B", "a", false)) << "B compares as b";
  EXPECT_EQ(0, Compare("abc", "ABC", false));
  EXPECT_EQ(1, Compare("abc", "ABC", true));
  // Folding goes to lower case: [ (0x5B) lies between Z and a.
  EXPECT_EQ(1, Compare("[", "A", true));
  EXPECT_EQ(-1, Compare("[", "A", false));
}

TEST(CompareTextTest, ThirdArgumentIsTestedByItsPayload) {
  ArgValue two = ArgValue::Bool(true);
  two.payload[0] = 2;
  EXPECT_EQ(-1, CallInt(CompareText, {T("B"), T("a"), two}));
  EXPECT_EQ(1, CallInt(CompareText, {T("B"), T("a"), I(0)}));
  EXPECT_EQ(1, CallInt(CompareText, {T("B"), T("a"), ArgValue::Omitted()}));
}

TEST(CompareTextTest, DoubleByteCharactersCompareByTheirValue) {
  EXPECT_EQ(1, Compare("\xD6\xD0", "a", true));
  EXPECT_EQ(-1, Compare("\xB0\xA1", "\xB0\xA2", true));
  // 0x80 and 0xFF are single bytes in the lead-byte table.
  EXPECT_EQ(-1, Compare("\x80", "\x81\x40", true));
  EXPECT_EQ(-1, Compare("\xFF", "\xFE\x40", true)) << "0xFF < 0xFE40";
  EXPECT_EQ(0, Compare("\x80" "A", "\x80" "a", false)) << "the A after 0x80 is a letter";
  EXPECT_EQ(0, Compare("\xFF" "A", "\xFF" "a", false));
}

TEST(CompareTextTest, TrailBytesAreNeverCaseFolded) {
  // 0x81 0x41 and 0x81 0x61 are different characters.
  EXPECT_EQ(-1, Compare("\x81\x41", "\x81\x61", false));
  EXPECT_EQ(0, Compare("\x81\x41" "A", "\x81\x41" "a", false));
}

TEST(CompareTextTest, LoneLeadByteAtTheEndCountsAsTheEnd) {
  EXPECT_EQ(0, Compare("a\xD6", "a", true));
  EXPECT_EQ(0, Compare("a\xD6", "a\xB0", true));
  EXPECT_EQ(-1, Compare("a\xD6", "ab", true));
  EXPECT_EQ(1, Compare("ab", "a\xD6", false));
}

// Every text of one or two bytes in a block of exactly its own size: the
// walk never reads past a terminator, and the order is consistent.
TEST(CompareTextTest, EveryShortTextComparesConsistently) {
  const char* const others[] = {"", "a", "A", "\xD6\xD0", "\x81\x40" "a", "\xFF", "zz"};
  for (int first = 1; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const size_t length = second == 0 ? 1 : 2;
      std::unique_ptr<char[]> text(new char[length + 1]);
      text[0] = static_cast<char>(first);
      text[1] = static_cast<char>(second);
      text[length] = '\0';
      for (bool case_sensitive : {false, true}) {
        ArgValue flag = ArgValue::Bool(case_sensitive);
        ArgValue self[3] = {T(text.get()), T(text.get()), flag};
        ArgValue r = CallCoreCommand(CompareText, 3, self);
        if (r.AsInt() != 0) ADD_FAILURE() << first << " " << second << " differs from itself";
        for (const char* other : others) {
          ArgValue ab[3] = {T(text.get()), T(other), flag};
          ArgValue ba[3] = {T(other), T(text.get()), flag};
          const int32_t x = CallCoreCommand(CompareText, 3, ab).AsInt();
          const int32_t y = CallCoreCommand(CompareText, 3, ba).AsInt();
          if (x != -y || x < -1 || x > 1) {
            ADD_FAILURE() << first << " " << second << " against " << other;
            return;
          }
        }
      }
    }
  }
}

// ---- IntegerDivide ------------------------------------------------------------------

double Divide(std::vector<ArgValue> args) { return Call(IntegerDivide, std::move(args)).AsDouble(); }

TEST(IntegerDivideTest, TruncatesTowardZeroAfterEachStep) {
  EXPECT_EQ(3.0, Divide({D(7), D(2)}));
  EXPECT_EQ(-3.0, Divide({D(-7), D(2)}));
  EXPECT_EQ(-3.0, Divide({D(7), D(-2)}));
  EXPECT_EQ(3.0, Divide({D(-7), D(-2)}));
  EXPECT_EQ(0.0, Divide({D(2), D(4), D(1)}));
  EXPECT_EQ(16.0, Divide({D(100), D(3), D(2)})) << "33 / 2, not 100 / 6";
  EXPECT_EQ(15.0, Divide({D(7.5), D(0.5)}));
  EXPECT_EQ(1e20, Divide({D(1e20), D(1)})) << "stays a double beyond 64 bits";
}

TEST(IntegerDivideTest, SingleArgumentIsReturnedUnchanged) {
  EXPECT_EQ(2.5, Divide({D(2.5)}));
  EXPECT_EQ(-0.75, Divide({D(-0.75)}));
}

TEST(IntegerDivideTest, TinyNonZeroDivisorIsNotZero) {
  EXPECT_DOUBLE_EQ(1e300, Divide({D(1e-8), D(1e-308)}));
  EXPECT_TRUE(std::isinf(Divide({D(1), D(5e-324)})));
}

}  // namespace
}  // namespace rt
