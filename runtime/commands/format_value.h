// Display text of a value of any kind, as message boxes and input boxes
// show it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/core/values.h"

namespace rt {

constexpr size_t kFormatBufferSize = 100;

// Day counts outside this range are clamped (years 100 to 9999).
constexpr double kFirstDay = -657434.0;  // 1 January 100
constexpr double kLastDay = 2958465.0;   // 31 December 9999

struct DateTimeParts {
  int32_t year;
  int32_t month;   // 1..12
  int32_t day;     // 1..31
  int32_t hour;    // 0..23
  int32_t minute;  // 0..59
  int32_t second;  // 0..59
};

// Splits a date-time payload: days since midnight of 30 December 1899 in the
// whole part, the time of day in the fraction. As with the platform's own
// date values, the whole part of a negative count picks the day and the
// fraction's magnitude is the time (-1.25 is 29 December 1899, 06:00). The
// time is rounded to the nearest second. A NaN reads as day 0.
DateTimeParts SplitDateTime(double days);

// The float as it is displayed before "%.6g": its shortest decimal form
// (the representation error removed, 0.1f gives 0.1) rounded half away from
// zero to six significant digits.
double RoundFloatForDisplay(float value);

// Writes the zero-terminated display text of `value` into `buffer`:
// byte "%u", short and int "%d", int64 signed decimal, float "%.6g" after
// RoundFloatForDisplay, double "%.13g", bool "真"/"假", date-time
// "Y年M月D日" with "H时M分S秒", "H时M分" or "H时" as far as the time is
// not zero. A text is copied as far as it fits in 99 bytes without
// splitting a double-byte character (callers that need all of it use the
// value's own pointer). Every other kind gives the empty text.
void FormatValueText(const ArgValue& value, char buffer[kFormatBufferSize]);

}  // namespace rt
