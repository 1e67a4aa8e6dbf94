// Stored data of the list box and the button.
#include "runtime/commands/list_box.h"

#include <gtest/gtest.h>

#include "runtime/commands/button.h"

namespace rt {
namespace {

TEST(ListBoxDataTest, RoundTripOfTheFriendList) {
  ListBoxData d;
  d.item_height_extra = 1;
  d.font = std::string(60, '\x01');
  const std::vector<uint8_t> bytes = WriteListBoxData(d);
  ASSERT_EQ(bytes.size(), 9u * 4 + 4 + 60);
  ListBoxData read;
  ASSERT_TRUE(ReadListBoxData(bytes.data(), bytes.size(), &read));
  EXPECT_EQ(read.selected_index, -1);
  EXPECT_EQ(read.item_height_extra, 1);
  EXPECT_EQ(read.background_colour, 0xFFFFFFu);
  EXPECT_EQ(read.font, d.font);
  EXPECT_EQ(WriteListBoxData(read), bytes);
}

TEST(ListBoxDataTest, VersionAboveThreeOrShortDataFails) {
  ListBoxData d;
  d.version = 3;
  std::vector<uint8_t> bytes = WriteListBoxData(d);
  ListBoxData read;
  EXPECT_TRUE(ReadListBoxData(bytes.data(), bytes.size(), &read));
  bytes[0] = 4;
  EXPECT_FALSE(ReadListBoxData(bytes.data(), bytes.size(), &read));
  bytes[0] = 1;
  EXPECT_FALSE(ReadListBoxData(bytes.data(), bytes.size() - 1, &read));
}

TEST(ButtonDataTest, CaptionAndVersion) {
  ButtonData d;
  d.caption = "浏览目录";
  std::vector<uint8_t> bytes = WriteButtonData(d);
  ButtonData read;
  ASSERT_TRUE(ReadButtonData(bytes.data(), bytes.size(), &read));
  EXPECT_EQ(read.caption, d.caption);
  ASSERT_TRUE(ReadButtonData(nullptr, 0, &read));
  EXPECT_EQ(read.caption, "");
  bytes.push_back(0);  // bytes after the caption
  EXPECT_FALSE(ReadButtonData(bytes.data(), bytes.size(), &read));
  bytes.pop_back();
  bytes[0] = 2;
  EXPECT_FALSE(ReadButtonData(bytes.data(), bytes.size(), &read));
}

}  // namespace
}  // namespace rt
