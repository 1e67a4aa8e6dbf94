#include "runtime/core/display_scale.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(DisplayScaleWin32Test, RoundsAsThePlatformsMulDiv) {
  for (int dpi : {72, 96, 120, 144, 168, 192, 240}) {
    for (int value = -1000; value <= 1000; ++value) {
      ASSERT_EQ(MulDiv(value, dpi, 96), ScaleToDpi(value, dpi)) << value << " at " << dpi;
    }
  }
}

}  // namespace
}  // namespace rt
