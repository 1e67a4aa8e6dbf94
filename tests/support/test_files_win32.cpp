#include "tests/support/test_files.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace test_support {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> Logged(const std::string& log, const std::string& key) {
  std::vector<std::string> values;
  std::istringstream in(ReadAll(log));
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size() + 1, key + "=") == 0) values.push_back(line.substr(key.size() + 1));
  }
  return values;
}

}  // namespace test_support
