// A program folder of the tests' own: a copy of sonoteca.exe with the
// chosen converters beside it, and the program started from it, whose end
// the test checks.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/program_driver.h"

namespace test_support {

enum class Converters {
  kNone,       // no converter beside the program
  kRecording,  // the stand-ins that record what they were given
  kReal,       // the converters that ship
};

// A program folder `name` inside `dir` holding sonoteca.exe and the chosen
// converters; returns its path.
std::string MakeProgramFolder(const ScopedTempDir& dir, const std::string& name, Converters converters);

// The program must end, with exit code 0, when its main window is closed.
class TestedProgram : public RunningProgram {
 public:
  ~TestedProgram() {
    if (process() == nullptr) return;
    EXPECT_TRUE(Stop()) << "the program did not end on closing its window";
    EXPECT_EQ(0u, exit_code());
  }
};

}  // namespace test_support
