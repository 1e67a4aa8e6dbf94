// The window unit's own property data (type data of unit type 0x00010001),
// as the window template stores it. Comments give each field's property
// index (8 + the window type's property number).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rt {

// The window type's property numbers (PropertyIndex = 8 + number).
enum WindowTypeProperty : int32_t {
  kWindowCaption = 0,
  kWindowBorderStyle = 1,
  kWindowBackgroundColour = 2,
  kWindowBackgroundPicture = 3,
  kWindowPictureMode = 4,
  kWindowByteBlock13 = 5,
  kWindowProperty14 = 6,
  kWindowControlBox = 7,
  kWindowMaximiseButton = 8,
  kWindowMinimiseButton = 9,
  kWindowStartPosition = 10,
  kWindowCloseButton = 11,
  kWindowByteBlock20 = 12,
  kWindowEnterMovesFocus = 13,
  kWindowEscapeCloses = 14,
  kWindowF1OpensHelp = 15,
  kWindowHelpFile = 16,
  kWindowHelpTopic = 17,
  kWindowOwnTaskbarWindow = 18,
  kWindowDragByBody = 19,
  kWindowProperty28 = 20,
  kWindowAlwaysOnTop = 21,
  kWindowProperty30 = 22,
  kWindowText31 = 23,
  kWindowPropertyCount = 24,
};

// Values of kWindowBorderStyle.
enum WindowBorder : int32_t {
  kBorderNone = 0,  // no title bar
  kBorderSizable = 1,
  kBorderFixed = 2,
  kBorderSizableTool = 3,
  kBorderFixedTool = 4,
  kBorderSizableSunken = 5,  // with a sunken client edge
  kBorderFixedSunken = 6,
};

// Values of kWindowStartPosition.
constexpr int32_t kStartNormal = 0;
constexpr int32_t kStartCentred = 1;
constexpr int32_t kStartMinimised = 2;
constexpr int32_t kStartMaximised = 3;

// Data of a higher version cannot be read.
constexpr int32_t kWindowUnitDataVersion = 6;

struct WindowUnitData {
  int32_t version = kWindowUnitDataVersion;
  int32_t border_style = 2;               // 9: 0 none ... 6 fixed with sunken edge
  int32_t picture_mode = 1;               // 12
  uint32_t background_colour = 0xFF000000;  // 10: 0xFF000000 = button face
  int32_t maximise_button = 0;            // 16
  int32_t minimise_button = 1;            // 17
  int32_t control_box = 1;                // 15
  int32_t start_position = 1;             // 18: 1 = centred on the screen
  int32_t close_button = 1;               // 19
  int32_t property14 = 0;                 // 14: kept, not interpreted
  int32_t enter_moves_focus = 0;          // 21
  int32_t escape_closes = 1;              // 22
  int32_t f1_opens_help = 0;              // 23
  int32_t help_topic = 0;                 // 25
  int32_t own_taskbar_window = 1;         // 26, version >= 2
  int32_t drag_by_body = 0;               // 27, version >= 3
  int32_t property28 = 0;                 // 28, version >= 3: kept, not interpreted
  int32_t always_on_top = 0;              // 29, version >= 4
  int32_t property30 = 0;                 // 30, version >= 5: kept, not interpreted
  std::string text31;                     // 31, version 6
  std::vector<uint8_t> background_picture;  // 11
  std::vector<uint8_t> byte_block20;      // 20
  std::vector<uint8_t> byte_block13;      // 13
  std::string caption;                    // 8
  std::string help_file;                  // 24
};

// Empty data gives all defaults. False for a version above 6, data that ends
// early, a negative or oversized count, or bytes left after the last field
// (they could not be written back). *data is changed only on success.
bool ReadWindowUnitData(const std::vector<uint8_t>& type_data, WindowUnitData* data);

// Stores the fields that data.version carries. A version above 6 stores just
// the version word, which reads back as unreadable, as it was (so does a
// block or text too long for a 31-bit count, which cuts the data short).
std::vector<uint8_t> WriteWindowUnitData(const WindowUnitData& data);

}  // namespace rt
