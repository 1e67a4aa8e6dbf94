#include <windows.h>

#include <gtest/gtest.h>

#include "runtime/core/entry_operations.h"
#include "runtime/core/runtime_error.h"
#include "runtime/core/shutdown.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace rt {
namespace {

// The marker file named on the command line is created by the exit routine.
std::string g_marker;
void WriteMarker() {
  HANDLE h = CreateFileA(g_marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(h);
}

CHILD_SCENARIO(ReportIndexFour) {
  g_marker = argument;
  RegisterExitRoutine(WriteMarker);
  Entry().report_runtime_error(4, 0x04010046, 158);
}

CHILD_SCENARIO(ExitWithRoutine) {
  g_marker = argument;
  CallService(kServiceRegisterExitRoutine, WriteMarker);
  Entry().exit_program(0);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(RuntimeErrorWin32Test, ReportShowsTheBoxAndEndsWithMinusOne) {
  test_support::ScopedTempDir dir;
  const std::string marker = dir.path() + "\\cleanup-ran";
  test_support::ChildOutcome outcome = test_support::RunChild("ReportIndexFour", marker);
  ASSERT_TRUE(outcome.started);
  ASSERT_FALSE(outcome.timed_out);
  ASSERT_EQ(1u, outcome.dialogs.size());
  const test_support::DialogSeen& box = outcome.dialogs[0];
  EXPECT_EQ("错误", box.caption);
  // A message box's static text keeps the lines; the box shows them as given.
  EXPECT_EQ(
      "运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n"
      "\r\n67174470, 158\r\n",
      box.text);
  EXPECT_EQ(nullptr, box.owner);
  EXPECT_FALSE(Exists(marker)) << "the exit routine must not run after a runtime error";
  EXPECT_EQ(0xFFFFFFFFu, outcome.exit_code);
}

TEST(RuntimeErrorWin32Test, ExitProgramRunsTheRegisteredRoutine) {
  test_support::ScopedTempDir dir;
  const std::string marker = dir.path() + "\\cleanup-ran";
  test_support::ChildOutcome outcome = test_support::RunChild("ExitWithRoutine", marker);
  ASSERT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.dialogs.empty());
  EXPECT_TRUE(Exists(marker));
  EXPECT_EQ(0u, outcome.exit_code);
}

}  // namespace
}  // namespace rt

namespace rt {
namespace {

CHILD_SCENARIO(ReadPropertyOfMissingWindow) { Entry().read_property(0x52010009, 0, 0, -1); }

TEST(RuntimeErrorWin32Test, PropertyOfAWindowNotInTheRegistryNamesTheWindow) {
  test_support::ChildOutcome outcome = test_support::RunChild("ReadPropertyOfMissingWindow");
  ASSERT_EQ(1u, outcome.dialogs.size());
  EXPECT_EQ(
      "运行时出错!\r\n\r\n错误信息：未载入欲访问窗口组件所在的窗口\r\n\r\n1375797257, 0\r\n"
      "未找到所指定的窗口\r\n",
      outcome.dialogs[0].text);
  EXPECT_EQ(0xFFFFFFFFu, outcome.exit_code);
}

}  // namespace
}  // namespace rt
