// Window loading and unloading: creating a window and all its controls from
// its live unit list, showing it, the nested loop of a modal window, and
// restoring the window's data from the template when it is destroyed.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/core/registry.h"

namespace rt {

struct ControlObject;

// A window that a modal window disabled, with its state before.
struct DisabledWindow {
  uintptr_t hwnd = 0;
  bool was_enabled = false;
};

// State of a loaded window; lives from the load until its platform window
// is destroyed (Window::loaded points to it meanwhile).
struct LoadedWindow {
  bool modal = false;
  bool just_loaded = false;            // loaded and not yet shown by a request
  bool marked_for_destruction = false;
  uintptr_t owner = 0;                 // owner window handle given to the load
  uintptr_t menu = 0;
  uintptr_t accelerators = 0;
  std::vector<DisabledWindow> disabled;  // by this window while it is modal
  uint32_t previous_modal_marker = 0;    // while its nested loop runs
};

// Request 2005: loads the window (owner: a window handle or 0). 0 on
// success, -1 when the window is not in the registry, the owner's window is
// gone, or the window or one of its controls cannot be created. For a
// visible modal window it returns only once that window has been closed.
int32_t LoadWindow(uint32_t window_id, uintptr_t owner_hwnd, bool modal);

// Showing a loaded window for a write of property 5 = true on its own unit.
void ShowLoadedWindow(Window& window);

// Request 2000: a live control or a window's own unit has been destroyed.
// The control object itself stays with its type. For a window's own unit
// the window's data goes back to the template values, control objects still
// held by the window (units without a window of their own) are deleted,
// a modal wait ends, and when no window of the program is left and the
// message loop has been entered, the quit message is posted.
void UnitDestroyed(ControlObject* control);

// Request 2033: the platform window of a loaded window, or 0.
uintptr_t LoadedWindowHandle(const Window& window);

// The registry window whose own unit is the platform window hwnd, or null.
Window* FindLoadedWindow(uintptr_t hwnd);

// A modal window accepted its close request or is going away: the windows
// it disabled are enabled again (each as it was). Safe to call twice.
void ReleaseDisabledWindows(Window& window);

// Marks a loaded window to be destroyed by its next load (or now, when no
// handler of it runs any more); a modal window re-enables what it disabled.
void MarkForDestruction(Window& window);

}  // namespace rt
