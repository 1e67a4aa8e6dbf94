#include <gtest/gtest.h>

#include <cstdio>

#include "runtime/core/heap.h"
#include "runtime/core/runtime_error.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/shutdown.h"

namespace rt {
namespace {

void SayCleanedUp() { std::fputs("clean-up ran", stderr); }

TEST(RuntimeErrorDeathTest, ReportEndsWithMinusOneWithoutExitRoutines) {
  EXPECT_EXIT(
      {
        RegisterExitRoutine(SayCleanedUp);
        ReportRuntimeError(4, 0x04010046, 158);
      },
      ::testing::ExitedWithCode(255), "^运行时出错!\r\n\r\n错误代码：4\r\n");
}

TEST(RuntimeErrorDeathTest, ExitProgramRunsEachExitRoutineOnce) {
  EXPECT_EXIT(
      {
        RegisterExitRoutine(SayCleanedUp);
        RegisterExitRoutine(SayCleanedUp);
        ExitProgram(5);
      },
      ::testing::ExitedWithCode(5), "^clean-up ran$");
}

TEST(RuntimeErrorDeathTest, FailedAllocationIsReportedWithItsSize) {
  EXPECT_EXIT(AllocateMemory(-1), ::testing::ExitedWithCode(255), "分配 -1 字节内存失败!");
}

}  // namespace
}  // namespace rt

namespace rt {
namespace {

int32_t QuietHandler(int32_t code, const char* text) {
  std::fprintf(stderr, "handler %d [%s]", code, text);
  return 1;
}

int32_t ReenteringHandler(int32_t code, const char* text) {
  std::fprintf(stderr, "outer %d;", code);
  // A report from inside the handler goes straight to the box.
  ReportRuntimeError(2, 0, 0);
  (void)text;
  return 1;
}

TEST(RuntimeErrorDeathTest, InstalledHandlerSeesTheReportAndCanSkipTheBox) {
  EXPECT_EXIT(
      {
        Runtime().error_handler = QuietHandler;
        ReportRuntimeError(1, 7, 8);
      },
      ::testing::ExitedWithCode(255), "^handler 1 \\[数组成员引用下标超出定义范围\r\n7, 8\r\n\\]$");
  EXPECT_EXIT(
      {
        Runtime().error_handler = ReenteringHandler;
        ReportRuntimeError(1, 0, 0);
      },
      ::testing::ExitedWithCode(255), "^outer 1;运行时出错!\r\n\r\n错误代码：2\r\n");
}

}  // namespace
}  // namespace rt
