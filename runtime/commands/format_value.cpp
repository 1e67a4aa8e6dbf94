#include "runtime/commands/format_value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rt {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
// 30 December 1899 counted from 1 January 1970.
constexpr int64_t kEpochOffsetDays = -25569;

// Proleptic Gregorian date of a day number counted from 1 January 1970;
// 400-year eras keep it exact for every year of the clamped range.
void CivilFromDays(int64_t days, DateTimeParts& parts) {
  const int64_t z = days + 719468;  // counted from 1 March of year 0
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t day_of_era = z - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t month_index = (5 * day_of_year + 2) / 153;  // 0 = March
  const int64_t month = month_index < 10 ? month_index + 3 : month_index - 9;
  parts.year = static_cast<int32_t>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
  parts.month = static_cast<int32_t>(month);
  parts.day = static_cast<int32_t>(day_of_year - (153 * month_index + 2) / 5 + 1);
}

void FormatUnsigned64(uint64_t magnitude, bool negative, char* buffer) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) *buffer++ = '-';
  while (n > 0) *buffer++ = digits[--n];
  *buffer = '\0';
}

void FormatInt64(int64_t value, char* buffer) {
  // Negated in unsigned arithmetic so that the smallest value stays exact.
  const uint64_t bits = static_cast<uint64_t>(value);
  FormatUnsigned64(value < 0 ? 0 - bits : bits, value < 0, buffer);
}

void FormatDateTime(double days, char* buffer) {
  const DateTimeParts p = SplitDateTime(days);
  int n = std::snprintf(buffer, kFormatBufferSize, "%d年%d月%d日", p.year, p.month, p.day);
  if (n < 0) n = 0;
  char* rest = buffer + n;
  const size_t room = kFormatBufferSize - static_cast<size_t>(n);
  if (p.second != 0) {
    std::snprintf(rest, room, "%d时%d分%d秒", p.hour, p.minute, p.second);
  } else if (p.minute != 0) {
    std::snprintf(rest, room, "%d时%d分", p.hour, p.minute);
  } else if (p.hour != 0) {
    std::snprintf(rest, room, "%d时", p.hour);
  }
}

// Copies as much of the text as fits, never ending on a lone lead byte.
void CopyText(const char* text, char* buffer) {
  size_t n = 0;
  if (text != nullptr) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    while (s[n] != 0) {
      const size_t width = s[n] >= 0x80 && s[n + 1] != 0 ? 2 : 1;
      if (n + width > kFormatBufferSize - 1) break;
      n += width;
    }
    std::memcpy(buffer, text, n);
  }
  buffer[n] = '\0';
}

}  // namespace

DateTimeParts SplitDateTime(double days) {
  if (std::isnan(days)) days = 0.0;
  if (days < kFirstDay) days = kFirstDay;
  if (days > kLastDay) days = kLastDay;
  const double whole = std::trunc(days);
  int64_t day = static_cast<int64_t>(whole);
  int64_t seconds = std::llround(std::fabs(days - whole) * static_cast<double>(kSecondsPerDay));
  if (seconds >= kSecondsPerDay) {
    // 23:59:59.5 and later rounds up into the next day.
    seconds -= kSecondsPerDay;
    ++day;
  }
  DateTimeParts parts{};
  CivilFromDays(day + kEpochOffsetDays, parts);
  parts.hour = static_cast<int32_t>(seconds / 3600);
  parts.minute = static_cast<int32_t>(seconds / 60 % 60);
  parts.second = static_cast<int32_t>(seconds % 60);
  return parts;
}

double RoundFloatForDisplay(float value) {
  if (!std::isfinite(value) || value == 0.0f) return value;
  // Shortest "%.*e" form that reads back as the same float; nine
  // significant digits always do.
  char text[32];
  for (int precision = 0; precision <= 8; ++precision) {
    std::snprintf(text, sizeof text, "%.*e", precision, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  // text is "[-]d[.ddd]e±x": gather the digits and the exponent.
  char digits[16] = {0};
  int count = 0;
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  for (; *p != 'e' && *p != '\0'; ++p) {
    if (*p >= '0' && *p <= '9' && count < 15) digits[count++] = *p;
  }
  int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
  // Round the decimal digits themselves, so that a tie such as 1.234565
  // goes up whatever the binary value next to it is.
  if (count > 6) {
    const bool up = digits[6] >= '5';
    count = 6;
    if (up) {
      int i = count - 1;
      while (i >= 0 && digits[i] == '9') digits[i--] = '0';
      if (i >= 0) {
        ++digits[i];
      } else {
        digits[0] = '1';  // 9.99999x becomes 1.00000 times ten
        ++exponent;
      }
    }
  }
  char rounded[40];
  int n = 0;
  if (negative) rounded[n++] = '-';
  rounded[n++] = digits[0];
  rounded[n++] = '.';
  for (int i = 1; i < count; ++i) rounded[n++] = digits[i];
  std::snprintf(rounded + n, sizeof rounded - static_cast<size_t>(n), "e%d", exponent);
  return std::strtod(rounded, nullptr);
}

void FormatValueText(const ArgValue& value, char buffer[kFormatBufferSize]) {
  buffer[0] = '\0';
  switch (value.tag) {
    case kTagByte:
      std::snprintf(buffer, kFormatBufferSize, "%u", static_cast<unsigned>(value.payload[0]));
      break;
    case kTagShort: {
      int16_t s;
      std::memcpy(&s, value.payload, 2);
      std::snprintf(buffer, kFormatBufferSize, "%d", static_cast<int>(s));
      break;
    }
    case kTagInt:
      std::snprintf(buffer, kFormatBufferSize, "%d", static_cast<int>(value.AsInt()));
      break;
    case kTagInt64:
      FormatInt64(value.AsInt64(), buffer);
      break;
    case kTagFloat:
      std::snprintf(buffer, kFormatBufferSize, "%.6g", RoundFloatForDisplay(value.AsFloat()));
      break;
    case kTagDouble:
      std::snprintf(buffer, kFormatBufferSize, "%.13g", value.AsDouble());
      break;
    case kTagBool:
      std::strcpy(buffer, value.Word(0) != 0 ? "真" : "假");
      break;
    case kTagDateTime:
      FormatDateTime(value.AsDouble(), buffer);
      break;
    case kTagText:
      CopyText(value.AsText(), buffer);
      break;
    default:
      break;
  }
}

}  // namespace rt
