#include "runtime/core/window_loading.h"

#include "runtime/core/control_object.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/window_loading_platform.h"
#include "runtime/core/window_ops.h"

namespace rt {
namespace {

bool HasLiveWindow(const Window& window) { return LoadedWindowHandle(window) != 0; }

// The window's unloading: everything the load built goes, and the live unit
// list returns to the copy taken when the load began.
void Unload(Window& window) {
  RuntimeState& state = Runtime();
  std::vector<UnitRecord>& units = window.record.units;
  if (LoadedWindow* loaded = window.loaded) {
    ReleaseDisabledWindows(window);
    platform::DestroyAcceleratorTable(loaded->accelerators);
    platform::DestroyMenuHandle(loaded->menu);
    window.loaded = nullptr;
    delete loaded;
  }
  for (size_t i = 0; i < units.size(); ++i) {
    UnitRecord& unit = units[i];
    platform::DestroyMousePointer(unit.pointer_handle);
    unit.pointer_handle = 0;
    // A unit without a window of its own gets no destruction message: its
    // object goes with the window. The own unit's object stays with its type.
    if (i != 0 && unit.live != nullptr) {
      ControlObject* control = unit.live;
      unit.live = nullptr;
      delete control;
    }
  }
  if (!units.empty()) units.front().live = nullptr;
  if (!window.saved.empty()) {
    units.swap(window.saved);
    window.saved.clear();
  }
  if (state.modal_marker == window.record.id) state.modal_marker = 0;
}

}  // namespace

Window* FindLoadedWindow(uintptr_t hwnd) {
  if (hwnd == 0) return nullptr;
  for (Window& window : Runtime().windows) {
    const std::vector<UnitRecord>& units = window.record.units;
    if (!units.empty() && units.front().live != nullptr && units.front().live->hwnd == hwnd) {
      return &window;
    }
  }
  return nullptr;
}

uintptr_t LoadedWindowHandle(const Window& window) {
  const std::vector<UnitRecord>& units = window.record.units;
  if (units.empty() || units.front().live == nullptr) return 0;
  const uintptr_t hwnd = units.front().live->hwnd;
  return platform::IsLiveWindow(hwnd) ? hwnd : 0;
}

void ReleaseDisabledWindows(Window& window) {
  LoadedWindow* loaded = window.loaded;
  if (loaded == nullptr) return;
  std::vector<DisabledWindow> disabled;
  disabled.swap(loaded->disabled);
  for (const DisabledWindow& d : disabled) {
    if (platform::IsLiveWindow(d.hwnd)) platform::Enable(d.hwnd, d.was_enabled);
  }
}

void MarkForDestruction(Window& window) {
  if (window.loaded == nullptr) return;
  window.loaded->marked_for_destruction = true;
  ReleaseDisabledWindows(window);
}

void UnitDestroyed(ControlObject* control) {
  if (control == nullptr) return;
  Window* window = LookupWindow(control->window_id);
  if (window == nullptr) return;
  std::vector<UnitRecord>& units = window->record.units;
  for (size_t i = 0; i < units.size(); ++i) {
    UnitRecord& unit = units[i];
    if (unit.live != control) continue;
    if (i != 0) {
      unit.live = nullptr;
      platform::DestroyMousePointer(unit.pointer_handle);
      unit.pointer_handle = 0;
      return;
    }
    Unload(*window);
    RuntimeState& state = Runtime();
    if (!state.loop_entered) return;
    for (const Window& other : state.windows) {
      if (HasLiveWindow(other)) return;
    }
    platform::PostQuit();
    return;
  }
}

}  // namespace rt
