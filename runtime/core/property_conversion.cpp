#include "runtime/core/property_conversion.h"

#include <cstring>
#include <string>

#include "runtime/core/heap.h"

namespace rt {
namespace {

struct PointerCode {
  int32_t caller;
  int32_t stored;
};
// The system cursors by their resource ids (IDC_ARROW and the rest).
enum SystemCursor : int32_t {
  kCursorArrow = 32512,
  kCursorIBeam = 32513,
  kCursorWait = 32514,
  kCursorCross = 32515,
  kCursorUpArrow = 32516,
  kCursorSize = 32640,
  kCursorIcon = 32641,
  kCursorSizeNwse = 32642,
  kCursorSizeNesw = 32643,
  kCursorSizeWe = 32644,
  kCursorSizeNs = 32645,
  kCursorSizeAll = 32646,
  kCursorNo = 32648,
  kCursorHand = 32649,
  kCursorAppStarting = 32650,
  kCursorHelp = 32651,
};
// Application codes 1..16 name the system cursors.
constexpr PointerCode kPointerCodes[] = {
    {1, kCursorArrow},        {2, kCursorCross},        {3, kCursorIBeam},        {4, kCursorIcon},
    {5, kCursorSize},         {6, kCursorSizeNesw},     {7, kCursorSizeNs},       {8, kCursorSizeNwse},
    {9, kCursorSizeWe},       {10, kCursorUpArrow},     {11, kCursorWait},        {12, kCursorNo},
    {13, kCursorAppStarting}, {14, kCursorHelp},        {15, kCursorSizeAll},     {16, kCursorHand},
};

int32_t MulDivRounded(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return 0;
  const int64_t product = static_cast<int64_t>(a) * b;
  const int64_t half = (c > 0 ? c : -c) / 2;
  return static_cast<int32_t>((product >= 0 ? product + half : product - half) / c);
}

constexpr int32_t kPointsPerInch = 72;
constexpr int32_t kFullTurn = 3600;  // tenths of a degree

int32_t PointsFromHeight(int32_t height, int32_t dpi) {
  return MulDivRounded(height < 0 ? -height : height, kPointsPerInch, dpi);
}

int32_t HeightFromPoints(int32_t points, int32_t dpi) { return -MulDivRounded(points, dpi, kPointsPerInch); }

std::string BufferBytes(intptr_t low) {
  const void* buffer = reinterpret_cast<const void*>(low);
  const int32_t length = ByteBufferLength(buffer);
  if (length <= 0) return std::string();
  return std::string(reinterpret_cast<const char*>(ByteBufferData(buffer)),
                     static_cast<size_t>(length));
}

void TranslateFirstWord(std::string& bytes, int32_t (*translate)(int32_t)) {
  if (bytes.size() < 4) return;
  int32_t code;
  std::memcpy(&code, bytes.data(), 4);
  code = translate(code);
  std::memcpy(&bytes[0], &code, 4);
}

// A face name of 1 to `longest` bytes is kept; any other gives the fallback.
void SetFaceName(FontRecord& font, const char* face, size_t longest) {
  const size_t length = face != nullptr ? std::strlen(face) : 0;
  std::memset(font.face_name, 0, sizeof font.face_name);
  if (length >= 1 && length <= longest) {
    std::memcpy(font.face_name, face, length);
  } else {
    std::strcpy(font.face_name, kFallbackFaceName);
  }
}

int32_t NormalisedAngle(int32_t angle) {
  int32_t a = angle % kFullTurn;
  return a < 0 ? a + kFullTurn : a;
}

RawValue FontBytes(const FontRecord& font) {
  RawValue raw;
  raw.bytes.assign(reinterpret_cast<const char*>(&font), sizeof font);
  return raw;
}

int64_t ReadFont(int32_t element, const RawValue& raw, int32_t dpi) {
  FontRecord font{};
  std::memcpy(&font, raw.bytes.data(), raw.bytes.size() < sizeof font ? raw.bytes.size() : sizeof font);
  font.face_name[31] = '\0';
  switch (element) {
    case kFontAngle: return font.escapement;
    case kFontBold: return font.weight >= kWeightBold ? 1 : 0;
    case kFontItalic: return font.italic ? 1 : 0;
    case kFontStrikeOut: return font.strike_out ? 1 : 0;
    case kFontUnderline: return font.underline ? 1 : 0;
    case kFontSize: return PointsFromHeight(font.height, dpi);
    case kFontFaceName: return reinterpret_cast<intptr_t>(NewText(font.face_name));
    case kFontWhole: {
      auto* record = static_cast<FontAttributes*>(AllocateMemory(sizeof(FontAttributes)));
      record->angle = font.escapement;
      record->bold = font.weight >= kWeightBold ? 1 : 0;
      record->italic = font.italic ? 1 : 0;
      record->strike_out = font.strike_out ? 1 : 0;
      record->underline = font.underline ? 1 : 0;
      record->size = PointsFromHeight(font.height, dpi);
      record->face_name = NewText(font.face_name);
      return reinterpret_cast<intptr_t>(record);
    }
    default: return 0;
  }
}

RawValue WriteFont(int32_t element, intptr_t low, const FontRecord& current, int32_t dpi) {
  if (element == kFontWhole) {
    // A whole record makes a font of its own: every other attribute is zero.
    FontRecord font{};
    const auto* record = reinterpret_cast<const FontAttributes*>(low);
    if (record != nullptr) {
      font.escapement = font.orientation = NormalisedAngle(record->angle);
      font.weight = record->bold ? kWeightBold : 0;
      font.italic = record->italic ? 1 : 0;
      font.strike_out = record->strike_out ? 1 : 0;
      font.underline = record->underline ? 1 : 0;
      font.height = HeightFromPoints(record->size, dpi);
    }
    SetFaceName(font, record != nullptr ? record->face_name : nullptr, 30);
    return FontBytes(font);
  }
  FontRecord font = current;
  const int32_t value = static_cast<int32_t>(low);
  switch (element) {
    case kFontAngle: font.escapement = font.orientation = NormalisedAngle(value); break;
    case kFontBold: font.weight = value ? kWeightBold : kWeightNormal; break;
    case kFontItalic: font.italic = value ? 1 : 0; break;
    case kFontStrikeOut: font.strike_out = value ? 1 : 0; break;
    case kFontUnderline: font.underline = value ? 1 : 0; break;
    case kFontSize: font.height = HeightFromPoints(value, dpi); break;
    case kFontFaceName: SetFaceName(font, reinterpret_cast<const char*>(low), 31); break;
    default: break;
  }
  return FontBytes(font);
}

bool IsPlainNumber(PropertyDataType data_type) {
  switch (data_type) {
    case kDataTypeInt:
    case kDataTypeColour:
    case kDataTypeNonNegativeInt:
    case kDataTypeInt1014:
    case kDataTypeInt1015:
    case kDataTypeInt1017: return true;
    default: return false;
  }
}

bool IsWideNumber(PropertyDataType data_type) {
  return data_type == kDataType64Bit1002 || data_type == kDataType64Bit1004;
}

// Bytes handed over as a byte buffer; a mouse pointer's too.
bool IsByteData(PropertyDataType data_type) {
  switch (data_type) {
    case kDataTypeByteBuffer:
    case kDataTypeBytes1010:
    case kDataTypeBytes1012:
    case kDataTypeBytes1023:
    case kDataTypeBytes1024:
    case kDataTypeMousePointer: return true;
    default: return false;
  }
}

}  // namespace

int32_t PointerCodeForCaller(int32_t stored) {
  for (const PointerCode& code : kPointerCodes) {
    if (code.stored == stored) return code.caller;
  }
  return stored == 0 ? 0 : stored;
}

int32_t PointerCodeForStore(int32_t caller) {
  for (const PointerCode& code : kPointerCodes) {
    if (code.caller == caller) return code.stored;
  }
  return caller;
}

int64_t ConvertPropertyRead(PropertyDataType data_type, int32_t element, const RawValue& raw, int32_t dpi) {
  if (IsPlainNumber(data_type)) return static_cast<int32_t>(raw.number);
  if (IsWideNumber(data_type)) return raw.number;
  if (data_type == kDataTypeBool) return raw.number == 1 ? 1 : 0;
  if (data_type == kDataTypeFont) return ReadFont(element, raw, dpi);
  if (IsByteData(data_type)) {
    std::string bytes = raw.bytes;
    if (data_type == kDataTypeMousePointer) TranslateFirstWord(bytes, PointerCodeForCaller);
    return reinterpret_cast<intptr_t>(
        NewByteBuffer(bytes.data(), static_cast<int32_t>(bytes.size())));
  }
  return reinterpret_cast<intptr_t>(NewTextN(raw.bytes.data(), static_cast<int32_t>(raw.bytes.size())));
}

RawValue ConvertPropertyWrite(PropertyDataType data_type, int32_t element, intptr_t low, int32_t high,
                              const FontRecord& current, int32_t dpi) {
  RawValue raw;
  const int32_t low_word = static_cast<int32_t>(low);
  if (IsPlainNumber(data_type)) {
    raw.number = (data_type == kDataTypeNonNegativeInt && low_word < 0) ? 0 : low_word;
  } else if (IsWideNumber(data_type)) {
    raw.number = static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(low_word)) |
                                      (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32));
  } else if (data_type == kDataTypeBool) {
    raw.number = low_word != 0 ? 1 : 0;
  } else if (data_type == kDataTypeFont) {
    raw = WriteFont(element, low, current, dpi);
  } else if (IsByteData(data_type)) {
    raw.bytes = BufferBytes(low);
    if (data_type == kDataTypeMousePointer) TranslateFirstWord(raw.bytes, PointerCodeForStore);
  } else {
    const char* text = reinterpret_cast<const char*>(low);
    if (text != nullptr) raw.bytes = text;
  }
  return raw;
}

}  // namespace rt
