// A file search of the application's own, through the runtime's search
// services: one running search, closed when the object goes (or when a
// stop ends the worker inside it: the runtime closes it then). Windows
// builds only.
#pragma once

#include <cstdint>
#include <string>

namespace app {

// Attribute masks of the search services.
constexpr int32_t kFoldersOnly = 0x10;
constexpr int32_t kSearchMask = 0x37;  // read-only, hidden, system, folder, archive

class FileSearch {
 public:
  FileSearch() = default;
  ~FileSearch();
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;

  // Starts a new search (closing the one before) and returns the first bare
  // name that matches; empty when none does. With `all_files` only entries
  // that are not folders match and the mask is not looked at.
  std::string First(const std::string& pattern, int32_t mask, bool all_files = false);
  // The next name of the running search; empty at its end.
  std::string Next();

 private:
  std::string Take(char* name);
  uintptr_t handle_ = 0;
  int32_t mask_ = 0;
  int32_t all_files_ = 0;
};

}  // namespace app
