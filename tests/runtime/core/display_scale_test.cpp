#include "runtime/core/display_scale.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(DisplayScaleTest, TemplatePixelsOnScreensOfOtherDpi) {
  // 96 DPI keeps every value as the template gives it.
  EXPECT_EQ(678, ScaleToDpi(678, 96));
  EXPECT_EQ(-16, ScaleToDpi(-16, 96));
  EXPECT_EQ(0, ScaleToDpi(0, 96));

  // 144 DPI: half a pixel rounds away from zero, for font heights too.
  EXPECT_EQ(1008, ScaleToDpi(672, 144));
  EXPECT_EQ(11, ScaleToDpi(7, 144));
  EXPECT_EQ(38, ScaleToDpi(25, 144));
  EXPECT_EQ(2, ScaleToDpi(1, 144));
  EXPECT_EQ(-24, ScaleToDpi(-16, 144));
  EXPECT_EQ(-17, ScaleToDpi(-11, 144));

  // 120 DPI (125 %) and 192 DPI (200 %).
  EXPECT_EQ(848, ScaleToDpi(678, 120));
  EXPECT_EQ(-848, ScaleToDpi(-678, 120));
  EXPECT_EQ(10, ScaleToDpi(8, 120));
  EXPECT_EQ(1, ScaleToDpi(1, 120));
  EXPECT_EQ(640, ScaleToDpi(320, 192));

  // The largest stored coordinate does not overflow on the way.
  EXPECT_EQ(65254, ScaleToDpi(32627, 192));
  EXPECT_EQ(-65254, ScaleToDpi(-32627, 192));
}

}  // namespace
}  // namespace rt
