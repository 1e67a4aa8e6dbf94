#include "runtime/core/program_path.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(ProgramPathTest, SplitsAtTheLastBackslashCharacter) {
  std::string dir, name;
  SplitProgramPath("X:\\Tools\\app.exe", &dir, &name);
  EXPECT_EQ("X:\\Tools", dir);
  EXPECT_EQ("app.exe", name);

  SplitProgramPath("app.exe", &dir, &name);
  EXPECT_EQ("", dir);
  EXPECT_EQ("app.exe", name);

  // "乗" is 81 5C in code page 936: its trail byte is not a separator.
  SplitProgramPath("C:\\乗\\x.exe", &dir, &name);
  EXPECT_EQ("C:\\乗", dir);
  EXPECT_EQ("x.exe", name);
  SplitProgramPath("C:\\a乗", &dir, &name);
  EXPECT_EQ("C:", dir);
  EXPECT_EQ("a乗", name);
  SplitProgramPath("乗", &dir, &name);
  EXPECT_EQ("", dir);
  EXPECT_EQ("乗", name);
  ASSERT_EQ("\x81\x5C", std::string("乗"));
}

}  // namespace
}  // namespace rt
