#include "runtime/commands/text_commands.h"

#include <cmath>
#include <cstring>

#include "runtime/core/codepage936.h"
#include "runtime/commands/text_transform.h"
#include "runtime/core/heap.h"
#include "runtime/core/runtime_error.h"

namespace rt {
namespace {

// An argument the caller did not supply reads as omitted.
ArgValue Arg(int32_t argc, const ArgValue* args, int32_t index) {
  return index < argc && args != nullptr ? args[index] : ArgValue::Omitted();
}

int32_t Length(const char* text) {
  return text == nullptr ? 0 : static_cast<int32_t>(std::strlen(text));
}

// One character for CompareText: a single byte, or a lead byte of the code
// page with its trail. A lead byte right before the terminator ends the text.
uint32_t NextCharacter(const unsigned char*& p, bool fold_case) {
  const unsigned char b = *p;
  if (b == 0) return 0;
  if (IsLeadByte936(b)) {
    if (p[1] == 0) return 0;
    const uint32_t value = b * 256u + p[1];
    p += 2;
    return value;
  }
  ++p;
  if (fold_case && b >= 0x41 && b <= 0x5A) return b + 0x20u;
  return b;
}

const char kNotDivisibleByZero[] = "不能整除于零";

}  // namespace

void TextLength(ArgValue* result, int32_t argc, ArgValue* args) {
  SetInt(result, Length(Arg(argc, args, 0).AsText()));
}

void LeftOfText(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* text = Arg(argc, args, 0).AsText();
  const int32_t n = Arg(argc, args, 1).AsInt();
  if (n <= 0) return;
  const int32_t length = Length(text);
  SetText(result, NewTextN(text, n < length ? n : length));
}

void RightOfText(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* text = Arg(argc, args, 0).AsText();
  const int32_t n = Arg(argc, args, 1).AsInt();
  if (n <= 0) return;
  const int32_t length = Length(text);
  const int32_t k = n < length ? n : length;
  if (k == 0) return;
  SetText(result, NewTextN(text + (length - k), k));
}

void CharCodeAt(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* text = Arg(argc, args, 0).AsText();
  const ArgValue position = Arg(argc, args, 1);
  // Unsigned, so that every position <= 0 lands beyond the text as well.
  const uint32_t index =
      position.IsOmitted() ? 0u : static_cast<uint32_t>(position.AsInt()) - 1u;
  const uint32_t length = static_cast<uint32_t>(Length(text));
  if (index > length || text == nullptr) return;  // index == length reads the terminator
  SetInt(result, static_cast<int8_t>(static_cast<unsigned char>(text[index])));
}

void ToUpperCase(ArgValue* result, int32_t argc, ArgValue* args) {
  SetText(result, TransformText(Arg(argc, args, 0).AsText(), kTransformUpperCase));
}

int32_t ValueToInteger(const ArgValue& value) {
  switch (value.tag) {
    case kTagByte:
      return value.payload[0];
    case kTagShort: {
      int16_t s;
      std::memcpy(&s, value.payload, 2);
      return s;
    }
    case kTagInt:
    case kTagBool:
      return value.AsInt();
    case kTagInt64:
      return static_cast<int32_t>(static_cast<uint32_t>(value.AsInt64()));
    case kTagFloat:
    case kTagDouble: {
      const double d = value.tag == kTagFloat ? value.AsFloat() : value.AsDouble();
      // Beyond the 64-bit range (and NaN) gives 0, as the conversion's
      // "indefinite" value 0x8000000000000000 has zero low bits.
      if (!(d > -9223372036854775808.0 && d < 9223372036854775808.0)) return 0;
      return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(d)));
    }
    case kTagSubroutine:
      return static_cast<int32_t>(static_cast<uint32_t>(value.AsAddress()));
    case kTagText: {
      // Full-width digits and signs count: read the half-width form.
      char* narrow = TransformText(value.AsText(), kTransformHalfWidth);
      const int32_t n = ReadDecimal(narrow);
      FreeMemory(narrow);
      return n;
    }
    default:
      return 0;
  }
}

void ToInteger(ArgValue* result, int32_t argc, ArgValue* args) {
  SetInt(result, ValueToInteger(Arg(argc, args, 0)));
}

void CompareText(ArgValue* result, int32_t argc, ArgValue* args) {
  const char* a = Arg(argc, args, 0).AsText();
  const char* b = Arg(argc, args, 1).AsText();
  const bool fold_case = Arg(argc, args, 2).Word(0) == 0;
  const auto* pa = reinterpret_cast<const unsigned char*>(a != nullptr ? a : "");
  const auto* pb = reinterpret_cast<const unsigned char*>(b != nullptr ? b : "");
  for (;;) {
    const uint32_t ca = NextCharacter(pa, fold_case);
    const uint32_t cb = NextCharacter(pb, fold_case);
    if (ca != cb) {
      SetInt(result, ca > cb ? 1 : -1);
      return;
    }
    if (ca == 0) return;
  }
}

void IntegerDivide(ArgValue* result, int32_t argc, ArgValue* args) {
  double value = Arg(argc, args, 0).AsDouble();
  for (int32_t i = 1; i < argc; ++i) {
    const double divisor = Arg(argc, args, i).AsDouble();
    // No entry of the numbered error table fits, so the message goes out
    // with code 0 and no location, as the runtime's own reports do.
    if (divisor == 0.0) ReportErrorMessage(kNotDivisibleByZero, 0, 0, 0);
    value = std::trunc(value / divisor);
  }
  SetDouble(result, value);
}

}  // namespace rt
