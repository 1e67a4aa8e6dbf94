// Sizes on screens of another DPI. The window template gives every position,
// size and font in pixels of a 96-DPI screen; on a screen of another DPI
// (one for the whole system) they grow or shrink with it.
#pragma once

#include <cstdint>

namespace rt {

constexpr int32_t kTemplateDpi = 96;

// value * dpi / 96, rounded half away from zero (as the platform's MulDiv).
int32_t ScaleToDpi(int32_t value, int32_t dpi);

// The system's DPI (the screen's logical pixels per inch), 96 when it
// cannot be read. Windows builds only.
int32_t SystemDpi();

}  // namespace rt
