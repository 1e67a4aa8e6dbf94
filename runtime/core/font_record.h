// The 60-byte font record (the platform's LOGFONTA layout) that font
// properties and stored font data use, and the 28-byte attribute record
// through which the application reads or writes a whole font.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

struct FontRecord {
  int32_t height;
  int32_t width;
  int32_t escapement;  // tenths of a degree
  int32_t orientation;
  int32_t weight;
  uint8_t italic;
  uint8_t underline;
  uint8_t strike_out;
  uint8_t char_set;
  uint8_t out_precision;
  uint8_t clip_precision;
  uint8_t quality;
  uint8_t pitch_and_family;
  char face_name[32];
};
static_assert(sizeof(FontRecord) == 60, "LOGFONTA is 60 bytes");
static_assert(offsetof(FontRecord, weight) == 16, "weight");
static_assert(offsetof(FontRecord, italic) == 20, "italic");
static_assert(offsetof(FontRecord, char_set) == 23, "charset");
static_assert(offsetof(FontRecord, face_name) == 28, "face name");

constexpr int32_t kWeightNormal = 400;
constexpr int32_t kWeightBold = 700;  // and above: bold

// The element index of a font property: one attribute, or the whole font
// as a FontAttributes record.
enum FontElement : int32_t {
  kFontWhole = -1,
  kFontAngle = 0,  // in tenths of a degree
  kFontBold = 1,
  kFontItalic = 2,
  kFontStrikeOut = 3,
  kFontUnderline = 4,
  kFontSize = 5,  // in points
  kFontFaceName = 6,
};

// Element -1 of a font property: angle, bold, italic, strike-out, underline,
// size in points, face name text.
struct FontAttributes {
  int32_t angle;
  int32_t bold;
  int32_t italic;
  int32_t strike_out;
  int32_t underline;
  int32_t size;
  const char* face_name;
};
static_assert(sizeof(void*) != 4 || sizeof(FontAttributes) == 28, "28 bytes on 32-bit Windows");

constexpr const char* kFallbackFaceName = "宋体";

}  // namespace rt
