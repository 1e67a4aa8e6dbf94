// How the shell commands read their arguments.
#include "runtime/commands/shell_commands.h"

#include <gtest/gtest.h>

namespace rt {
namespace {

TEST(ShellArgumentsTest, VerbByNumber) {
  const char* const expected[] = {nullptr, "edit", "explore", "find", "open", "print", nullptr};
  for (int32_t n = 0; n <= 6; ++n) {
    ArgValue args[1] = {ArgValue::Int(n)};
    if (expected[n] == nullptr) {
      EXPECT_EQ(nullptr, ShellVerb(1, args)) << n;
    } else {
      EXPECT_STREQ(expected[n], ShellVerb(1, args)) << n;
    }
  }
  ArgValue args[1] = {ArgValue::Int(9)};
  EXPECT_EQ(nullptr, ShellVerb(1, args));
  args[0] = ArgValue::Int(-4);
  EXPECT_EQ(nullptr, ShellVerb(1, args));
  args[0] = ArgValue::Omitted();
  args[0].payload[0] = 4;  // an omitted argument is known by its tag alone
  EXPECT_EQ(nullptr, ShellVerb(1, args));
  EXPECT_EQ(nullptr, ShellVerb(0, args));
}

TEST(ShellArgumentsTest, ShowModeByTable) {
  const int32_t expected[] = {1, 0, 1, 2, 3, 8, 6, 1};
  for (int32_t mode = 0; mode <= 7; ++mode) {
    ArgValue args[5] = {ArgValue::Int(4), ArgValue::Text("f"), ArgValue::Omitted(),
                        ArgValue::Omitted(), ArgValue::Int(mode)};
    EXPECT_EQ(expected[mode], ShellShowCode(5, args)) << mode;
    EXPECT_EQ(1, ShellShowCode(4, args)) << "fewer than five arguments";
  }
  ArgValue args[5] = {};
  args[4] = ArgValue::Omitted();
  args[4].payload[0] = 1;
  EXPECT_EQ(1, ShellShowCode(5, args));
}

TEST(ShellArgumentsTest, OmittedParametersAreNullAndOmittedFolderIsEmpty) {
  ArgValue args[4] = {ArgValue::Int(4), ArgValue::Text("f"), ArgValue::Omitted(), ArgValue::Omitted()};
  EXPECT_EQ(nullptr, ShellParameters(4, args));
  ASSERT_NE(nullptr, ShellWorkingFolder(4, args));
  EXPECT_STREQ("", ShellWorkingFolder(4, args));
  EXPECT_STREQ("", ShellWorkingFolder(2, args));
  EXPECT_EQ(nullptr, ShellParameters(2, args));
  args[2] = ArgValue::Text("-a b");
  args[3] = ArgValue::Text("C:\\w");
  EXPECT_STREQ("-a b", ShellParameters(4, args));
  EXPECT_STREQ("C:\\w", ShellWorkingFolder(4, args));
}

TEST(ShellArgumentsTest, WaitLimitOmittedOrNegativeIsNone) {
  ArgValue args[6] = {};
  EXPECT_EQ(0xFFFFFFFFu, ShellWaitLimit(5, args));
  EXPECT_EQ(0xFFFFFFFFu, ShellWaitLimit(6, args));
  args[5] = ArgValue::Int(-1);
  EXPECT_EQ(0xFFFFFFFFu, ShellWaitLimit(6, args));
  args[5] = ArgValue::Int(2000);
  EXPECT_EQ(2000u, ShellWaitLimit(6, args));
  args[5] = ArgValue::Int(0);
  EXPECT_EQ(0u, ShellWaitLimit(6, args));
}

TEST(ShellArgumentsTest, BrowseFlagsListFilesOnlyWhenAskedWithTrue) {
  ArgValue args[2] = {ArgValue::Text("t"), ArgValue::Omitted()};
  EXPECT_EQ(0x10u, BrowseDialogFlags(1, args));
  EXPECT_EQ(0x10u, BrowseDialogFlags(2, args));
  args[1] = ArgValue::Bool(true);
  EXPECT_EQ(0x4010u, BrowseDialogFlags(2, args));
  args[1] = ArgValue::Bool(false);
  EXPECT_EQ(0x10u, BrowseDialogFlags(2, args));
}

}  // namespace
}  // namespace rt
