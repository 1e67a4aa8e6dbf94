// What the entrance into the runtime does of its own: byte-counting text
// operations in code page 936, and the names of the out folders.
#include "app/runtime_access.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(RuntimeAccessTest, TextsAreCountedInBytesOfCodePage936) {
  EXPECT_EQ(6, TextBytes("语音 a"));
  EXPECT_EQ(0, TextBytes(nullptr));
  EXPECT_EQ("D:\\语音", LeftBytes("D:\\语音.slk", TextBytes("D:\\语音.slk") - 4));
  EXPECT_EQ(".slk", RightBytes("D:\\语音.slk", 4));
  EXPECT_EQ("", LeftBytes("a.sl", 0));
  EXPECT_EQ("a.sl", RightBytes("a.sl", 8)) << "a count past the text gives it whole";
  EXPECT_EQ("", RightBytes(nullptr, 4));
}

TEST(RuntimeAccessTest, TheOutFoldersAreJoinedWithBackslashes) {
  EXPECT_EQ("D:\\誠信\\Sonoteca\\out", OutFolder("D:\\誠信\\Sonoteca"));
  EXPECT_EQ("D:\\p\\out\\wxid_1", AccountOutFolder("D:\\p", "wxid_1"));
  EXPECT_EQ("D:\\p\\out\\", AccountOutFolder("D:\\p", "")) << "an empty selection still names a folder";
}

}  // namespace
}  // namespace app
