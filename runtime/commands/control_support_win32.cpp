#include "runtime/commands/control_support_win32.h"

#include "runtime/core/display_scale.h"
#include "runtime/core/events.h"

namespace rt {

bool ReadStoredFont(const std::string& bytes, LOGFONTA* font) {
  if (bytes.size() != sizeof(LOGFONTA)) return false;
  memcpy(font, bytes.data(), sizeof *font);
  font->lfFaceName[LF_FACESIZE - 1] = '\0';
  const int32_t dpi = SystemDpi();
  font->lfHeight = ScaleToDpi(font->lfHeight, dpi);
  font->lfWidth = ScaleToDpi(font->lfWidth, dpi);
  return true;
}

HFONT CreateStoredFont(const std::string& bytes) {
  LOGFONTA font;
  return ReadStoredFont(bytes, &font) ? CreateFontIndirectA(&font) : nullptr;
}

HFONT FontOrDefault(HFONT own) {
  return own != nullptr ? own : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

COLORREF PlatformColour(uint32_t stored, int system_fallback) {
  if (stored >= 0xFF000000u) {
    const int index = static_cast<int>(stored & 0xFF);
    return GetSysColor(index <= COLOR_MENUBAR ? index : system_fallback);
  }
  return static_cast<COLORREF>(stored & 0xFFFFFF);
}

bool RaiseControlEvent(const ControlObject* control, int32_t event) {
  if (control == nullptr) return false;
  SimpleEvent e{control->window_id, control->unit_id, event, 0, {}, 0, 0};
  return RaiseEvent(&e) != 0;
}

// The standard control classes leave the user data word to the program. It
// is read on every message, and reading it stays in the process, where a
// window property may cost a trip to the window system (it does under Wine).
ControlObject* AttachedControl(HWND hwnd) {
  return reinterpret_cast<ControlObject*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

WNDPROC SubclassControl(HWND hwnd, ControlObject* control, WNDPROC proc) {
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
  return reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

void ReleaseSubclass(HWND hwnd, WNDPROC base) {
  SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
}

std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(hwnd, &text[0], length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

}  // namespace rt
