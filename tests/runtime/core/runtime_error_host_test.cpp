#include <gtest/gtest.h>

#include <cstdio>

#include "runtime/core/heap.h"
#include "runtime/core/runtime_error.h"
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
