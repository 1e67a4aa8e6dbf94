// How IntegerDivide ends a real process: the runtime error box, then -1.
#include <gtest/gtest.h>

#include <string>

#include "runtime/commands/text_commands.h"
#include "runtime/core/runtime_error.h"
#include "tests/support/child_process.h"

namespace rt {
namespace {

void Divide(double dividend, double d1, double d2) {
  ArgValue args[3] = {ArgValue::Double(dividend), ArgValue::Double(d1), ArgValue::Double(d2)};
  ArgValue result{};
  IntegerDivide(&result, 3, args);
}

CHILD_SCENARIO(IntegerDivideByZero) {
  (void)argument;
  Divide(7.0, 0.0, 1.0);
}
CHILD_SCENARIO(IntegerDivideByNegativeZeroLater) {
  (void)argument;
  Divide(8.0, 2.0, -0.0);
}
CHILD_SCENARIO(IntegerDivideByNonZero) {
  (void)argument;
  Divide(8.0, 2.0, 3.0);
  ExitProcess(7);
}

void ExpectDivisionByZeroReport(const test_support::ChildOutcome& outcome) {
  ASSERT_TRUE(outcome.started);
  EXPECT_FALSE(outcome.timed_out);
  ASSERT_EQ(1u, outcome.dialogs.size());
  const test_support::DialogSeen& box = outcome.dialogs[0];
  EXPECT_EQ("错误", box.caption);
  EXPECT_NE(std::string::npos, box.text.find("不能整除于零"));
  EXPECT_EQ(ComposeErrorBoxText(0, "不能整除于零", "\r\n0, 0\r\n"), box.text);
  EXPECT_EQ("运行时出错!\r\n\r\n错误信息：不能整除于零\r\n\r\n0, 0\r\n", box.text);
  EXPECT_EQ(nullptr, box.owner);
  EXPECT_EQ(0xFFFFFFFFu, outcome.exit_code);
}

TEST(IntegerDivideProcessTest, ZeroDivisorShowsTheErrorBoxAndExitsWithMinusOne) {
  ExpectDivisionByZeroReport(test_support::RunChild("IntegerDivideByZero"));
}

TEST(IntegerDivideProcessTest, NegativeZeroAfterAnOrdinaryDivisorIsReportedToo) {
  ExpectDivisionByZeroReport(test_support::RunChild("IntegerDivideByNegativeZeroLater"));
}

TEST(IntegerDivideProcessTest, NonZeroDivisorsShowNoBox) {
  const test_support::ChildOutcome outcome = test_support::RunChild("IntegerDivideByNonZero");
  ASSERT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.dialogs.empty());
  EXPECT_EQ(7u, outcome.exit_code);
}

}  // namespace
}  // namespace rt
