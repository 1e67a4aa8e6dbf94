#include "runtime/commands/edit_box.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/commands/format_value.h"
#include "runtime/commands/stored_data.h"

namespace rt {
namespace {

bool IsDigit(uint32_t c) { return c >= '0' && c <= '9'; }

// Optional blanks, an optional sign, then digits; stops at the first other
// byte. Saturates instead of overflowing.
int64_t ReadInteger(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  uint64_t magnitude = 0;
  const uint64_t limit = negative ? (uint64_t{1} << 63) : (uint64_t{1} << 63) - 1;
  for (; i < text.size() && IsDigit(static_cast<unsigned char>(text[i])); ++i) {
    const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == (uint64_t{1} << 63) ? INT64_MIN : -static_cast<int64_t>(magnitude);
}

int64_t Clamp(int64_t v, int64_t low, int64_t high) { return v < low ? low : (v > high ? high : v); }

std::string Decimal(int64_t v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(v));
  return buffer;
}

std::string Formatted(const ArgValue& value) {
  char buffer[kFormatBufferSize];
  FormatValueText(value, buffer);
  return buffer;
}

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int32_t DaysInMonth(int32_t y, int32_t m) {
  static const int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

// Reads up to `max_digits` digits at text[*i]; false when there is none.
bool Number(const std::string& text, size_t* i, int32_t* out, int max_digits) {
  int n = 0;
  int32_t v = 0;
  while (*i < text.size() && IsDigit(static_cast<unsigned char>(text[*i])) && n < max_digits) {
    v = v * 10 + (text[*i] - '0');
    ++*i;
    ++n;
  }
  *out = v;
  return n > 0;
}

// Matches one of the separators at text[*i].
bool Separator(const std::string& text, size_t* i, std::initializer_list<const char*> options) {
  for (const char* s : options) {
    const size_t n = std::strlen(s);
    if (text.compare(*i, n, s) == 0) {
      *i += n;
      return true;
    }
  }
  return false;
}

void SkipBlanks(const std::string& text, size_t* i) {
  while (*i < text.size() && text[*i] == ' ') ++*i;
}

}  // namespace

bool ReadEditBoxData(const uint8_t* bytes, size_t size, EditBoxData* data) {
  return ReadStoredData(bytes, size, 0, kEditBoxDataVersion, data, [](StoredDataReader& r, EditBoxData& d) {
    d.border_style = r.Word();
    d.property2 = r.Word();
    d.background_colour = static_cast<uint32_t>(r.Word());
    d.hide_selection = r.Word();
    d.max_length = r.Word();
    d.multi_line = r.Word();
    d.scroll_bars = r.Word();
    d.alignment = r.Word();
    d.input_mode = r.Word();
    d.password_char = r.Half();
    d.letter_case = r.Word();
    d.spin_button = r.Word();
    d.spin_minimum = r.Word();
    d.spin_maximum = r.Word();
    d.selection_start = r.Word();
    d.selection_length = r.Word();
    d.font = r.Counted();
    d.content = r.Counted();
    if (d.version >= 2) {  // the two texts came with version 2
      d.extra_text1 = r.Counted();
      d.extra_text2 = r.Counted();
    }
  });
}

std::vector<uint8_t> WriteEditBoxData(const EditBoxData& d) {
  StoredDataWriter w;
  w.Word(d.version);
  w.Word(d.border_style);
  w.Word(d.property2);
  w.Word(static_cast<int32_t>(d.background_colour));
  w.Word(d.hide_selection);
  w.Word(d.max_length);
  w.Word(d.multi_line);
  w.Word(d.scroll_bars);
  w.Word(d.alignment);
  w.Word(d.input_mode);
  w.Half(d.password_char);
  w.Word(d.letter_case);
  w.Word(d.spin_button);
  w.Word(d.spin_minimum);
  w.Word(d.spin_maximum);
  w.Word(d.selection_start);
  w.Word(d.selection_length);
  w.Counted(d.font);
  w.Counted(d.content);
  if (d.version >= 2) {
    w.Counted(d.extra_text1);
    w.Counted(d.extra_text2);
  }
  return w.bytes();
}

bool EditAcceptsCharacter(int32_t input_mode, uint32_t code) {
  if (code < 0x20) return true;
  switch (input_mode) {
    case kInputReadOnly: return false;
    case kInputIntegerText:
    case kInputShort:
    case kInputInt:
    case kInputInt64: return code == '-' || IsDigit(code);
    case kInputDecimalText:
    case kInputFloat:
    case kInputDouble: return code == '-' || code == '.' || IsDigit(code);
    case kInputByte: return IsDigit(code);
    default: return true;
  }
}

std::string NormaliseEditText(int32_t input_mode, const std::string& text) {
  std::string result;
  switch (input_mode) {
    case kInputByte: result = Decimal(Clamp(ReadInteger(text), 0, 255)); break;
    case kInputShort: result = Decimal(Clamp(ReadInteger(text), -32768, 32767)); break;
    case kInputInt: result = Decimal(Clamp(ReadInteger(text), INT32_MIN, INT32_MAX)); break;
    case kInputInt64: result = Decimal(ReadInteger(text)); break;
    case kInputFloat:
      result = Formatted(ArgValue::Float(static_cast<float>(std::strtod(text.c_str(), nullptr))));
      break;
    case kInputDouble: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.13g", std::strtod(text.c_str(), nullptr));
      result = buffer;
      break;
    }
    case kInputDateTime: {
      double days = 0;
      if (ParseDateTimeText(text, &days) && days != 0) return Formatted(ArgValue::DateTime(days));
      return std::string();
    }
    default: return text;
  }
  return result == "0" ? std::string() : result;
}

bool ParseDateTimeText(const std::string& text, double* days) {
  size_t i = 0;
  SkipBlanks(text, &i);
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!Number(text, &i, &year, 4) || !Separator(text, &i, {"年", "-", "/"})) return false;
  if (!Number(text, &i, &month, 2) || !Separator(text, &i, {"月", "-", "/"})) return false;
  if (!Number(text, &i, &day, 2)) return false;
  Separator(text, &i, {"日"});
  SkipBlanks(text, &i);
  if (i < text.size()) {
    if (!Number(text, &i, &hour, 2) || !Separator(text, &i, {"时", ":"})) return false;
    if (i < text.size() && Number(text, &i, &minute, 2)) {
      Separator(text, &i, {"分", ":"});
      if (i < text.size() && Number(text, &i, &second, 2)) Separator(text, &i, {"秒"});
    }
    SkipBlanks(text, &i);
    if (i != text.size()) return false;
  }
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour > 23 || minute > 59 || second > 59) {
    return false;
  }
  const double whole = static_cast<double>(DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 30));
  const double fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  *days = whole < 0 ? whole - fraction : whole + fraction;
  return true;
}

}  // namespace rt
