#include <windows.h>

#include "runtime/core/display_scale.h"

namespace rt {

int32_t SystemDpi() {
  // LOGPIXELSX of the screen is the system DPI on every version since
  // Windows 7, for a program that declares itself aware of it.
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return kTemplateDpi;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kTemplateDpi;
}

}  // namespace rt
