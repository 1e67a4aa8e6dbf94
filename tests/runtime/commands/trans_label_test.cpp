// The transparent label's rules: stored data, clamping of its properties,
// the DrawText format and the passes of its text effects.
#include "runtime/commands/trans_label.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

RawValue Number(int64_t n) {
  RawValue v;
  v.number = n;
  return v;
}

TEST(TransLabelPropertyTest, ChoicesAreClamped) {
  TransLabelData d;
  ASSERT_TRUE(SetTransLabelProperty(&d, kLabelTextEffect, Number(7)));
  EXPECT_EQ(d.text_effect, kEffectShadow);
  ASSERT_TRUE(SetTransLabelProperty(&d, kLabelTextEffect, Number(-2)));
  EXPECT_EQ(d.text_effect, kEffectNone);
  ASSERT_TRUE(SetTransLabelProperty(&d, kLabelHorizontalAlign, Number(-1)));
  EXPECT_EQ(d.horizontal_align, 0);
  ASSERT_TRUE(SetTransLabelProperty(&d, kLabelHorizontalAlign, Number(5)));
  EXPECT_EQ(d.horizontal_align, 2);
  ASSERT_TRUE(SetTransLabelProperty(&d, kLabelVerticalAlign, Number(3)));
  EXPECT_EQ(d.vertical_align, 2);
  ASSERT_TRUE(SetTransLabelProperty(&d, kLabelTextColour, Number(0x123456)));
  RawValue read;
  ASSERT_TRUE(GetTransLabelProperty(d, kLabelTextColour, &read));
  EXPECT_EQ(read.number, 0x123456);
  EXPECT_FALSE(SetTransLabelProperty(&d, kLabelPropertyCount, Number(0)));
  EXPECT_FALSE(GetTransLabelProperty(d, -1, &read));
}

TEST(TransLabelFormatTest, AlignmentAndWrap) {
  TransLabelData d;
  d.vertical_align = 1;
  EXPECT_EQ(TransLabelTextFormat(d), 0x100u | 0x20u | 0x4u);  // the labels of the main window
  d.horizontal_align = 1;
  d.vertical_align = 2;
  EXPECT_EQ(TransLabelTextFormat(d), 0x100u | 0x1u | 0x20u | 0x8u);
  d.horizontal_align = 2;
  d.vertical_align = 0;
  EXPECT_EQ(TransLabelTextFormat(d), 0x100u | 0x2u | 0x20u);
  d.word_wrap = 1;  // the vertical choice no longer counts
  d.vertical_align = 2;
  EXPECT_EQ(TransLabelTextFormat(d), 0x100u | 0x2u | 0x14u);
}

TEST(TransLabelEffectTest, PassesInDrawingOrder) {
  TransLabelData d;
  d.text_colour = 0x0000FF;
  auto passes = TransLabelPasses(d);
  ASSERT_EQ(passes.size(), 1u);
  EXPECT_EQ(passes[0].dx, 0);
  EXPECT_EQ(passes[0].colour, 0x0000FFu);

  d.text_effect = kEffectRaised;
  passes = TransLabelPasses(d);
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0].dx, 1);
  EXPECT_EQ(passes[0].dy, 1);
  EXPECT_EQ(passes[0].colour, 0xFFFFFFu);
  EXPECT_EQ(passes[1].dx, 0);
  EXPECT_EQ(passes[1].colour, 0x0000FFu);

  d.text_effect = kEffectSunken;
  passes = TransLabelPasses(d);
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0].dx, 0);
  EXPECT_EQ(passes[0].colour, 0xFFFFFFu);
  EXPECT_EQ(passes[1].dx, 1);
  EXPECT_EQ(passes[1].dy, 1);
  EXPECT_EQ(passes[1].colour, 0x0000FFu);

  d.text_effect = kEffectShadow;
  passes = TransLabelPasses(d);
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0].dx, 2);
  EXPECT_EQ(passes[0].dy, 2);
  EXPECT_EQ(passes[0].colour, 0x000000u);
  EXPECT_EQ(passes[1].dx, 0);
}

TEST(TransLabelDataTest, RoundTripClampAndVersion) {
  TransLabelData d;
  d.text_colour = 0xFF;
  d.vertical_align = 1;
  d.caption = "采样率:";
  std::vector<uint8_t> bytes = WriteTransLabelData(d);
  ASSERT_EQ(bytes.size(), 6u * 4 + 4 + 4 + d.caption.size());
  TransLabelData read;
  ASSERT_TRUE(ReadTransLabelData(bytes.data(), bytes.size(), &read));
  EXPECT_EQ(read.caption, d.caption);
  EXPECT_EQ(read.vertical_align, 1);
  EXPECT_EQ(read.text_colour, 0xFFu);
  EXPECT_EQ(WriteTransLabelData(read), bytes);

  bytes[4] = 9;  // stored effect above 3
  ASSERT_TRUE(ReadTransLabelData(bytes.data(), bytes.size(), &read));
  EXPECT_EQ(read.text_effect, kEffectShadow);

  bytes[0] = 2;
  EXPECT_FALSE(ReadTransLabelData(bytes.data(), bytes.size(), &read));
  bytes[0] = 1;
  EXPECT_FALSE(ReadTransLabelData(bytes.data(), bytes.size() - 1, &read));
}

}  // namespace
}  // namespace rt
