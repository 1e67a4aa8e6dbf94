// The messages that the subclassed standard controls (edit box, button, list
// box) answer alike: gaining and losing the focus, the runtime's load
// notifications and the destruction of the control's window.
#pragma once

#include <windows.h>

#include "runtime/commands/control_support_win32.h"

namespace rt {

// Answers `message` for `control`; every message the control does not
// treat itself ends here. After WM_NCDESTROY the control object is gone.
LRESULT CommonControlMessage(PlatformControl* control, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace rt
