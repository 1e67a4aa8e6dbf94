// How IntegerDivide ends the process on a zero divisor. On the host the
// report goes to standard error instead of a message box.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "runtime/commands/text_commands.h"
#include "runtime/core/shutdown.h"

namespace rt {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

// The whole report: no error code line (code 0) and location 0, 0.
const char kReport[] = "运行时出错!\r\n\r\n错误信息：不能整除于零\r\n\r\n0, 0\r\n";

void CleanUpThatMustNotRun() { std::fputs("clean-up ran", stderr); }

void DivideAndReturn(double dividend, double d1, double d2, int32_t argc) {
  RegisterExitRoutine(CleanUpThatMustNotRun);
  ArgValue args[3] = {ArgValue::Double(dividend), ArgValue::Double(d1), ArgValue::Double(d2)};
  ArgValue result{};
  IntegerDivide(&result, argc, args);
  std::fprintf(stderr, "returned %g", result.AsDouble());
}

TEST(IntegerDivideDeathTest, ZeroDivisorEndsTheProcessWithTheReport) {
  EXPECT_EXIT(DivideAndReturn(7.0, 0.0, 1.0, 2), ::testing::ExitedWithCode(255),
              AllOf(HasSubstr(kReport), Not(HasSubstr("clean-up ran")), Not(HasSubstr("returned"))));
}

TEST(IntegerDivideDeathTest, NegativeZeroDivisorEndsTheProcessToo) {
  EXPECT_EXIT(DivideAndReturn(7.0, -0.0, 1.0, 2), ::testing::ExitedWithCode(255),
              AllOf(HasSubstr(kReport), Not(HasSubstr("returned"))));
}

TEST(IntegerDivideDeathTest, ZeroAfterAnOrdinaryDivisorEndsTheProcess) {
  EXPECT_EXIT(DivideAndReturn(8.0, 2.0, -0.0, 3), ::testing::ExitedWithCode(255),
              AllOf(HasSubstr(kReport), Not(HasSubstr("returned"))));
}

TEST(IntegerDivideDeathTest, ZeroDividendIsNoFault) {
  EXPECT_EXIT(
      {
        DivideAndReturn(0.0, 5.0, 1.0, 3);
        std::_Exit(3);
      },
      ::testing::ExitedWithCode(3), HasSubstr("returned 0"));
}

}  // namespace
}  // namespace rt
