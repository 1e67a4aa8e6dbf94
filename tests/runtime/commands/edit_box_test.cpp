// The edit box's rules: stored data, the keyboard filter of each input mode
// and the normalisation when the box loses the focus.
#include "runtime/commands/edit_box.h"

#include <gtest/gtest.h>

#include <string>

namespace rt {
namespace {

TEST(EditBoxFilterTest, ControlCharactersAlwaysPass) {
  for (int32_t mode = 0; mode <= kInputDateTime; ++mode) {
    EXPECT_TRUE(EditAcceptsCharacter(mode, 0x08)) << mode;  // backspace
    EXPECT_TRUE(EditAcceptsCharacter(mode, 0x1F)) << mode;
  }
}

TEST(EditBoxFilterTest, WholeNumberModesTakeDigitsAndMinusOnly) {
  for (int32_t mode : {kInputIntegerText, kInputShort, kInputInt, kInputInt64}) {
    EXPECT_TRUE(EditAcceptsCharacter(mode, '0')) << mode;
    EXPECT_TRUE(EditAcceptsCharacter(mode, '9')) << mode;
    EXPECT_TRUE(EditAcceptsCharacter(mode, '-')) << mode;
    EXPECT_FALSE(EditAcceptsCharacter(mode, '.')) << mode;
    EXPECT_FALSE(EditAcceptsCharacter(mode, 'a')) << mode;
    EXPECT_FALSE(EditAcceptsCharacter(mode, ' ')) << mode;
    EXPECT_FALSE(EditAcceptsCharacter(mode, 0xB2)) << mode;  // a GBK lead byte
  }
  EXPECT_TRUE(EditAcceptsCharacter(kInputByte, '5'));
  EXPECT_FALSE(EditAcceptsCharacter(kInputByte, '-'));
}

TEST(EditBoxFilterTest, DecimalModesAlsoTakeThePoint) {
  for (int32_t mode : {kInputDecimalText, kInputFloat, kInputDouble}) {
    EXPECT_TRUE(EditAcceptsCharacter(mode, '.')) << mode;
    EXPECT_TRUE(EditAcceptsCharacter(mode, '-')) << mode;
    EXPECT_TRUE(EditAcceptsCharacter(mode, '7')) << mode;
    EXPECT_FALSE(EditAcceptsCharacter(mode, 'e')) << mode;
  }
}

TEST(EditBoxFilterTest, TextModesTakeEverythingAndReadOnlyNothing) {
  for (int32_t mode : {kInputNormal, kInputPassword, kInputDateTime}) {
    EXPECT_TRUE(EditAcceptsCharacter(mode, 'x')) << mode;
    EXPECT_TRUE(EditAcceptsCharacter(mode, 0xD7)) << mode;
  }
  EXPECT_FALSE(EditAcceptsCharacter(kInputReadOnly, '1'));
  EXPECT_TRUE(EditAcceptsCharacter(kInputReadOnly, 0x08));
}

TEST(EditBoxNormaliseTest, IntModeDropsLeadingZerosAndEmptiesZero) {
  EXPECT_EQ(NormaliseEditText(kInputInt, "00120"), "120");
  EXPECT_EQ(NormaliseEditText(kInputInt, ""), "");
  EXPECT_EQ(NormaliseEditText(kInputInt, "-"), "");
  EXPECT_EQ(NormaliseEditText(kInputInt, "0"), "");
  EXPECT_EQ(NormaliseEditText(kInputInt, "-0"), "");
  EXPECT_EQ(NormaliseEditText(kInputInt, "-12"), "-12");
  EXPECT_EQ(NormaliseEditText(kInputInt, "12-3"), "12");
  EXPECT_EQ(NormaliseEditText(kInputInt, "99999999999"), "2147483647");
  EXPECT_EQ(NormaliseEditText(kInputInt, "-99999999999"), "-2147483648");
}

TEST(EditBoxNormaliseTest, ByteAndShortClamp) {
  EXPECT_EQ(NormaliseEditText(kInputByte, "300"), "255");
  EXPECT_EQ(NormaliseEditText(kInputByte, "-4"), "");
  EXPECT_EQ(NormaliseEditText(kInputByte, "007"), "7");
  EXPECT_EQ(NormaliseEditText(kInputShort, "40000"), "32767");
  EXPECT_EQ(NormaliseEditText(kInputShort, "-40000"), "-32768");
}

TEST(EditBoxNormaliseTest, Int64KeepsSixtyFourBitsAndSaturates) {
  EXPECT_EQ(NormaliseEditText(kInputInt64, "0009007199254740993"), "9007199254740993");
  EXPECT_EQ(NormaliseEditText(kInputInt64, "99999999999999999999"), "9223372036854775807");
  EXPECT_EQ(NormaliseEditText(kInputInt64, "-99999999999999999999"), "-9223372036854775808");
}

TEST(EditBoxNormaliseTest, FloatAndDouble) {
  EXPECT_EQ(NormaliseEditText(kInputFloat, "0.1"), "0.1");
  EXPECT_EQ(NormaliseEditText(kInputFloat, "3.14159265"), "3.14159");
  EXPECT_EQ(NormaliseEditText(kInputFloat, "-"), "");
  EXPECT_EQ(NormaliseEditText(kInputDouble, "3.14159265358979"), "3.14159265359");
  EXPECT_EQ(NormaliseEditText(kInputDouble, "0.000"), "");
  EXPECT_EQ(NormaliseEditText(kInputDouble, "-2.5"), "-2.5");
}

TEST(EditBoxNormaliseTest, OtherModesLeaveTheText) {
  for (int32_t mode : {kInputNormal, kInputReadOnly, kInputPassword, kInputIntegerText, kInputDecimalText}) {
    EXPECT_EQ(NormaliseEditText(mode, "007"), "007") << mode;
    EXPECT_EQ(NormaliseEditText(mode, "0"), "0") << mode;
  }
}

TEST(EditBoxNormaliseTest, DateTimeMode) {
  EXPECT_EQ(NormaliseEditText(kInputDateTime, "2024-3-5"), "2024年3月5日");
  EXPECT_EQ(NormaliseEditText(kInputDateTime, "2024/03/05 06:07:08"), "2024年3月5日6时7分8秒");
  EXPECT_EQ(NormaliseEditText(kInputDateTime, "2024年3月5日 6时30分"), "2024年3月5日6时30分");
  EXPECT_EQ(NormaliseEditText(kInputDateTime, "2023-2-29"), "");
  EXPECT_EQ(NormaliseEditText(kInputDateTime, "1899-12-30"), "");  // day 0
  EXPECT_EQ(NormaliseEditText(kInputDateTime, "yesterday"), "");
  EXPECT_EQ(NormaliseEditText(kInputDateTime, ""), "");
}

TEST(EditBoxDateTest, DayNumbers) {
  double days = -1;
  ASSERT_TRUE(ParseDateTimeText("1900-1-1", &days));
  EXPECT_DOUBLE_EQ(days, 2.0);
  ASSERT_TRUE(ParseDateTimeText("1899-12-29 6:00", &days));
  EXPECT_DOUBLE_EQ(days, -1.25);
  ASSERT_TRUE(ParseDateTimeText("2000-02-29 12:00:00", &days));
  EXPECT_DOUBLE_EQ(days, 36585.5);
  EXPECT_FALSE(ParseDateTimeText("2000-13-01", &days));
  EXPECT_FALSE(ParseDateTimeText("2000-01-01 24:00", &days));
  EXPECT_FALSE(ParseDateTimeText("99-01-01", &days));
  EXPECT_FALSE(ParseDateTimeText("2000-01-01 x", &days));
}

// The stored data of the sample-rate box of the program's template.
std::vector<uint8_t> SampleRateData() {
  EditBoxData d;
  d.version = 2;
  d.border_style = 1;
  d.background_colour = 0xFFFFFF;
  d.hide_selection = 1;
  d.max_length = 5;
  d.input_mode = kInputInt;
  d.password_char = 0x2A;
  d.spin_maximum = 100;
  d.content = "12000";
  return WriteEditBoxData(d);
}

TEST(EditBoxDataTest, VersionTwoRoundTripAndLayout) {
  const std::vector<uint8_t> bytes = SampleRateData();
  // 10 words, the 16-bit password character, 6 words, four empty-or-not
  // counted texts: font (0), content (5), two extra texts (0).
  ASSERT_EQ(bytes.size(), 10u * 4 + 2 + 6 * 4 + 4 + (4 + 5) + 4 + 4);
  EXPECT_EQ(bytes[40], 0x2A);
  EXPECT_EQ(bytes[41], 0x00);
  EditBoxData d;
  ASSERT_TRUE(ReadEditBoxData(bytes.data(), bytes.size(), &d));
  EXPECT_EQ(d.max_length, 5);
  EXPECT_EQ(d.input_mode, kInputInt);
  EXPECT_EQ(d.spin_maximum, 100);
  EXPECT_EQ(d.content, "12000");
  EXPECT_EQ(WriteEditBoxData(d), bytes);
}

TEST(EditBoxDataTest, VersionsAndTruncation) {
  EditBoxData d;
  d.input_mode = 99;
  ASSERT_TRUE(ReadEditBoxData(nullptr, 0, &d));
  EXPECT_EQ(d.input_mode, kInputNormal);  // the type's defaults
  EXPECT_EQ(d.max_length, 0);
  EXPECT_EQ(d.multi_line, 0);

  EditBoxData v1;
  v1.version = 1;
  v1.content = "abc";
  v1.extra_text1 = "not stored";
  const std::vector<uint8_t> bytes1 = WriteEditBoxData(v1);
  ASSERT_TRUE(ReadEditBoxData(bytes1.data(), bytes1.size(), &d));
  EXPECT_EQ(d.content, "abc");
  EXPECT_EQ(d.extra_text1, "");

  std::vector<uint8_t> bytes = SampleRateData();
  bytes[0] = 3;  // a version this type cannot read
  d.content = "kept";
  EXPECT_FALSE(ReadEditBoxData(bytes.data(), bytes.size(), &d));
  EXPECT_EQ(d.content, "kept");
  bytes = SampleRateData();
  for (size_t cut = 1; cut < bytes.size(); ++cut) {
    EXPECT_FALSE(ReadEditBoxData(bytes.data(), cut, &d)) << cut;
  }
}

}  // namespace
}  // namespace rt
