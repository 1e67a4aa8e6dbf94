// A folder of its own for one test, removed with everything in it.
#pragma once

#include <string>

namespace test_support {

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The folder's path without a trailing backslash.
  const std::string& path() const { return path_; }
  // Creates a file (and its folders) below the folder; returns its full path.
  std::string WriteFile(const std::string& relative, const std::string& content = "") const;
  std::string MakeDir(const std::string& relative) const;

 private:
  std::string path_;
};

}  // namespace test_support
