// Helpers that the standard controls share on Windows: fonts from stored
// LOGFONTA bytes, colours, events, and the hook that lets a control handle
// its own window's messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "runtime/core/control_object.h"

namespace rt {

// A stored font (60 bytes, a LOGFONTA sized for 96 DPI) as it is made on
// this screen: its height and width grow with the DPI. False for any other
// length.
bool ReadStoredFont(const std::string& bytes, LOGFONTA* font);
// A font made from a stored font, or null for any other length.
HFONT CreateStoredFont(const std::string& bytes);
// The font to select: `own` when there is one, else the default GUI font.
HFONT FontOrDefault(HFONT own);

// A stored colour as the platform's: 0xFF000000 and above name system
// colours (the low byte is the COLOR_ index), the rest is 0x00BBGGRR.
COLORREF PlatformColour(uint32_t stored, int system_fallback);

// Raises event `event` of the control with no arguments; true when a
// handler ran.
bool RaiseControlEvent(const ControlObject* control, int32_t event);

// The control object that SubclassControl attached to hwnd, or null.
ControlObject* AttachedControl(HWND hwnd);
// Puts `proc` in front of the platform class's procedure; the previous
// procedure is returned for CallWindowProcA.
WNDPROC SubclassControl(HWND hwnd, ControlObject* control, WNDPROC proc);
// Undoes SubclassControl (on WM_NCDESTROY).
void ReleaseSubclass(HWND hwnd, WNDPROC base);

// The text of a window, as the platform holds it.
std::string WindowText(HWND hwnd);

}  // namespace rt
