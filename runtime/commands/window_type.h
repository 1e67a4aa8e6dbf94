// The `window` unit type (0x00010001): a window's own unit, the top-level
// platform window with its title bar, border and the window events.
#pragma once

#include <cstdint>

#include "runtime/core/unit_types.h"

namespace rt {

// Type property numbers (PropertyIndex = 8 + number).
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

// Events of a window's own unit.
enum WindowEvent : int32_t {
  kWindowCreated = 0,
  kWindowMayClose = 1,
  kWindowDestroyed = 2,
  kWindowMoved = 3,
  kWindowResized = 4,
  kWindowActivated = 5,
  kWindowDeactivated = 6,
  kWindowFirstActivation = 8,
  kWindowTrayNotification = 9,
  kWindowShown = 10,
  kWindowHidden = 11,
  kWindowCloseRequest = 12,
};

// Common events of every unit (raised by the window's message filter).
enum CommonEvent : int32_t {
  kEventLeftDown = -1,
  kEventLeftUp = -2,
  kEventLeftDoubleClick = -3,
  kEventRightDown = -4,
  kEventRightUp = -5,
  kEventMouseMove = -6,
  kEventGotFocus = -7,
  kEventLostFocus = -8,
  kEventKeyDown = -9,
  kEventKeyUp = -10,
  kEventCharacter = -11,
  kEventWheel = -12,
};

// Start position values.
constexpr int32_t kStartNormal = 0;
constexpr int32_t kStartCentred = 1;
constexpr int32_t kStartMinimised = 2;
constexpr int32_t kStartMaximised = 3;

const UnitTypeDescriptor& WindowTypeDescriptor();
void RegisterWindowType();

}  // namespace rt
