// The TransLabel unit type (0x00040005) of the interface library: a child
// window of its own class that paints only its text, so that what lies
// behind it shows through. The rules (stored data, clamping, the text
// format and the effect passes) are here; the painting is trans_label_win32.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/unit_types.h"

namespace rt {

enum TransLabelProperty : int32_t {
  kLabelCaption = 0,
  kLabelTextEffect = 1,
  kLabelFont = 2,
  kLabelTextColour = 3,
  kLabelHorizontalAlign = 4,
  kLabelWordWrap = 5,
  kLabelVerticalAlign = 6,
  kLabelPropertyCount = 7,
};
// The data type of each property.
inline constexpr PropertyDataType kLabelPropertyTypes[kLabelPropertyCount] = {
    kDataTypeText, kDataTypeInt, kDataTypeFont, kDataTypeColour, kDataTypeInt, kDataTypeBool, kDataTypeInt,
};

enum LabelEffect : int32_t { kEffectNone = 0, kEffectRaised = 1, kEffectSunken = 2, kEffectShadow = 3 };

constexpr int32_t kTransLabelDataVersion = 1;

struct TransLabelData {
  int32_t version = kTransLabelDataVersion;
  int32_t text_effect = kEffectNone;
  uint32_t text_colour = 0;
  int32_t horizontal_align = 0;
  int32_t vertical_align = 0;
  int32_t word_wrap = 0;
  std::string font;  // 60 bytes (LOGFONTA) make a font; else the default
  std::string caption;
};

// Empty data gives the defaults. False for a version above 1 (the label is
// then not created) or data that ends early; *data changes only on success.
bool ReadTransLabelData(const uint8_t* bytes, size_t size, TransLabelData* data);
std::vector<uint8_t> WriteTransLabelData(const TransLabelData& data);

// Stores a property value with the type's clamping; false for no such
// property. Caption and font take value.bytes, the others value.number.
bool SetTransLabelProperty(TransLabelData* data, int32_t index, const RawValue& value);
bool GetTransLabelProperty(const TransLabelData& data, int32_t index, RawValue* value);

// The DrawText format of the label.
uint32_t TransLabelTextFormat(const TransLabelData& data);

// One pass of drawing the text: offset from the client rectangle and colour.
struct LabelTextPass {
  int32_t dx;
  int32_t dy;
  uint32_t colour;
};
// The passes in drawing order, the effect's first and the main text last.
std::vector<LabelTextPass> TransLabelPasses(const TransLabelData& data);

void RegisterTransLabelType();
// At shutdown, once the labels are gone.
void ReleaseTransLabelClass();

}  // namespace rt
