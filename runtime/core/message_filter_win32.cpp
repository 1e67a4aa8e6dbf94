#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "runtime/core/codepage936.h"
#include "runtime/core/control_object.h"
#include "runtime/core/events.h"
#include "runtime/core/message_filter.h"
#include "runtime/core/registry.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/unit_types.h"
#include "runtime/core/window_loading.h"
#include "runtime/core/window_unit_data.h"

namespace rt {
namespace {

HWND HwndOf(const UnitRecord& unit) {
  return unit.live != nullptr ? reinterpret_cast<HWND>(unit.live->hwnd) : nullptr;
}

bool IsKeyboardMessage(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

int64_t OwnTypeProperty(Window& window, int32_t index) {
  UnitRecord& own = window.record.units.front();
  const UnitTypeDescriptor* type = FindUnitType(own.type_id);
  if (own.live == nullptr || type == nullptr || type->query == nullptr) return 0;
  auto get = reinterpret_cast<GetPropertyOp>(type->query(kOpGetProperty));
  RawValue raw;
  return get != nullptr && get(own.live, index, &raw) ? raw.number : 0;
}

std::string OwnTypeText(Window& window, int32_t index) {
  UnitRecord& own = window.record.units.front();
  const UnitTypeDescriptor* type = FindUnitType(own.type_id);
  if (own.live == nullptr || type == nullptr || type->query == nullptr) return std::string();
  auto get = reinterpret_cast<GetPropertyOp>(type->query(kOpGetProperty));
  RawValue raw;
  return get != nullptr && get(own.live, index, &raw) ? raw.bytes : std::string();
}

// Raises event 0 of a control; the window may be gone afterwards.
void RaiseEventZero(uint32_t window_id, uint32_t control_id) {
  SimpleEvent e{window_id, control_id, 0, 0, {}, 0, 0};
  RaiseEvent(&e);
}

int32_t KeyState() {
  int32_t state = 0;
  if (GetKeyState(VK_CONTROL) < 0) state |= kKeyStateControl;
  if (GetKeyState(VK_SHIFT) < 0) state |= kKeyStateShift;
  if (GetKeyState(VK_MENU) < 0) state |= kKeyStateAlt;
  return state;
}

// Key state of a mouse message: its own control and shift bits, alt from the keyboard.
int32_t MouseKeyState(WPARAM wparam) {
  int32_t state = 0;
  if (wparam & MK_CONTROL) state |= kKeyStateControl;
  if (wparam & MK_SHIFT) state |= kKeyStateShift;
  if (GetKeyState(VK_MENU) < 0) state |= kKeyStateAlt;
  return state;
}

// Step 2: a press of the left button ends a mouse capture held elsewhere.
void CancelModes(const MSG& msg) {
  HWND capture = GetCapture();
  if (capture != nullptr && capture != msg.hwnd &&
      GetWindowThreadProcessId(capture, nullptr) == GetCurrentThreadId()) {
    SendMessageA(capture, WM_CANCELMODE, 0, 0);
    if (GetCapture() == capture) ReleaseCapture();
  }
}

// Step 4: each unit type of the window that filters messages may take it.
bool TypeFilters(Window& window, MSG* msg) {
  std::vector<const UnitTypeDescriptor*> asked;
  for (const UnitRecord& unit : window.record.units) {
    if (unit.IsMenuItem() || unit.live == nullptr) continue;
    const UnitTypeDescriptor* type = FindUnitType(unit.type_id);
    if (type == nullptr || !(type->flags & kTypeFiltersMessages) || type->query == nullptr) continue;
    if (std::find(asked.begin(), asked.end(), type) != asked.end()) continue;
    asked.push_back(type);
    auto filter = reinterpret_cast<FilterMessageOp>(type->query(kOpFilterMessage));
    if (filter == nullptr) continue;
    PlatformMessage m{reinterpret_cast<uintptr_t>(msg->hwnd), msg->message, msg->wParam, msg->lParam};
    const bool taken = filter(&window, &m);
    msg->wParam = m.wparam;
    msg->lParam = m.lparam;
    if (taken) return true;
  }
  return false;
}

bool WantsKey(HWND focus, const MSG& msg, LRESULT code_bits) {
  if (focus == nullptr) return false;
  MSG copy = msg;
  const LRESULT code = SendMessageA(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&copy));
  return (code & code_bits) != 0;
}

void MoveFocus(HWND window, HWND from, bool backwards) {
  HWND next = GetNextDlgTabItem(window, from != nullptr && IsChild(window, from) ? from : nullptr,
                                backwards ? TRUE : FALSE);
  if (next != nullptr) SetFocus(next);
}

bool AcceptsEnter(const UnitRecord& unit) {
  HWND hwnd = HwndOf(unit);
  if (hwnd == nullptr || !IsWindow(hwnd) || !IsWindowEnabled(hwnd)) return false;
  const UnitTypeDescriptor* type = FindUnitType(unit.type_id);
  if (type == nullptr || !(type->flags & kTypeAcceptsEnter) || type->query == nullptr) return false;
  auto accepts = reinterpret_cast<AcceptsEnterOp>(type->query(kOpAcceptsEnter));
  return accepts != nullptr && accepts(unit.live);
}

bool HandleEnter(Window& window, HWND own, const MSG& msg) {
  HWND focus = GetFocus();
  if (WantsKey(focus, msg, DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  if (focus != nullptr && (GetWindowLongA(focus, GWL_STYLE) & ES_WANTRETURN) &&
      (GetWindowLongA(focus, GWL_STYLE) & ES_MULTILINE)) {
    return false;
  }
  std::vector<UnitRecord>& units = window.record.units;
  for (size_t i = 1; i < units.size(); ++i) {
    if (HwndOf(units[i]) == focus && AcceptsEnter(units[i])) {
      RaiseEventZero(window.record.id, units[i].id);
      return true;
    }
  }
  if (OwnTypeProperty(window, kWindowEnterMovesFocus) != 0) {
    MoveFocus(own, focus, false);
    return true;
  }
  for (size_t i = 1; i < units.size(); ++i) {
    if (!units[i].IsMenuItem() && AcceptsEnter(units[i])) {
      RaiseEventZero(window.record.id, units[i].id);
      return true;
    }
  }
  return false;
}

void OpenHelp(Window& window, HWND own) {
  std::string file = OwnTypeText(window, kWindowHelpFile);
  if (file.empty()) {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    file.assign(path, n);
    const size_t dot = file.find_last_of(".\\");
    if (dot != std::string::npos && file[dot] == '.') file.resize(dot);
    file += ".hlp";
  }
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  const int64_t topic = OwnTypeProperty(window, kWindowHelpTopic);
  WinHelpA(own, file.c_str(), topic != 0 ? HELP_CONTEXT : HELP_FINDER, static_cast<ULONG_PTR>(topic));
}

// Whether a caption marks `key` as its mnemonic: "&" and the character, in
// either case for letters ("&&" is a plain ampersand). Scans by characters
// of code page 936 so that a trail byte is never taken for "&".
bool HasMnemonic(const std::string& caption, char key) {
  for (size_t i = 0; i < caption.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(caption[i]);
    if (IsLeadByte936(c) && i + 1 < caption.size()) {
      ++i;
      continue;
    }
    if (c != '&' || i + 1 >= caption.size()) continue;
    const char next = caption[i + 1];
    if (next == '&') {
      ++i;
      continue;
    }
    if (std::toupper(static_cast<unsigned char>(next)) == std::toupper(static_cast<unsigned char>(key))) {
      return true;
    }
  }
  return false;
}

bool HandleMnemonic(Window& window, char key) {
  std::vector<UnitRecord>& units = window.record.units;
  for (size_t i = 1; i < units.size(); ++i) {
    HWND hwnd = HwndOf(units[i]);
    if (units[i].IsMenuItem() || hwnd == nullptr || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) continue;
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (!HasMnemonic(text, key)) continue;
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") != 0) {
      SetFocus(hwnd);
      return true;
    }
    const LONG kind = GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK;
    if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE || kind == BS_AUTO3STATE) {
      const LRESULT checked = SendMessageA(hwnd, BM_GETCHECK, 0, 0);
      SendMessageA(hwnd, BM_SETCHECK, checked == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    } else if (kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON) {
      SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    } else if (kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON) {
      SetFocus(hwnd);
      return true;
    }
    RaiseEventZero(window.record.id, units[i].id);
    return true;
  }
  return false;
}

// Step 5: keyboard navigation. True when the key was used.
bool Navigate(Window& window, HWND own, const MSG& msg) {
  if (msg.message == WM_SYSKEYDOWN) {
    const WPARAM key = msg.wParam;
    const bool alt = (msg.lParam & (1 << 29)) != 0;
    if (alt && ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) {
      return HandleMnemonic(window, static_cast<char>(key));
    }
    return false;
  }
  if (msg.message != WM_KEYDOWN) return false;
  HWND focus = GetFocus();
  switch (msg.wParam) {
    case VK_TAB:
      if (GetKeyState(VK_CONTROL) < 0 || WantsKey(focus, msg, DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
      MoveFocus(own, focus, GetKeyState(VK_SHIFT) < 0);
      return true;
    case VK_RETURN: return HandleEnter(window, own, msg);
    case VK_ESCAPE:
      if (OwnTypeProperty(window, kWindowEscapeCloses) == 0) return false;
      if (WantsKey(focus, msg, DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
      SendMessageA(own, WM_CLOSE, 0, 0);
      return true;
    case VK_F1:
      if (OwnTypeProperty(window, kWindowF1OpensHelp) == 0) return false;
      OpenHelp(window, own);
      return true;
    default: return false;
  }
}

// The common event of a message kind, or 0 when the kind has none.
int32_t CommonEventOf(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: return kEventLeftDown;
    case WM_LBUTTONUP: return kEventLeftUp;
    case WM_LBUTTONDBLCLK: return kEventLeftDoubleClick;
    case WM_RBUTTONDOWN: return kEventRightDown;
    case WM_RBUTTONUP: return kEventRightUp;
    case WM_MOUSEMOVE: return kEventMouseMove;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: return kEventKeyDown;
    case WM_KEYUP:
    case WM_SYSKEYUP: return kEventKeyUp;
    case WM_CHAR: return kEventCharacter;
    case WM_MOUSEWHEEL: return kEventWheel;
    default: return 0;
  }
}

// Step 6: the common event for the unit the message is aimed at. True when
// a handler swallowed it.
bool RaiseCommonEvent(Window& window, MSG* msg, bool* handler_ran) {
  const int32_t event = CommonEventOf(msg->message);
  if (event == 0) return false;
  std::vector<UnitRecord>& units = window.record.units;
  size_t index = units.size();
  for (size_t i = 0; i < units.size(); ++i) {
    if (!units[i].IsMenuItem() && HwndOf(units[i]) == msg->hwnd) {
      index = i;
      break;
    }
  }
  if (index == units.size()) return false;
  SimpleEvent e{window.record.id, index == 0 ? 0 : units[index].id, event, 0, {}, 0, 0};
  switch (event) {
    case kEventKeyDown:
    case kEventKeyUp:
      e.count = 2;
      e.args[0] = static_cast<EventWord>(msg->wParam & kKeyCodeMask);
      e.args[1] = static_cast<EventWord>(KeyState());
      break;
    case kEventCharacter:
      e.count = 1;
      e.args[0] = static_cast<EventWord>(msg->wParam);
      break;
    case kEventWheel: {
      const int32_t distance = static_cast<int16_t>(HIWORD(msg->wParam)) / WHEEL_DELTA;
      e.count = 2;
      e.args[0] = static_cast<EventWord>(static_cast<intptr_t>(distance));
      e.args[1] = static_cast<EventWord>(MouseKeyState(LOWORD(msg->wParam)));
      break;
    }
    default:
      e.count = 3;
      e.args[0] = static_cast<EventWord>(static_cast<intptr_t>(static_cast<int16_t>(LOWORD(msg->lParam))));
      e.args[1] = static_cast<EventWord>(static_cast<intptr_t>(static_cast<int16_t>(HIWORD(msg->lParam))));
      e.args[2] = static_cast<EventWord>(MouseKeyState(msg->wParam));
      break;
  }
  if (RaiseEvent(&e) == 0) return false;
  *handler_ran = true;
  if (e.has_value == 0) return false;
  if (event == kEventCharacter && e.value != 0) {
    msg->wParam = static_cast<WPARAM>(static_cast<uint32_t>(e.value));
    return false;
  }
  return e.value == 0;
}

// Steps 1 to 7 for one program window that the message reaches.
bool FilterForWindow(Window& window, HWND own, MSG* msg) {
  if (IsKeyboardMessage(msg->message) && !IsWindowEnabled(own)) return false;
  if (msg->message == WM_LBUTTONDOWN || msg->message == WM_NCLBUTTONDOWN) CancelModes(*msg);
  if (IsKeyboardMessage(msg->message) && window.loaded != nullptr && window.loaded->accelerators != 0 &&
      TranslateAcceleratorA(own, reinterpret_cast<HACCEL>(window.loaded->accelerators), msg)) {
    return true;
  }
  if (TypeFilters(window, msg)) return true;
  if (!IsWindow(own)) return true;
  if (Navigate(window, own, *msg)) return true;
  if (!IsWindow(own)) return true;
  bool handler_ran = false;
  const bool swallowed = RaiseCommonEvent(window, msg, &handler_ran);
  if (handler_ran && !IsWindow(msg->hwnd)) return true;
  return swallowed;
}

}  // namespace

bool FilterMessage(tagMSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return false;
  const HWND target = msg->hwnd;
  HWND desktop = GetDesktopWindow();
  for (HWND h = target; h != nullptr && h != desktop; h = GetAncestor(h, GA_PARENT)) {
    Window* window = FindLoadedWindow(reinterpret_cast<uintptr_t>(h));
    if (window == nullptr) continue;
    const uint32_t id = window->record.id;
    if (FilterForWindow(*window, h, msg)) return true;
    if (!IsWindow(target)) return true;
    // A handler may have unloaded the window; continue from what is left.
    Window* again = LookupWindow(id);
    if (again == nullptr || LoadedWindowHandle(*again) != reinterpret_cast<uintptr_t>(h)) return false;
  }
  return false;
}

}  // namespace rt
