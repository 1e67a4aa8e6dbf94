// The messages that the subclassed standard controls (edit box, button, list
// box) answer alike: gaining and losing the focus, the runtime's load
// notifications and the destruction of the control's window.
#pragma once

#include <windows.h>

#include "runtime/core/control_object.h"

namespace rt {

// Answers `message` for `control`, whose window procedure before the
// subclass is `base`; every message the control does not treat itself ends
// here. After WM_NCDESTROY the control object is gone.
LRESULT CommonControlMessage(ControlObject* control, WNDPROC base, HWND hwnd, UINT message, WPARAM wparam,
                             LPARAM lparam);

}  // namespace rt
