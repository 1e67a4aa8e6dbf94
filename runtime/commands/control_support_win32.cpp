#include "runtime/commands/control_support_win32.h"

#include "runtime/core/display_scale.h"
#include "runtime/core/events.h"
#include "runtime/core/registry.h"
#include "runtime/core/window_loading.h"

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

std::string FontPropertyBytes(const std::string& stored) {
  if (stored.size() == sizeof(LOGFONTA)) return stored;
  LOGFONTA font{};
  GetObjectA(FontOrDefault(nullptr), sizeof font, &font);
  return std::string(reinterpret_cast<const char*>(&font), sizeof font);
}

bool MeasureFont(HWND hwnd, HFONT font, TEXTMETRICA* metrics) {
  HDC dc = GetDC(hwnd);
  if (dc == nullptr) return false;
  HGDIOBJ old = SelectObject(dc, font);
  const bool measured = GetTextMetricsA(dc, metrics) != FALSE;
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return measured;
}

COLORREF PlatformColour(uint32_t stored, int system_fallback) {
  if (stored >= 0xFF000000u) {
    const int index = static_cast<int>(stored & 0xFF);
    return GetSysColor(index <= COLOR_MENUBAR ? index : system_fallback);
  }
  return static_cast<COLORREF>(stored & 0xFFFFFF);
}

HBRUSH ReplaceBackground(HWND hwnd, HBRUSH old, uint32_t stored_colour) {
  if (old != nullptr) DeleteObject(old);
  HBRUSH brush = CreateSolidBrush(PlatformColour(stored_colour, COLOR_WINDOW));
  InvalidateRect(hwnd, nullptr, TRUE);
  return brush;
}

LRESULT BackgroundAnswer(HBRUSH brush, WPARAM dc, uint32_t stored_colour) {
  SetBkColor(reinterpret_cast<HDC>(dc), PlatformColour(stored_colour, COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(brush);
}

DWORD BorderExStyle(int32_t border_style) {
  switch (border_style) {
    case 0: return 0;
    case 2: return WS_EX_STATICEDGE;
    default: return WS_EX_CLIENTEDGE;
  }
}

void ApplyBorderStyle(HWND hwnd, int32_t border_style) {
  SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(BorderExStyle(border_style)));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

bool RaiseControlEvent(const ControlObject* control, int32_t event) {
  if (control == nullptr) return false;
  SimpleEvent e{control->window_id, control->unit_id, event, 0, {}, 0, 0};
  return RaiseEvent(&e) != 0;
}

void IdentifyControl(ControlObject* control, const CreateParams& params, uint32_t type_id) {
  control->window_id = params.window != nullptr ? params.window->record.id : 0;
  control->unit_id = params.unit_id;
  control->type_id = type_id;
}

HWND CreateControlWindow(const char* window_class, DWORD ex_style, const char* text, DWORD style,
                         const CreateParams& params, ClassControl* own) {
  return CreateWindowExA(ex_style, window_class, text, style, params.left, params.top, params.width,
                         params.height, reinterpret_cast<HWND>(params.parent),
                         reinterpret_cast<HMENU>(static_cast<uintptr_t>(params.child_id)),
                         GetModuleHandleA(nullptr), own);
}

PlatformControl::~PlatformControl() {
  if (font != nullptr) DeleteObject(font);
  if (background != nullptr) DeleteObject(background);
}

void AdoptPlatformControl(PlatformControl* control, HWND hwnd, const CreateParams& params, uint32_t type_id,
                          WNDPROC proc) {
  control->hwnd = reinterpret_cast<uintptr_t>(hwnd);
  IdentifyControl(control, params, type_id);
  control->base = SubclassControl(hwnd, control, proc);
}

void SelectStoredFont(PlatformControl* control, const std::string& stored) {
  if (control->font != nullptr) DeleteObject(control->font);
  control->font = CreateStoredFont(stored);
  SendMessageA(reinterpret_cast<HWND>(control->hwnd), WM_SETFONT,
               reinterpret_cast<WPARAM>(FontOrDefault(control->font)), TRUE);
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

bool EnsureControlClass(const ControlClass& control_class) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA existing;
  if (GetClassInfoA(instance, control_class.name, &existing)) return true;
  WNDCLASSA wc = {};
  wc.style = control_class.style;
  wc.lpfnWndProc = control_class.procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  if (control_class.stock_background != kNoBackground) {
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(control_class.stock_background));
  }
  wc.lpszClassName = control_class.name;
  return RegisterClassA(&wc) != 0;
}

// The platform refuses while a window of the class is left; the class then
// goes with the process.
void ReleaseControlClass(const ControlClass& control_class) {
  UnregisterClassA(control_class.name, GetModuleHandleA(nullptr));
}

ClassControl* ClassControlOf(HWND hwnd, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* control = static_cast<ClassControl*>(reinterpret_cast<const CREATESTRUCTA*>(lparam)->lpCreateParams);
    control->hwnd = reinterpret_cast<uintptr_t>(hwnd);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<ControlObject*>(control)));
    return nullptr;
  }
  return static_cast<ClassControl*>(AttachedControl(hwnd));
}

LRESULT DestroyClassControl(ClassControl* control, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  UnitDestroyed(control);
  control->hwnd = 0;
  if (control->created) delete control;
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

}  // namespace rt
