#include <windows.h>

#include "runtime/core/platform_error_box.h"

namespace rt::platform {

// No owner: the report must show even when no window of the program is left.
void ShowErrorBox(const char* text) { MessageBoxA(nullptr, text, "错误", MB_ICONERROR); }

}  // namespace rt::platform
