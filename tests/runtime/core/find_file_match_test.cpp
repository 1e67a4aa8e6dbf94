#include <gtest/gtest.h>

#include "runtime/core/find_file.h"

namespace rt {
namespace {

TEST(FindFileMatchTest, EffectiveMaskRules) {
  EXPECT_EQ(-1, EffectiveSearchMask(0x10, 1));
  EXPECT_EQ(0x10, EffectiveSearchMask(0x10, 0));
  EXPECT_EQ(0x37, EffectiveSearchMask(-1, 0));
  EXPECT_EQ(0, EffectiveSearchMask(0x80, 0));

  // All files: anything without the folder bit.
  EXPECT_TRUE(SearchEntryMatches(0x80, -1));
  EXPECT_TRUE(SearchEntryMatches(0x21, -1));
  EXPECT_FALSE(SearchEntryMatches(0x10, -1));
  // Mask 0: only an attribute word of 0.
  EXPECT_TRUE(SearchEntryMatches(0, 0));
  EXPECT_FALSE(SearchEntryMatches(0x80, 0));
  // Otherwise any shared bit; a normal-only file never matches 0x37.
  EXPECT_FALSE(SearchEntryMatches(0x80, 0x37));
  EXPECT_TRUE(SearchEntryMatches(0x20, 0x37));
  EXPECT_TRUE(SearchEntryMatches(0x12, 0x10));
  EXPECT_FALSE(SearchEntryMatches(0x20, 0x10));
}

}  // namespace
}  // namespace rt
