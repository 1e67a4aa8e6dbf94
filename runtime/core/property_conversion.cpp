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
// Application codes 1..16 name the system cursors by their resource ids.
constexpr PointerCode kPointerCodes[] = {
    {1, 32512},  {2, 32515},  {3, 32513},  {4, 32641},  {5, 32640},  {6, 32643},
    {7, 32645},  {8, 32642},  {9, 32644},  {10, 32516}, {11, 32514}, {12, 32648},
    {13, 32650}, {14, 32651}, {15, 32646}, {16, 32649},
};

int32_t MulDivRounded(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return 0;
  const int64_t product = static_cast<int64_t>(a) * b;
  const int64_t half = (c > 0 ? c : -c) / 2;
  return static_cast<int32_t>((product >= 0 ? product + half : product - half) / c);
}

int32_t PointsFromHeight(int32_t height, int32_t dpi) {
  return MulDivRounded(height < 0 ? -height : height, 72, dpi);
}

int32_t HeightFromPoints(int32_t points, int32_t dpi) { return -MulDivRounded(points, dpi, 72); }

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
  int32_t a = angle % 3600;
  return a < 0 ? a + 3600 : a;
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
    case 0: return font.escapement;
    case 1: return font.weight >= 700 ? 1 : 0;
    case 2: return font.italic ? 1 : 0;
    case 3: return font.strike_out ? 1 : 0;
    case 4: return font.underline ? 1 : 0;
    case 5: return PointsFromHeight(font.height, dpi);
    case 6: return reinterpret_cast<intptr_t>(NewText(font.face_name));
    case -1: {
      auto* record = static_cast<FontAttributes*>(AllocateMemory(sizeof(FontAttributes)));
      record->angle = font.escapement;
      record->bold = font.weight >= 700 ? 1 : 0;
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
  if (element == -1) {
    // A whole record makes a font of its own: every other attribute is zero.
    FontRecord font{};
    const auto* record = reinterpret_cast<const FontAttributes*>(low);
    if (record != nullptr) {
      font.escapement = font.orientation = NormalisedAngle(record->angle);
      font.weight = record->bold ? 700 : 0;
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
    case 0: font.escapement = font.orientation = NormalisedAngle(value); break;
    case 1: font.weight = value ? 700 : 400; break;
    case 2: font.italic = value ? 1 : 0; break;
    case 3: font.strike_out = value ? 1 : 0; break;
    case 4: font.underline = value ? 1 : 0; break;
    case 5: font.height = HeightFromPoints(value, dpi); break;
    case 6: SetFaceName(font, reinterpret_cast<const char*>(low), 31); break;
    default: break;
  }
  return FontBytes(font);
}

bool IsPlainNumber(int32_t data_type) {
  switch (data_type) {
    case 1000: case 1001: case 1006: case 1014: case 1015: case 1017: return true;
    default: return false;
  }
}

bool IsByteData(int32_t data_type) {
  switch (data_type) {
    case 1009: case 1010: case 1012: case 1023: case 1024: return true;
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

int64_t ConvertPropertyRead(int32_t data_type, int32_t element, const RawValue& raw, int32_t dpi) {
  if (IsPlainNumber(data_type)) return static_cast<int32_t>(raw.number);
  if (data_type == 1002 || data_type == 1004) return raw.number;
  if (data_type == 1003) return raw.number == 1 ? 1 : 0;
  if (data_type == kDataTypeFont) return ReadFont(element, raw, dpi);
  if (IsByteData(data_type) || data_type == kDataTypeMousePointer) {
    std::string bytes = raw.bytes;
    if (data_type == kDataTypeMousePointer) TranslateFirstWord(bytes, PointerCodeForCaller);
    return reinterpret_cast<intptr_t>(
        NewByteBuffer(bytes.data(), static_cast<int32_t>(bytes.size())));
  }
  return reinterpret_cast<intptr_t>(NewTextN(raw.bytes.data(), static_cast<int32_t>(raw.bytes.size())));
}

RawValue ConvertPropertyWrite(int32_t data_type, int32_t element, intptr_t low, int32_t high,
                              const FontRecord& current, int32_t dpi) {
  RawValue raw;
  const int32_t low_word = static_cast<int32_t>(low);
  if (IsPlainNumber(data_type)) {
    raw.number = (data_type == 1006 && low_word < 0) ? 0 : low_word;
  } else if (data_type == 1002 || data_type == 1004) {
    raw.number = static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(low_word)) |
                                      (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32));
  } else if (data_type == 1003) {
    raw.number = low_word != 0 ? 1 : 0;
  } else if (data_type == kDataTypeFont) {
    raw = WriteFont(element, low, current, dpi);
  } else if (IsByteData(data_type) || data_type == kDataTypeMousePointer) {
    raw.bytes = BufferBytes(low);
    if (data_type == kDataTypeMousePointer) TranslateFirstWord(raw.bytes, PointerCodeForStore);
  } else {
    const char* text = reinterpret_cast<const char*>(low);
    if (text != nullptr) raw.bytes = text;
  }
  return raw;
}

}  // namespace rt
