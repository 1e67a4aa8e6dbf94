// The EditBox unit type (0x00010005): its stored data, and the rules of its
// input modes (which typed characters pass, how the text is normalised when
// the box loses the focus). The platform part is edit_box_win32.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/unit_types.h"

namespace rt {

// Type property numbers (PropertyIndex = 8 + number).
enum EditBoxProperty : int32_t {
  kEditContent = 0,
  kEditBorderStyle = 1,
  kEditProperty2 = 2,
  kEditBackgroundColour = 3,
  kEditHideSelection = 4,
  kEditMaxLength = 5,
  kEditMultiLine = 6,
  kEditScrollBars = 7,
  kEditAlignment = 8,
  kEditInputMode = 9,
  kEditPasswordChar = 10,
  kEditLetterCase = 11,
  kEditSpinButton = 12,
  kEditSpinMinimum = 13,
  kEditSpinMaximum = 14,
  kEditSelectionStart = 15,
  kEditSelectionLength = 16,
  kEditSelectedText = 17,
  kEditFont = 18,
  kEditExtraText1 = 19,
  kEditExtraText2 = 20,
  kEditPropertyCount = 21,
};
// The data type of each property.
inline constexpr PropertyDataType kEditPropertyTypes[kEditPropertyCount] = {
    kDataTypeText, kDataTypeInt,  kDataTypeInt,  kDataTypeColour, kDataTypeBool, kDataTypeInt, kDataTypeBool,
    kDataTypeInt,  kDataTypeInt,  kDataTypeInt,  kDataTypeInt,    kDataTypeInt,  kDataTypeInt, kDataTypeInt,
    kDataTypeInt,  kDataTypeInt,  kDataTypeInt,  kDataTypeText,   kDataTypeFont, kDataTypeText, kDataTypeText,
};

enum EditInputMode : int32_t {
  kInputNormal = 0,
  kInputReadOnly = 1,
  kInputPassword = 2,
  kInputIntegerText = 3,
  kInputDecimalText = 4,
  kInputByte = 5,
  kInputShort = 6,
  kInputInt = 7,
  kInputInt64 = 8,
  kInputFloat = 9,
  kInputDouble = 10,
  kInputDateTime = 11,
};

// Events of an edit box.
constexpr int32_t kEditContentChanged = 0;

constexpr int32_t kEditBoxDataVersion = 2;

struct EditBoxData {
  int32_t version = kEditBoxDataVersion;
  int32_t border_style = 1;
  int32_t property2 = 0;
  uint32_t background_colour = 0xFFFFFF;
  int32_t hide_selection = 1;
  int32_t max_length = 0;  // 0: the platform's default limit
  int32_t multi_line = 0;
  int32_t scroll_bars = 0;  // 0 none, 1 horizontal, 2 vertical, 3 both
  int32_t alignment = 0;    // 0 left, 1 centre, 2 right
  int32_t input_mode = kInputNormal;
  uint16_t password_char = '*';
  int32_t letter_case = 0;  // 0 as typed, 1 lower, 2 upper
  int32_t spin_button = 0;
  int32_t spin_minimum = 0;
  int32_t spin_maximum = 100;
  int32_t selection_start = 0;
  int32_t selection_length = 0;
  std::string font;  // 60 bytes make a font; anything else is the default
  std::string content;
  std::string extra_text1;  // version 2
  std::string extra_text2;  // version 2
};

// Empty data gives the defaults. False for a version above 2 or data that
// ends early; *data is changed only on success.
bool ReadEditBoxData(const uint8_t* bytes, size_t size, EditBoxData* data);
std::vector<uint8_t> WriteEditBoxData(const EditBoxData& data);

// Whether a typed character code passes the keyboard filter of the mode.
// Control characters (below 0x20) always pass.
bool EditAcceptsCharacter(int32_t input_mode, uint32_t code);

// The text the box holds after losing the focus (modes 5 to 11 change it;
// other modes give the text back unchanged).
std::string NormaliseEditText(int32_t input_mode, const std::string& text);

// A date and time typed as "2024年3月5日 6时7分8秒", "2024-03-05 06:07:08" or
// "2024/3/5 6:07"; false for anything else or an impossible date. The value
// is days since 30 December 1899, with the time of day as its fraction.
bool ParseDateTimeText(const std::string& text, double* days);

void RegisterEditBoxType();

}  // namespace rt
