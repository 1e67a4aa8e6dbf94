#include "runtime/commands/format_value.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace rt {
namespace {

// Formats into a buffer filled with junk first, with a guard after it.
std::string Format(const ArgValue& value) {
  char buffer[kFormatBufferSize + 8];
  std::memset(buffer, '#', sizeof buffer);
  FormatValueText(value, buffer);
  EXPECT_NE(nullptr, std::memchr(buffer, 0, kFormatBufferSize)) << "terminated inside 100 bytes";
  for (size_t i = kFormatBufferSize; i < sizeof buffer; ++i) EXPECT_EQ('#', buffer[i]);
  return buffer;
}

constexpr double kSecond = 1.0 / 86400.0;
constexpr double k2020March1 = 43891.0;

double At(double day, int h, int m, int s) { return day + (h * 3600 + m * 60 + s) * kSecond; }

// ---- Integer kinds ---------------------------------------------------------------

TEST(FormatValueTextTest, ByteIsUnsigned) {
  EXPECT_EQ("255", Format(ArgValue::Byte(255)));
  EXPECT_EQ("0", Format(ArgValue::Byte(0)));
  ArgValue noisy = ArgValue::Byte(7);
  noisy.payload[1] = 0xFF;
  EXPECT_EQ("7", Format(noisy)) << "only the first byte counts";
}

TEST(FormatValueTextTest, ShortIsSigned) {
  EXPECT_EQ("-32768", Format(ArgValue::Short(-32768)));
  EXPECT_EQ("32767", Format(ArgValue::Short(32767)));
  ArgValue noisy = ArgValue::Short(-1);
  noisy.payload[2] = 0x12;
  EXPECT_EQ("-1", Format(noisy)) << "only the first two bytes count";
}

TEST(FormatValueTextTest, Int) {
  EXPECT_EQ("-5", Format(ArgValue::Int(-5)));
  EXPECT_EQ("0", Format(ArgValue::Int(0)));
  EXPECT_EQ("-2147483648", Format(ArgValue::Int(std::numeric_limits<int32_t>::min())));
  EXPECT_EQ("2147483647", Format(ArgValue::Int(std::numeric_limits<int32_t>::max())));
}

TEST(FormatValueTextTest, Int64UsesAllSixtyFourBits) {
  EXPECT_EQ("0", Format(ArgValue::Int64(0)));
  EXPECT_EQ("-1", Format(ArgValue::Int64(-1)));
  EXPECT_EQ("4294967296", Format(ArgValue::Int64(int64_t{1} << 32)));
  EXPECT_EQ("1000000000000000000", Format(ArgValue::Int64(1000000000000000000LL)));
  EXPECT_EQ("9223372036854775807", Format(ArgValue::Int64(std::numeric_limits<int64_t>::max())));
  EXPECT_EQ("-9223372036854775808", Format(ArgValue::Int64(std::numeric_limits<int64_t>::min())));
}

// ---- Floating kinds -------------------------------------------------------------

TEST(FormatValueTextTest, FloatLosesItsRepresentationError) {
  EXPECT_EQ("0.1", Format(ArgValue::Float(0.1f)));
  EXPECT_EQ("0.3", Format(ArgValue::Float(0.3f)));
  EXPECT_EQ("1.1", Format(ArgValue::Float(1.1f)));
  EXPECT_EQ("-2.5", Format(ArgValue::Float(-2.5f)));
  EXPECT_EQ("0", Format(ArgValue::Float(0.0f)));
  EXPECT_EQ("100", Format(ArgValue::Float(100.0f)));
  EXPECT_EQ("1.5e-07", Format(ArgValue::Float(1.5e-7f)));
  EXPECT_EQ("1e-45", Format(ArgValue::Float(1e-45f))) << "not 1.4013e-45";
}

TEST(FormatValueTextTest, FloatKeepsSixSignificantDigits) {
  EXPECT_EQ("0.333333", Format(ArgValue::Float(1.0f / 3.0f)));
  EXPECT_EQ("123457", Format(ArgValue::Float(123456.7f)));
  EXPECT_EQ("1.23457e+06", Format(ArgValue::Float(1234567.0f)));
  EXPECT_EQ("1.67772e+07", Format(ArgValue::Float(16777216.0f)));
  EXPECT_EQ("3.40282e+38", Format(ArgValue::Float(std::numeric_limits<float>::max())));
  EXPECT_EQ("0.000123457", Format(ArgValue::Float(0.000123456789f)));
}

TEST(FormatValueTextTest, FloatRoundsItsDecimalDigitsNotItsBinaryValue) {
  // 1.000045f is 1.0000449419...: rounding the binary value would give
  // 1.00004, the typed digits 1.000045 round to 1.00005.
  EXPECT_EQ("1.00005", Format(ArgValue::Float(1.000045f)));
  EXPECT_EQ("-1.00005", Format(ArgValue::Float(-1.000045f)));
  EXPECT_EQ("0.123457", Format(ArgValue::Float(0.1234565f)));
  // Carries through every digit and into the exponent.
  EXPECT_EQ("10", Format(ArgValue::Float(9.999995f)));
  EXPECT_EQ("1e+06", Format(ArgValue::Float(999999.5f)));
}

TEST(FormatValueTextTest, RoundFloatForDisplayGivesTheShortDecimalValue) {
  EXPECT_EQ(0.1, RoundFloatForDisplay(0.1f));
  EXPECT_EQ(1.00005, RoundFloatForDisplay(1.000045f));
  EXPECT_EQ(-2.5, RoundFloatForDisplay(-2.5f));
  EXPECT_EQ(1e-45, RoundFloatForDisplay(1e-45f));
  EXPECT_EQ(0.0, RoundFloatForDisplay(0.0f));
  EXPECT_EQ(std::numeric_limits<double>::infinity(),
            RoundFloatForDisplay(std::numeric_limits<float>::infinity()));
}

TEST(FormatValueTextTest, DoubleWithThirteenSignificantDigits) {
  EXPECT_EQ("0.5", Format(ArgValue::Double(0.5)));
  EXPECT_EQ("0.1", Format(ArgValue::Double(0.1)));
  EXPECT_EQ("0.3333333333333", Format(ArgValue::Double(1.0 / 3.0)));
  EXPECT_EQ("123456789012.5", Format(ArgValue::Double(123456789012.5)));
  EXPECT_EQ("1234567890123", Format(ArgValue::Double(1234567890123.4)));
  EXPECT_EQ("1e+15", Format(ArgValue::Double(1e15)));
  EXPECT_EQ("-12000", Format(ArgValue::Double(-12000.0)));
}

// ---- Bool, text and other kinds --------------------------------------------------

TEST(FormatValueTextTest, BoolIsTrueForAnyNonZeroPayload) {
  EXPECT_EQ("真", Format(ArgValue::Bool(true)));
  EXPECT_EQ("假", Format(ArgValue::Bool(false)));
  ArgValue high = ArgValue::Bool(false);
  high.payload[3] = 0x80;
  EXPECT_EQ("真", Format(high));
}

TEST(FormatValueTextTest, TextIsCopiedAsFarAsItFits) {
  EXPECT_EQ("abc 中文", Format(ArgValue::Text("abc 中文")));
  EXPECT_EQ("", Format(ArgValue::Text(nullptr)));
  const std::string long_text(150, 'a');
  EXPECT_EQ(std::string(99, 'a'), Format(ArgValue::Text(long_text.c_str())));
}

TEST(FormatValueTextTest, TextIsNotCutInsideADoubleByteCharacter) {
  const std::string fits = std::string(97, 'a') + "\xD6\xD0";
  EXPECT_EQ(fits, Format(ArgValue::Text(fits.c_str())));
  const std::string too_long = std::string(98, 'a') + "\xD6\xD0";
  EXPECT_EQ(std::string(98, 'a'), Format(ArgValue::Text(too_long.c_str())));
}

TEST(FormatValueTextTest, OtherKindsGiveTheEmptyText) {
  EXPECT_EQ("", Format(ArgValue::Omitted()));
  EXPECT_EQ("", Format(ArgValue::Address(reinterpret_cast<const void*>(0x1000), kTagBuffer)));
  EXPECT_EQ("", Format(ArgValue::Address(reinterpret_cast<const void*>(0x1000), kTagSubroutine)));
  ArgValue wide = ArgValue::Int64(5);
  wide.tag = kTagWide8;
  EXPECT_EQ("", Format(wide));
  ArgValue unknown = ArgValue::Int(5);
  unknown.tag = 0x12345678;
  EXPECT_EQ("", Format(unknown));
}

// ---- Date-time -----------------------------------------------------------------------

TEST(FormatValueTextTest, DateTimeShowsTheTimeAsFarAsItIsNotZero) {
  EXPECT_EQ("2020年3月1日", Format(ArgValue::DateTime(k2020March1)));
  EXPECT_EQ("2020年3月1日8时5分", Format(ArgValue::DateTime(At(k2020March1, 8, 5, 0))));
  EXPECT_EQ("2020年3月1日8时5分9秒", Format(ArgValue::DateTime(At(k2020March1, 8, 5, 9))));
  EXPECT_EQ("2020年3月1日8时", Format(ArgValue::DateTime(At(k2020March1, 8, 0, 0))));
  EXPECT_EQ("2020年3月1日0时5分", Format(ArgValue::DateTime(At(k2020March1, 0, 5, 0))));
  EXPECT_EQ("2020年3月1日0时0分7秒", Format(ArgValue::DateTime(At(k2020March1, 0, 0, 7))));
  EXPECT_EQ("2020年3月1日23时59分59秒", Format(ArgValue::DateTime(At(k2020March1, 23, 59, 59))));
  EXPECT_EQ("2020年3月1日12时0分1秒", Format(ArgValue::DateTime(At(k2020March1, 12, 0, 1))));
}

TEST(FormatValueTextTest, DateTimeEpochAndNegativeDays) {
  EXPECT_EQ("1899年12月30日", Format(ArgValue::DateTime(0.0)));
  EXPECT_EQ("1899年12月31日", Format(ArgValue::DateTime(1.0)));
  EXPECT_EQ("1899年12月29日6时", Format(ArgValue::DateTime(-1.25)));
  EXPECT_EQ("1899年12月30日12时", Format(ArgValue::DateTime(-0.5)));
}

TEST(FormatValueTextTest, DateTimeIsClampedToYears100To9999) {
  EXPECT_EQ("100年1月1日", Format(ArgValue::DateTime(-657434.0)));
  EXPECT_EQ("100年1月1日", Format(ArgValue::DateTime(-1e9)));
  EXPECT_EQ("9999年12月31日", Format(ArgValue::DateTime(2958465.0)));
  EXPECT_EQ("9999年12月31日", Format(ArgValue::DateTime(1e9)));
  EXPECT_EQ("9999年12月31日", Format(ArgValue::DateTime(2958465.5))) << "clamped before the split";
  EXPECT_EQ("9999年12月31日", Format(ArgValue::DateTime(std::numeric_limits<double>::infinity())));
  EXPECT_EQ("1899年12月30日", Format(ArgValue::DateTime(std::numeric_limits<double>::quiet_NaN())));
}

TEST(FormatValueTextTest, DateTimeOfTheLongestText) {
  // The last moment with a time: the clamp ends at midnight of 31 December.
  EXPECT_EQ("9999年12月30日23时59分59秒", Format(ArgValue::DateTime(At(2958464.0, 23, 59, 59))));
  EXPECT_EQ("9999年12月31日", Format(ArgValue::DateTime(At(2958464.0, 23, 59, 59) + 0.6 * kSecond)));
}

TEST(SplitDateTimeTest, LeapYearsOfTheGregorianCalendar) {
  struct Case {
    double day;
    int32_t year, month, date;
  } cases[] = {
      {59, 1900, 2, 27},  {60, 1900, 2, 28},     {61, 1900, 3, 1},  {25569, 1970, 1, 1},
      {36585, 2000, 2, 29}, {36586, 2000, 3, 1}, {45351, 2024, 2, 29}, {73109, 2100, 2, 28},
      {73110, 2100, 3, 1},
  };
  for (const Case& c : cases) {
    const DateTimeParts p = SplitDateTime(c.day);
    EXPECT_EQ(c.year, p.year) << c.day;
    EXPECT_EQ(c.month, p.month) << c.day;
    EXPECT_EQ(c.date, p.day) << c.day;
  }
}

TEST(SplitDateTimeTest, TimeIsRoundedToTheNearestSecond) {
  DateTimeParts p = SplitDateTime(At(k2020March1, 8, 5, 0) - 0.3 * kSecond);
  EXPECT_EQ(8, p.hour);
  EXPECT_EQ(5, p.minute);
  EXPECT_EQ(0, p.second);
  p = SplitDateTime(At(k2020March1, 23, 59, 59) + 0.6 * kSecond);
  EXPECT_EQ(2, p.day) << "rounds up into the next day";
  EXPECT_EQ(3, p.month);
  EXPECT_EQ(0, p.hour);
  EXPECT_EQ(0, p.second);
  p = SplitDateTime(-(1.0 + 0.3 * kSecond));
  EXPECT_EQ(29, p.day);
  EXPECT_EQ(0, p.second);
}

// Every day of the clamped range follows the day before it.
TEST(SplitDateTimeTest, EveryDayOfTheRangeFollowsTheOneBefore) {
  auto days_in_month = [](int32_t y, int32_t m) {
    static const int32_t lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : lengths[m - 1];
  };
  DateTimeParts prev = SplitDateTime(kFirstDay);
  ASSERT_EQ(100, prev.year);
  ASSERT_EQ(1, prev.month);
  ASSERT_EQ(1, prev.day);
  for (double d = kFirstDay + 1; d <= kLastDay; d += 1) {
    const DateTimeParts p = SplitDateTime(d);
    DateTimeParts want = prev;
    if (++want.day > days_in_month(prev.year, prev.month)) {
      want.day = 1;
      if (++want.month > 12) {
        want.month = 1;
        ++want.year;
      }
    }
    if (p.year != want.year || p.month != want.month || p.day != want.day || p.hour != 0) {
      ADD_FAILURE() << "day " << d << ": " << p.year << "-" << p.month << "-" << p.day;
      return;
    }
    prev = p;
  }
  EXPECT_EQ(9999, prev.year);
  EXPECT_EQ(12, prev.month);
  EXPECT_EQ(31, prev.day);
}

}  // namespace
}  // namespace rt
