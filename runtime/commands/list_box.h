// The ListBox unit type (0x0001000F): its stored data and properties. The
// platform part (the LISTBOX control, its events 0 selection changed and 1
// double-clicked) is list_box_win32.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/unit_types.h"

namespace rt {

// Type property numbers (PropertyIndex = 8 + number). Properties 1 to 8
// are the stored words after the version word, in order.
enum ListBoxProperty : int32_t {
  kListItems = 0,
  kListBorderStyle = 1,
  kListSorted = 2,
  kListMultiColumn = 3,
  kListItemHeightExtra = 4,
  kListWord6 = 5,
  kListBackgroundColour = 6,
  kListExtendedSelect = 7,
  kListCurrentSelection = 8,
  kListFont = 9,
  kListItemCount = 10,
  kListTopIndex = 11,
  kListProperty12 = 12,
  kListProperty13 = 13,
  kListPropertyCount = 14,
};
// The data type of each property.
inline constexpr PropertyDataType kListPropertyTypes[kListPropertyCount] = {
    kDataTypeText, kDataTypeInt, kDataTypeBool, kDataTypeBool, kDataTypeInt, kDataTypeInt, kDataTypeColour,
    kDataTypeBool, kDataTypeInt, kDataTypeFont, kDataTypeInt, kDataTypeInt, kDataTypeInt, kDataTypeInt,
};

constexpr int32_t kListSelectionChanged = 0;
constexpr int32_t kListDoubleClicked = 1;
constexpr int32_t kListBoxDataVersion = 3;

struct ListBoxData {
  int32_t version = 1;
  int32_t border_style = 1;
  int32_t sorted = 0;
  int32_t multi_column = 0;
  int32_t item_height_extra = 0;
  int32_t word6 = 0;
  uint32_t background_colour = 0xFFFFFF;
  int32_t extended_select = 0;
  int32_t selected_index = -1;
  std::string font;  // 60 bytes make a font; anything else is the default
};

bool ReadListBoxData(const uint8_t* bytes, size_t size, ListBoxData* data);
std::vector<uint8_t> WriteListBoxData(const ListBoxData& data);

void RegisterListBoxType();

}  // namespace rt
