#include "runtime/commands/control_messages_win32.h"

#include "runtime/commands/control_support_win32.h"
#include "runtime/core/events.h"
#include "runtime/core/unit_types.h"
#include "runtime/core/window_loading.h"

namespace rt {

LRESULT CommonControlMessage(PlatformControl* control, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const WNDPROC base = control->base;
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      // The platform moves the focus first, so a handler sees it moved.
      const LRESULT answer = CallWindowProcA(base, hwnd, message, wparam, lparam);
      RaiseControlEvent(control, message == WM_SETFOCUS ? kEventGotFocus : kEventLostFocus);
      return answer;
    }
    case kMsgLoadComplete:
    case kMsgWindowShown: return 0;
    case WM_NCDESTROY:
      ReleaseSubclass(hwnd, base);
      UnitDestroyed(control);
      delete control;
      return CallWindowProcA(base, hwnd, message, wparam, lparam);
    default: return CallWindowProcA(base, hwnd, message, wparam, lparam);
  }
}

}  // namespace rt
