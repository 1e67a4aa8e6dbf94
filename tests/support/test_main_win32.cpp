// Entry of the platform tests: either one child scenario or all the tests.
#include <gtest/gtest.h>

#include "tests/support/child_process.h"

int main(int argc, char** argv) {
  int exit_code = 0;
  if (test_support::RunChildScenarioIfAsked(argc, argv, &exit_code)) return exit_code;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
