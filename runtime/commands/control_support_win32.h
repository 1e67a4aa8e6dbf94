// Helpers that the control types share on Windows: fonts from stored
// LOGFONTA bytes, colours, borders, events, the making of a control's
// window, the hook that lets a standard control handle its own window's
// messages, and the window classes of the types that have one of their own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "runtime/core/control_object.h"
#include "runtime/core/unit_types.h"

namespace rt {

// A stored font (60 bytes, a LOGFONTA sized for 96 DPI) as it is made on
// this screen: its height and width grow with the DPI. False for any other
// length.
bool ReadStoredFont(const std::string& bytes, LOGFONTA* font);
// A font made from a stored font, or null for any other length.
HFONT CreateStoredFont(const std::string& bytes);
// The font to select: `own` when there is one, else the default GUI font.
HFONT FontOrDefault(HFONT own);
// The LOGFONTA bytes of a font property: the stored font when it makes
// one, else the default GUI font's.
std::string FontPropertyBytes(const std::string& stored);
// The metrics of `font` in hwnd; false when they cannot be measured.
bool MeasureFont(HWND hwnd, HFONT font, TEXTMETRICA* metrics);

// A stored colour as the platform's: 0xFF000000 and above name system
// colours (the low byte is the COLOR_ index), the rest is 0x00BBGGRR.
COLORREF PlatformColour(uint32_t stored, int system_fallback);
// The background brush of a stored colour (system fallback: the window
// colour) in place of `old`, which is deleted; hwnd is redrawn.
HBRUSH ReplaceBackground(HWND hwnd, HBRUSH old, uint32_t stored_colour);
// The answer to a reflected WM_CTLCOLOR* with device context `dc`: the
// brush, the text background set to the same stored colour.
LRESULT BackgroundAnswer(HBRUSH brush, WPARAM dc, uint32_t stored_colour);

// A control's border style: 0 none, 2 a thin edge, any other the sunken
// edge. ApplyBorderStyle puts it on a live control.
DWORD BorderExStyle(int32_t border_style);
void ApplyBorderStyle(HWND hwnd, int32_t border_style);

// Raises event `event` of the control with no arguments; true when a
// handler ran.
bool RaiseControlEvent(const ControlObject* control, int32_t event);

// A new control's names: its window, its unit and its type.
void IdentifyControl(ControlObject* control, const CreateParams& params, uint32_t type_id);
struct ClassControl;
// The child window of a control in the unit's place, with its child id:
// a platform control, or a window of a class of our own whose procedure
// `own` is attached to. Null when it cannot be made.
HWND CreateControlWindow(const char* window_class, DWORD ex_style, const char* text, DWORD style,
                         const CreateParams& params, ClassControl* own = nullptr);

// A standard control (EDIT, BUTTON, LISTBOX) whose type's procedure stands
// in front of the platform class's; its font and brush go with it.
struct PlatformControl : ControlObject {
  WNDPROC base = nullptr;       // the platform class's procedure
  HFONT font = nullptr;         // made from a stored font; null = the default GUI font
  HBRUSH background = nullptr;  // of a type with a background colour
  ~PlatformControl() override;
};
// The control takes over its platform window: the handle, its names and
// the type's procedure `proc`.
void AdoptPlatformControl(PlatformControl* control, HWND hwnd, const CreateParams& params, uint32_t type_id,
                          WNDPROC proc);
// Makes the control's font from stored font bytes and selects it, the
// default GUI font when they make none.
void SelectStoredFont(PlatformControl* control, const std::string& stored);

// The control object that SubclassControl attached to hwnd, or null.
ControlObject* AttachedControl(HWND hwnd);
// Puts `proc` in front of the platform class's procedure; the previous
// procedure is returned for CallWindowProcA.
WNDPROC SubclassControl(HWND hwnd, ControlObject* control, WNDPROC proc);
// Undoes SubclassControl (on WM_NCDESTROY).
void ReleaseSubclass(HWND hwnd, WNDPROC base);

// The text of a window, as the platform holds it.
std::string WindowText(HWND hwnd);

// The window class of a control type that has one of its own. It is
// registered when the first such control is made and unregistered when its
// library shuts down, once no window of it is left.
struct ControlClass {
  const char* name;
  WNDPROC procedure;
  UINT style;
  int stock_background;  // a GetStockObject brush, or kNoBackground
};
constexpr int kNoBackground = -1;
// False when the class cannot be registered.
bool EnsureControlClass(const ControlClass& control_class);
void ReleaseControlClass(const ControlClass& control_class);

// A control whose window is of a class of its own: its window procedure
// finds it in the window's user data word from WM_NCCREATE on, and it goes
// with its window.
struct ClassControl : ControlObject {
  bool created = false;  // CreateWindowExA has returned; before, its caller owns the object
};
// The control of hwnd for its window procedure. WM_NCCREATE attaches the
// ClassControl that CreateWindowExA was given (as a ClassControl*); that
// message, the ones before it and those after WM_NCDESTROY find none.
ClassControl* ClassControlOf(HWND hwnd, UINT message, LPARAM lparam);
// WM_NCDESTROY: detaches the control, tells the runtime, and deletes it
// unless its CreateWindowExA failed (the caller then deletes it).
LRESULT DestroyClassControl(ClassControl* control, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace rt
