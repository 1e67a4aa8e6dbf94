#include "tests/support/test_voices.h"

#include <windows.h>

#include <fstream>

#include "tests/support/program_driver.h"

namespace test_support {

std::string TestVoice(const std::string& name) { return SelfFolder() + "\\voices\\" + name; }

double TestVoiceSeconds(const std::string& name) {
  std::ifstream in(SelfFolder() + "\\voices\\expected.txt");
  std::string file;
  double seconds = 0;
  while (in >> file >> seconds) {
    if (file == name) return seconds;
  }
  return -1;
}

}  // namespace test_support
