// The Button unit type (0x0001000B): a push button whose click raises its
// event 0. Stored data: a version word (1) and the caption as a counted text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/unit_types.h"

namespace rt {

enum ButtonProperty : int32_t {
  kButtonCaption = 0,
  kButtonFont = 1,
  kButtonHorizontalAlign = 2,
  kButtonVerticalAlign = 3,
  kButtonDefault = 4,
  kButtonTextColour = 5,
  kButtonPropertyCount = 6,
};
// The data type of each property.
inline constexpr PropertyDataType kButtonPropertyTypes[kButtonPropertyCount] = {
    kDataTypeText, kDataTypeFont, kDataTypeInt, kDataTypeInt, kDataTypeBool, kDataTypeColour,
};

constexpr int32_t kButtonClicked = 0;
constexpr int32_t kButtonDataVersion = 1;

struct ButtonData {
  int32_t version = kButtonDataVersion;
  std::string caption;
};

// Empty data gives an empty caption. False for another version or data
// that ends early or runs on.
bool ReadButtonData(const uint8_t* bytes, size_t size, ButtonData* data);
std::vector<uint8_t> WriteButtonData(const ButtonData& data);

void RegisterButtonType();

}  // namespace rt
