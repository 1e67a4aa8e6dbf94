#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/commands/control_support_win32.h"
#include "runtime/commands/window_type.h"
#include "runtime/core/control_object.h"
#include "runtime/core/display_scale.h"
#include "runtime/core/events.h"
#include "runtime/core/registry.h"
#include "runtime/core/requests.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/window_loading.h"
#include "runtime/core/window_unit_data.h"

namespace rt {
namespace {

constexpr uint32_t kButtonFace = 0xFF000000;

// A close asked for while events are held back (a window is still being
// built) cannot be put to the program's handlers; destroying the window
// without asking would leave a program that nobody can end. It is held and
// asked again once events flow.
constexpr UINT_PTR kHeldCloseTimer = 0x5EC1;
constexpr UINT kHeldCloseCheckMs = 20;

struct WindowControl : ClassControl {
  WindowUnitData data;
  bool activated_once = false;
  HBRUSH background = nullptr;  // only for a colour of its own

  ~WindowControl() override {
    if (background != nullptr) DeleteObject(background);
  }
};

// Raises a window event; true when a handler answered false (a veto). The
// window may be gone afterwards: callers look at the handle, not at the
// control object.
bool Raise(uint32_t window_id, int32_t event) {
  if (window_id == 0) return false;
  SimpleEvent e{window_id, 0, event, 0, {}, 0, 0};
  return RaiseEvent(&e) != 0 && e.has_value != 0 && e.value == 0;
}

bool Sizable(int32_t border) {
  return border == kBorderSizable || border == kBorderSizableTool || border == kBorderSizableSunken;
}

struct Styles {
  DWORD style;
  DWORD ex_style;
};

Styles StylesFor(const WindowUnitData& d, bool owned_with_taskbar_button) {
  const bool title = d.border_style != kBorderNone && (!d.caption.empty() || d.control_box != 0);
  DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (title ? WS_CAPTION : WS_POPUP);
  DWORD ex = 0;
  if (Sizable(d.border_style)) {
    style |= WS_THICKFRAME;
  } else if (d.border_style != kBorderNone && !title) {
    style |= WS_DLGFRAME;
  }
  if (d.border_style == kBorderSizableTool || d.border_style == kBorderFixedTool) ex |= WS_EX_TOOLWINDOW;
  if (d.border_style == kBorderSizableSunken || d.border_style == kBorderFixedSunken) ex |= WS_EX_CLIENTEDGE;
  if (title) {
    if (d.control_box) style |= WS_SYSMENU;
    if (d.minimise_button) style |= WS_MINIMIZEBOX;
    if (d.maximise_button) style |= WS_MAXIMIZEBOX;
  }
  if (d.always_on_top) ex |= WS_EX_TOPMOST;
  if (owned_with_taskbar_button) ex |= WS_EX_APPWINDOW;
  return {style, ex};
}

// The frame (caption and borders) that a window of these styles has on a
// 96-DPI screen, as AdjustWindowRectEx gives it for an empty client area.
RECT FrameAtTemplateDpi(DWORD style, DWORD ex_style, bool menu, int32_t dpi) {
  RECT frame = {0, 0, 0, 0};
  // Windows 10 (1607) and later tell the frame of any DPI; the function is
  // looked up so that the program still starts on older versions.
  using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  const auto adjust_for_dpi = reinterpret_cast<AdjustForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
  if (adjust_for_dpi != nullptr && adjust_for_dpi(&frame, style, menu, ex_style, kTemplateDpi)) return frame;
  // On older versions this screen's frame taken back to 96 DPI comes close.
  AdjustWindowRectEx(&frame, style, menu, ex_style);
  return {MulDiv(frame.left, kTemplateDpi, dpi), MulDiv(frame.top, kTemplateDpi, dpi),
          MulDiv(frame.right, kTemplateDpi, dpi), MulDiv(frame.bottom, kTemplateDpi, dpi)};
}

// The template gives a window's outer size on a 96-DPI screen. On another
// screen its client area grows with the DPI, and this screen's frame goes
// around it; at 96 DPI the size stays exactly as given.
SIZE OuterSizeForDpi(int32_t width, int32_t height, DWORD style, DWORD ex_style, bool menu, int32_t dpi) {
  if (dpi == kTemplateDpi) return {width, height};
  const RECT frame = FrameAtTemplateDpi(style, ex_style, menu, dpi);
  const int32_t client_width = width - (frame.right - frame.left);
  const int32_t client_height = height - (frame.bottom - frame.top);
  RECT outer = {0, 0, ScaleToDpi(client_width > 0 ? client_width : 0, dpi),
                ScaleToDpi(client_height > 0 ? client_height : 0, dpi)};
  AdjustWindowRectEx(&outer, style, menu, ex_style);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

// The program's icon in the caption and on the task-bar button.
void SetProgramIcon(HWND hwnd) {
  IconPair icons = {};
  RuntimeRequest(kReqProgramIcons, reinterpret_cast<intptr_t>(&icons), 0);
  if (icons.large != 0) SendMessageA(hwnd, WM_SETICON, ICON_BIG, static_cast<LPARAM>(icons.large));
  if (icons.small_icon != 0) SendMessageA(hwnd, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(icons.small_icon));
}

POINT CentredOnScreen(int width, int height) {
  return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}

void ApplyCloseButton(HWND hwnd, const WindowUnitData& d) {
  GetSystemMenu(hwnd, TRUE);  // back to the full system menu
  if (!d.close_button) {
    if (HMENU menu = GetSystemMenu(hwnd, FALSE)) RemoveMenu(menu, SC_CLOSE, MF_BYCOMMAND);
  }
}

// Re-applies the styles that the stored data decides, keeping the state bits.
void ApplyStyles(HWND hwnd, const WindowUnitData& d) {
  const HWND owner = GetWindow(hwnd, GW_OWNER);
  const Styles s = StylesFor(d, owner != nullptr && d.own_taskbar_window != 0);
  const DWORD keep = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE;
  const DWORD old_style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
  SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((old_style & keep) | s.style));
  const DWORD old_ex = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
  SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>((old_ex & WS_EX_TOPMOST) | (s.ex_style & ~WS_EX_TOPMOST)));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void ApplyStartPosition(HWND hwnd, int32_t position) {
  switch (position) {
    case kStartCentred: {
      if (IsIconic(hwnd) || IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
      RECT r;
      GetWindowRect(hwnd, &r);
      const POINT at = CentredOnScreen(r.right - r.left, r.bottom - r.top);
      SetWindowPos(hwnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case kStartMinimised: ShowWindow(hwnd, SW_MINIMIZE); break;
    case kStartMaximised: ShowWindow(hwnd, SW_MAXIMIZE); break;
    default:
      if (IsIconic(hwnd) || IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
      break;
  }
}

void PlaceInTopmostLayer(HWND hwnd, bool topmost) {
  SetWindowPos(hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Clearing the flag on one window must not lower the always-on-top windows
// that hang on the hidden owner (they have no task-bar button to be found by).
void KeepOtherTopmostWindows(const WindowControl* except) {
  for (Window& window : Runtime().windows) {
    const std::vector<UnitRecord>& units = window.record.units;
    if (units.empty() || units.front().live == nullptr) continue;
    ControlObject* live = units.front().live;
    if (live == except || live->type_id != kTypeWindow || !IsWindow(reinterpret_cast<HWND>(live->hwnd))) {
      continue;
    }
    const auto* other = static_cast<const WindowControl*>(live);
    if (other->data.always_on_top != 0 && other->data.own_taskbar_window == 0) {
      PlaceInTopmostLayer(reinterpret_cast<HWND>(other->hwnd), true);
    }
  }
}

void ResetBackground(WindowControl* c) {
  if (c->background != nullptr) DeleteObject(c->background);
  c->background = nullptr;
  if (c->data.background_colour != kButtonFace) {
    c->background = CreateSolidBrush(static_cast<COLORREF>(c->data.background_colour & 0xFFFFFF));
  }
}

// The child control that a notification to this window is about, or null.
HWND NotifyingChild(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  HWND child = nullptr;
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR: child = reinterpret_cast<HWND>(lparam); break;
    case WM_NOTIFY: child = lparam != 0 ? reinterpret_cast<const NMHDR*>(lparam)->hwndFrom : nullptr; break;
    case WM_DRAWITEM:
      child = wparam != 0 && lparam != 0 ? reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)->hwndItem : nullptr;
      break;
    case WM_MEASUREITEM:
      child = wparam != 0 ? GetDlgItem(hwnd, static_cast<int>(wparam)) : nullptr;
      break;
    default: break;
  }
  return child != nullptr && child != hwnd && IsChild(hwnd, child) ? child : nullptr;
}

bool SetPointerOfUnit(uint32_t window_id, HWND target) {
  Window* window = LookupWindow(window_id);
  if (window == nullptr) return false;
  for (const UnitRecord& unit : window->record.units) {
    if (unit.live != nullptr && reinterpret_cast<HWND>(unit.live->hwnd) == target && unit.pointer_handle != 0) {
      SetCursor(reinterpret_cast<HCURSOR>(unit.pointer_handle));
      return true;
    }
  }
  return false;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* c = static_cast<WindowControl*>(ClassControlOf(hwnd, message, lparam));
  if (c == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  const uint32_t id = c->window_id;

  if (HWND child = NotifyingChild(hwnd, message, wparam, lparam)) {
    const LRESULT answer = SendMessageA(child, kMsgReflectBase + message, wparam, lparam);
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC && answer == 0) {
      return DefWindowProcA(hwnd, message, wparam, lparam);
    }
    return answer;
  }

  switch (message) {
    case WM_CLOSE: {
      const RuntimeState& state = Runtime();
      if (state.suspension > 0 && !state.shutdown_in_progress) {
        SetTimer(hwnd, kHeldCloseTimer, kHeldCloseCheckMs, nullptr);
        return 0;
      }
      if (Raise(id, kWindowCloseRequest) || !IsWindow(hwnd)) return 0;
      if (Raise(id, kWindowMayClose) || !IsWindow(hwnd)) return 0;
      if (Window* window = LookupWindow(id)) ReleaseDisabledWindows(*window);
      DestroyWindow(hwnd);
      return 0;
    }
    case WM_TIMER:
      if (wparam != kHeldCloseTimer) break;
      if (Runtime().suspension == 0) {
        KillTimer(hwnd, kHeldCloseTimer);
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
      }
      return 0;
    case WM_QUERYENDSESSION: return Raise(id, kWindowMayClose) ? FALSE : TRUE;
    case WM_DESTROY: Raise(id, kWindowDestroyed); break;
    case WM_MOVE: Raise(id, kWindowMoved); break;
    case WM_SIZE: Raise(id, kWindowResized); break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        Raise(id, kWindowDeactivated);
      } else {
        if (!c->activated_once) {
          c->activated_once = true;
          Raise(id, kWindowFirstActivation);
        }
        if (IsWindow(hwnd)) Raise(id, kWindowActivated);
      }
      if (!IsWindow(hwnd)) return 0;
      break;
    case WM_SHOWWINDOW: Raise(id, wparam ? kWindowShown : kWindowHidden); break;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wparam), &r,
               c->background != nullptr ? c->background : GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && SetPointerOfUnit(id, reinterpret_cast<HWND>(wparam))) return TRUE;
      break;
    case WM_NCHITTEST: {
      // Dragging by the body: the client area answers as the title bar.
      const LRESULT hit = DefWindowProcA(hwnd, message, wparam, lparam);
      return hit == HTCLIENT && c->data.drag_by_body ? HTCAPTION : hit;
    }
    case WM_NCDESTROY: return DestroyClassControl(c, hwnd, message, wparam, lparam);
    default: break;
  }
  if (!IsWindow(hwnd)) return 0;
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

// The background is painted on WM_ERASEBKGND: no brush of the class.
constexpr ControlClass kWindowClass = {"RtProgramWindow", WindowProc, CS_DBLCLKS, kNoBackground};

ControlObject* CreateWindowUnit(const CreateParams& p) {
  WindowUnitData data;
  const std::vector<uint8_t> bytes(p.type_data, p.type_data + (p.type_data != nullptr ? p.type_data_size : 0));
  if (!ReadWindowUnitData(bytes, &data) || !EnsureControlClass(kWindowClass)) return nullptr;
  auto control = std::make_unique<WindowControl>();
  control->data = data;
  IdentifyControl(control.get(), p, kTypeWindow);
  ResetBackground(control.get());

  // Without a task-bar button of its own the window hangs on the hidden owner.
  const HWND owner = reinterpret_cast<HWND>(data.own_taskbar_window ? p.parent : Runtime().hidden_owner);
  Styles s = StylesFor(data, owner != nullptr && data.own_taskbar_window != 0);
  s.style |= p.style & WS_DISABLED;  // a tab stop means nothing to a top-level window
  const int32_t dpi = SystemDpi();
  const SIZE size = OuterSizeForDpi(p.width, p.height, s.style, s.ex_style, p.menu != 0, dpi);
  int x = ScaleToDpi(p.left, dpi);
  int y = ScaleToDpi(p.top, dpi);
  if (data.start_position == kStartCentred) {
    const POINT at = CentredOnScreen(size.cx, size.cy);
    x = at.x;
    y = at.y;
  }
  HWND hwnd = CreateWindowExA(s.ex_style, kWindowClass.name, data.caption.c_str(), s.style, x, y, size.cx, size.cy,
                              owner, reinterpret_cast<HMENU>(p.menu), GetModuleHandleA(nullptr),
                              static_cast<ClassControl*>(control.get()));
  if (hwnd == nullptr) return nullptr;
  control->created = true;
  SetProgramIcon(hwnd);
  if (!data.close_button) ApplyCloseButton(hwnd, data);
  return control.release();
}

bool SetWindowProperty(ControlObject* object, int32_t index, const RawValue& value) {
  auto* c = static_cast<WindowControl*>(object);
  HWND hwnd = reinterpret_cast<HWND>(c->hwnd);
  WindowUnitData& d = c->data;
  const int32_t n = static_cast<int32_t>(value.number);
  const std::vector<uint8_t> block(value.bytes.begin(), value.bytes.end());
  switch (index) {
    case kWindowCaption:
      d.caption = value.bytes;
      SetWindowTextA(hwnd, d.caption.c_str());
      break;
    case kWindowBorderStyle:
      d.border_style = n < kBorderNone ? kBorderNone : (n > kBorderFixedSunken ? kBorderFixedSunken : n);
      ApplyStyles(hwnd, d);
      break;
    case kWindowBackgroundColour:
      d.background_colour = static_cast<uint32_t>(n);
      ResetBackground(c);
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case kWindowBackgroundPicture: d.background_picture = block; break;
    case kWindowPictureMode: d.picture_mode = n < 0 ? 0 : (n > 3 ? 3 : n); break;
    case kWindowByteBlock13: d.byte_block13 = block; break;
    case kWindowProperty14: d.property14 = n; break;
    case kWindowControlBox: d.control_box = n; ApplyStyles(hwnd, d); break;
    case kWindowMaximiseButton: d.maximise_button = n; ApplyStyles(hwnd, d); break;
    case kWindowMinimiseButton: d.minimise_button = n; ApplyStyles(hwnd, d); break;
    case kWindowStartPosition:
      d.start_position = n;
      if (IsWindowVisible(hwnd)) ApplyStartPosition(hwnd, n);
      break;
    case kWindowCloseButton: d.close_button = n; ApplyCloseButton(hwnd, d); break;
    case kWindowByteBlock20: d.byte_block20 = block; break;
    case kWindowEnterMovesFocus: d.enter_moves_focus = n; break;
    case kWindowEscapeCloses: d.escape_closes = n; break;
    case kWindowF1OpensHelp: d.f1_opens_help = n; break;
    case kWindowHelpFile: d.help_file = value.bytes; break;
    case kWindowHelpTopic: d.help_topic = n; break;
    case kWindowOwnTaskbarWindow:
      d.own_taskbar_window = n;
      if (n == 0) {
        SetWindowLongPtrA(hwnd, GWLP_HWNDPARENT, static_cast<LONG_PTR>(Runtime().hidden_owner));
      } else if (GetWindow(hwnd, GW_OWNER) == reinterpret_cast<HWND>(Runtime().hidden_owner)) {
        SetWindowLongPtrA(hwnd, GWLP_HWNDPARENT, 0);
      }
      break;
    case kWindowDragByBody: d.drag_by_body = n; break;
    case kWindowProperty28: d.property28 = n; break;
    case kWindowAlwaysOnTop:
      d.always_on_top = n;
      PlaceInTopmostLayer(hwnd, n == 1);
      if (n != 1) KeepOtherTopmostWindows(c);
      break;
    case kWindowProperty30: d.property30 = n; break;
    case kWindowText31: d.text31 = value.bytes; break;
    default: return false;
  }
  return true;
}

bool GetWindowProperty(ControlObject* object, int32_t index, RawValue* value) {
  const auto* c = static_cast<const WindowControl*>(object);
  const WindowUnitData& d = c->data;
  auto bytes = [value](const std::vector<uint8_t>& b) { value->bytes.assign(b.begin(), b.end()); };
  switch (index) {
    // The platform's text: the user or the platform may have changed it.
    case kWindowCaption: value->bytes = WindowText(reinterpret_cast<HWND>(c->hwnd)); break;
    case kWindowBorderStyle: value->number = d.border_style; break;
    case kWindowBackgroundColour: value->number = d.background_colour; break;
    case kWindowBackgroundPicture: bytes(d.background_picture); break;
    case kWindowPictureMode: value->number = d.picture_mode; break;
    case kWindowByteBlock13: bytes(d.byte_block13); break;
    case kWindowProperty14: value->number = d.property14; break;
    case kWindowControlBox: value->number = d.control_box; break;
    case kWindowMaximiseButton: value->number = d.maximise_button; break;
    case kWindowMinimiseButton: value->number = d.minimise_button; break;
    case kWindowStartPosition: value->number = d.start_position; break;
    case kWindowCloseButton: value->number = d.close_button; break;
    case kWindowByteBlock20: bytes(d.byte_block20); break;
    case kWindowEnterMovesFocus: value->number = d.enter_moves_focus; break;
    case kWindowEscapeCloses: value->number = d.escape_closes; break;
    case kWindowF1OpensHelp: value->number = d.f1_opens_help; break;
    case kWindowHelpFile: value->bytes = d.help_file; break;
    case kWindowHelpTopic: value->number = d.help_topic; break;
    case kWindowOwnTaskbarWindow: value->number = d.own_taskbar_window; break;
    case kWindowDragByBody: value->number = d.drag_by_body; break;
    case kWindowProperty28: value->number = d.property28; break;
    case kWindowAlwaysOnTop: value->number = d.always_on_top; break;
    case kWindowProperty30: value->number = d.property30; break;
    case kWindowText31: value->bytes = d.text31; break;
    default: return false;
  }
  return true;
}

constexpr UnitTypeOps kOps = {CreateWindowUnit, SetWindowProperty, GetWindowProperty};
constexpr UnitTypeDescriptor kType = DescribeUnitType<kOps>(kTypeWindow, kTypeClass2, kWindowPropertyTypes);

}  // namespace

void RegisterWindowType() { RegisterUnitType(&kType); }
void ReleaseWindowClass() { ReleaseControlClass(kWindowClass); }

}  // namespace rt
