// Progress on a window's task-bar button, where the platform has it
// (Windows 7 and later): a command of the shell library.
#pragma once

#include <cstdint>

#include "runtime/core/values.h"

namespace rt {

// (window ControlRef, done int, total int) -> bool. Shows done of total on
// the button of the window; a total of 0 or less takes the progress off.
// Window thread only. False where the platform has no task-bar progress, for
// a window that is not loaded, or when the platform refused the call.
void SetTaskbarProgress(ArgValue* result, int32_t argc, ArgValue* args);

}  // namespace rt
