#include <windows.h>

#include <vector>

#include "runtime/core/control_object.h"
#include "runtime/core/display_scale.h"
#include "runtime/core/events.h"
#include "runtime/core/message_loop.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/unit_types.h"
#include "runtime/core/window_loading.h"
#include "runtime/core/window_loading_platform.h"
#include "runtime/core/window_ops.h"
#include "runtime/core/window_unit_data.h"

namespace rt {
namespace {

constexpr uint32_t kFirstChildId = 100;
constexpr uint32_t kChildIdStep = 10;

HWND H(uintptr_t hwnd) { return reinterpret_cast<HWND>(hwnd); }
HWND HwndOf(const UnitRecord& unit) { return unit.live != nullptr ? H(unit.live->hwnd) : nullptr; }

// Event dispatch held back while a window is half built (requests 2009 and
// 2010): pending messages are handled before holding back and before
// letting go, so that none of them reaches a handler out of order.
void SuspendEvents() {
  ProcessWaitingMessages();
  ++Runtime().suspension;
}

void ResumeEvents() {
  ProcessWaitingMessages();
  RuntimeState& state = Runtime();
  if (state.suspension > 0) --state.suspension;
}

void RaiseUnitEvent(uint32_t window_id, uint32_t control_id, int32_t event) {
  SimpleEvent e{window_id, control_id, event, 0, {}, 0, 0};
  RaiseEvent(&e);
}

const UnitTypeDescriptor* TypeOf(const UnitRecord& unit) { return FindUnitType(unit.type_id); }

int64_t OwnTypeProperty(Window& window, int32_t index, int64_t fallback) {
  UnitRecord& own = window.record.units.front();
  const UnitTypeDescriptor* type = TypeOf(own);
  if (own.live == nullptr || type == nullptr || type->query == nullptr) return fallback;
  auto get = reinterpret_cast<GetPropertyOp>(type->query(kOpGetProperty));
  RawValue raw;
  return get != nullptr && get(own.live, index, &raw) ? raw.number : fallback;
}

ControlObject* CreateUnit(Window& window, UnitRecord& unit, uintptr_t parent, uint32_t child_id,
                          uintptr_t menu, int32_t dpi) {
  const UnitTypeDescriptor* type = TypeOf(unit);
  if (type == nullptr || type->query == nullptr) return nullptr;
  auto create = reinterpret_cast<CreateOp>(type->query(kOpCreate));
  if (create == nullptr) return nullptr;
  CreateParams p;
  p.parent = parent;
  p.type_data = unit.type_data.empty() ? nullptr : unit.type_data.data();
  p.type_data_size = static_cast<uint32_t>(unit.type_data.size());
  p.style = ((unit.flags & kFlagDisabled) ? WS_DISABLED : 0u) | ((unit.flags & kFlagTabStop) ? WS_TABSTOP : 0u);
  p.child_id = child_id;
  p.menu = menu;
  // A control's place in the client area grows with the screen's DPI; the
  // window's own unit turns its outer size for the DPI itself, as only its
  // type knows its frame.
  const bool in_client = &unit != &window.record.units.front();
  p.left = in_client ? ScaleToDpi(unit.left, dpi) : unit.left;
  p.top = in_client ? ScaleToDpi(unit.top, dpi) : unit.top;
  p.width = in_client ? ScaleToDpi(unit.width, dpi) : unit.width;
  p.height = in_client ? ScaleToDpi(unit.height, dpi) : unit.height;
  p.window = &window;
  p.unit_id = unit.id;
  ControlObject* control = create(p);
  if (control != nullptr) {
    control->window_id = window.record.id;
    control->unit_id = unit.id;
    control->type_id = unit.type_id;
  }
  return control;
}

// The unit of the window whose platform window is hwnd, or null.
UnitRecord* UnitOfHandle(Window& window, HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  for (UnitRecord& unit : window.record.units) {
    if (HwndOf(unit) == hwnd) return &unit;
  }
  return nullptr;
}

// Event -7 for the control that holds the focus (or the window itself).
void RaiseFocusEvent(Window& window) {
  UnitRecord* unit = UnitOfHandle(window, GetFocus());
  if (unit == nullptr) return;
  const UnitRecord& own = window.record.units.front();
  RaiseUnitEvent(window.record.id, unit == &own ? 0 : unit->id, kEventGotFocus);
}

void MaximiseToWorkArea(HWND hwnd) {
  ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info)) {
    const RECT& r = info.rcWork;
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// Shows the window in its start state, then tells the focused unit.
void ShowInStartState(Window& window) {
  const uint32_t id = window.record.id;
  HWND hwnd = H(LoadedWindowHandle(window));
  if (hwnd == nullptr) return;
  const int64_t start = Runtime().program_words[0] != 0
                            ? OwnTypeProperty(window, kWindowStartPosition, kStartNormal)
                            : kStartNormal;
  if (start == kStartMinimised) {
    ShowWindow(hwnd, SW_SHOWMINIMIZED);
  } else if (start == kStartMaximised) {
    MaximiseToWorkArea(hwnd);
  } else {
    ShowWindow(hwnd, SW_SHOW);
  }
  if (Window* still = LookupWindow(id); still != nullptr && LoadedWindowHandle(*still) != 0) {
    RaiseFocusEvent(*still);
  }
}

// A modal window whose owner is topmost goes into the topmost layer too.
void FollowTopmostOwner(HWND hwnd) {
  HWND owner = GetWindow(hwnd, GW_OWNER);
  if (owner != nullptr && (GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

// Finishes the showing of a loaded window: `show` false when the load has
// shown it already.
void FinishShowing(Window& window, bool show) {
  const uint32_t id = window.record.id;
  HWND hwnd = H(LoadedWindowHandle(window));
  LoadedWindow* loaded = window.loaded;
  if (hwnd == nullptr || loaded == nullptr) return;
  if (!loaded->just_loaded) {
    if (show) ShowWindow(hwnd, SW_SHOW);
    return;
  }
  loaded->just_loaded = false;
  const bool modal = loaded->modal;
  if (modal) FollowTopmostOwner(hwnd);
  if (show) ShowInStartState(window);
  if (!modal || LoadedWindowHandle(window) == 0) return;
  RuntimeState& state = Runtime();
  const uint32_t previous = state.modal_marker;
  window.loaded->previous_modal_marker = previous;
  state.modal_marker = id;
  RunModalLoop(id);
  state.modal_marker = previous;
}

void SendToControls(Window& window, UINT message) {
  std::vector<UnitRecord>& units = window.record.units;
  for (size_t i = units.size(); i-- > 1;) {
    if (HWND hwnd = HwndOf(units[i]); hwnd != nullptr && IsWindow(hwnd)) SendMessageA(hwnd, message, 0, 0);
  }
}

// What a failed load built goes again; the window's data stays as it was.
void AbandonLoad(Window& window) {
  std::vector<UnitRecord>& units = window.record.units;
  if (HWND own = HwndOf(units.front()); own != nullptr && IsWindow(own)) {
    DestroyWindow(own);  // its destruction unloads the window, controls included
  }
  LoadedWindow* loaded = window.loaded;
  if (loaded == nullptr) return;
  // The window itself was never created: undo the rest by hand.
  for (size_t i = 1; i < units.size(); ++i) {
    ControlObject* control = units[i].live;
    if (control == nullptr) continue;
    units[i].live = nullptr;
    if (HWND hwnd = H(control->hwnd); hwnd != nullptr && IsWindow(hwnd)) {
      DestroyWindow(hwnd);  // its type lets go of the object
    } else {
      delete control;
    }
  }
  units.front().live = nullptr;
  window.loaded = nullptr;
  platform::DestroyAcceleratorTable(loaded->accelerators);
  platform::DestroyMenuHandle(loaded->menu);
  delete loaded;
  if (!window.saved.empty()) {
    units.swap(window.saved);
    window.saved.clear();
  }
}

// Steps of a load while events are held back; false when a unit cannot be
// created (the caller abandons the load).
bool BuildWindow(Window& window, LoadedWindow* loaded, uintptr_t owner) {
  std::vector<UnitRecord>& units = window.record.units;
  const int32_t dpi = SystemDpi();
  ControlObject* own = CreateUnit(window, units.front(), owner, 0, loaded->menu, dpi);
  if (own == nullptr) return false;
  units.front().live = own;
  const uintptr_t parent = own->hwnd;

  // Controls from the last back to the second; menu items make up the menu.
  uint32_t child_id = kFirstChildId;
  for (size_t i = units.size(); i-- > 1;) {
    UnitRecord& unit = units[i];
    if (unit.IsMenuItem()) continue;
    ControlObject* control = CreateUnit(window, unit, parent, child_id, 0, dpi);
    if (control == nullptr) return false;
    unit.live = control;
    child_id += kChildIdStep;
  }

  // Units inside another unit live in that unit's window.
  for (size_t i = 1; i < units.size(); ++i) {
    UnitRecord& unit = units[i];
    if (unit.container == 0 || unit.live == nullptr) continue;
    UnitRecord* container = FindUnit(window, unit.container);
    HWND inner = container != nullptr ? HwndOf(*container) : nullptr;
    if (inner != nullptr && HwndOf(unit) != nullptr) SetParent(HwndOf(unit), inner);
  }

  // Stacking follows the list: after the nearest earlier sibling, else on top.
  for (size_t i = 1; i < units.size(); ++i) {
    HWND hwnd = HwndOf(units[i]);
    if (hwnd == nullptr || units[i].IsMenuItem()) continue;
    HWND after = HWND_TOP;
    for (size_t j = i; j-- > 1;) {
      if (!units[j].IsMenuItem() && units[j].container == units[i].container && HwndOf(units[j]) != nullptr) {
        after = HwndOf(units[j]);
        break;
      }
    }
    SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  for (UnitRecord& unit : units) {
    if (unit.IsMenuItem()) continue;
    const std::string data(unit.pointer_data.begin(), unit.pointer_data.end());
    unit.pointer_handle = platform::CreateMousePointer(data);
  }

  SendToControls(window, kMsgLoadComplete);
  SendMessageA(H(parent), kMsgLoadComplete, 0, 0);
  for (size_t i = 1; i < units.size(); ++i) {
    UnitRecord& unit = units[i];
    const UnitTypeDescriptor* type = TypeOf(unit);
    if (unit.IsMenuItem() || !(unit.flags & kFlagVisible) || HwndOf(unit) == nullptr) continue;
    if (type != nullptr && (type->flags & kTypeWindowless)) continue;
    ShowWindow(HwndOf(unit), SW_SHOWNA);
  }
  return true;
}

}  // namespace

namespace platform {

void DestroyAcceleratorTable(uintptr_t table) {
  if (table != 0) ::DestroyAcceleratorTable(reinterpret_cast<HACCEL>(table));
}

void DestroyMenuHandle(uintptr_t menu) {
  if (menu != 0 && IsMenu(reinterpret_cast<HMENU>(menu))) DestroyMenu(reinterpret_cast<HMENU>(menu));
}

void PostQuit() { PostQuitMessage(0); }

}  // namespace platform

int32_t LoadWindow(uint32_t window_id, uintptr_t owner_hwnd, bool modal) {
  Window* found = LookupWindow(window_id);
  if (found == nullptr || found->record.units.empty()) return -1;
  Window& window = *found;

  if (HWND hwnd = H(LoadedWindowHandle(window))) {
    if (window.loaded == nullptr || !window.loaded->marked_for_destruction) {
      if (IsIconic(hwnd)) {
        ShowWindow(hwnd, SW_RESTORE);
      } else {
        SetActiveWindow(hwnd);
      }
      return 0;
    }
    ReleaseDisabledWindows(window);
    DestroyWindow(hwnd);
    if (LoadedWindowHandle(window) != 0) return -1;  // a handler kept it alive
  }

  if (modal) owner_hwnd = 0;
  if (owner_hwnd != 0 && !IsWindow(H(owner_hwnd))) return -1;

  SuspendEvents();
  window.saved = window.record.units;
  auto* loaded = new LoadedWindow();
  loaded->modal = modal;
  loaded->owner = owner_hwnd;
  window.loaded = loaded;

  if (!BuildWindow(window, loaded, owner_hwnd)) {
    AbandonLoad(window);
    ResumeEvents();
    return -1;
  }
  ResumeEvents();

  RaiseUnitEvent(window_id, 0, kWindowCreated);
  if (LoadedWindowHandle(window) == 0) return 0;
  RaiseUnitEvent(window_id, 0, kWindowMoved);
  if (LoadedWindowHandle(window) == 0) return 0;
  RaiseUnitEvent(window_id, 0, kWindowResized);
  HWND hwnd = H(LoadedWindowHandle(window));
  if (hwnd == nullptr || window.loaded != loaded) return 0;

  const bool visible = (window.record.units.front().flags & kFlagVisible) != 0;
  if (visible) ShowInStartState(window);
  if (LoadedWindowHandle(window) == 0 || window.loaded != loaded) return 0;

  if (modal) {
    for (Window& other : Runtime().windows) {
      HWND other_hwnd = H(LoadedWindowHandle(other));
      if (&other == &window || other_hwnd == nullptr) continue;
      loaded->disabled.push_back({reinterpret_cast<uintptr_t>(other_hwnd), IsWindowEnabled(other_hwnd) != FALSE});
      EnableWindow(other_hwnd, FALSE);
    }
  }

  HWND focus = GetFocus();
  SendToControls(window, kMsgWindowShown);
  if (focus != nullptr && IsWindow(focus) && GetFocus() != focus) SetFocus(focus);
  if (LoadedWindowHandle(window) == 0 || window.loaded != loaded) return 0;
  loaded->just_loaded = true;

  if (visible) FinishShowing(window, false);
  return 0;
}

void ShowLoadedWindow(Window& window) { FinishShowing(window, true); }

}  // namespace rt
