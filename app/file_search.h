// The application's file searches, through the runtime's search services
// and its FindEntry command: one running search each, closed when the
// object goes (or when a stop ends the worker inside it: the runtime
// closes it then). Windows builds only.
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

// One entry of an EntrySearch.
struct FolderEntry {
  std::string name;     // empty at the end of the search
  uint32_t attributes = 0;
  bool usable = true;   // false: the name has "?" for what the code page lacks
  bool is_folder() const { return (attributes & 0x10) != 0; }
  bool is_link() const { return (attributes & 0x400) != 0; }
};

// The application's own search (the runtime's FindEntry): names read wide
// (a short 8.3 form where the code page cannot hold the long one), every
// entry whatever its attribute bits, with all of them. Closed when the
// object goes.
class EntrySearch {
 public:
  EntrySearch() = default;
  ~EntrySearch();
  EntrySearch(const EntrySearch&) = delete;
  EntrySearch& operator=(const EntrySearch&) = delete;

  // Starts a new search and returns its first entry ("." and ".." too).
  FolderEntry First(const std::string& pattern);
  FolderEntry Next();

 private:
  FolderEntry Step(const char* pattern);
  int32_t handle_ = 0;
};

}  // namespace app
