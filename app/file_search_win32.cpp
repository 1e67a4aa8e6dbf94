#include "app/file_search.h"

#include "runtime/core/entry_operations.h"
#include "runtime/core/heap.h"

namespace app {

FileSearch::~FileSearch() { rt::CallService(rt::kServiceCloseFind, handle_); }

std::string FileSearch::First(const std::string& pattern, int32_t mask, bool all_files) {
  mask_ = mask;
  all_files_ = all_files ? 1 : 0;
  // An empty pattern would continue the search instead of starting one.
  if (pattern.empty()) {
    rt::CallService(rt::kServiceCloseFind, handle_);
    handle_ = 0;
    return std::string();
  }
  return Take(reinterpret_cast<char*>(
      rt::CallService(rt::kServiceFindFile, pattern.c_str(), mask_, all_files_, &handle_)));
}

std::string FileSearch::Next() {
  return Take(reinterpret_cast<char*>(
      rt::CallService(rt::kServiceFindFile, static_cast<const char*>(nullptr), mask_, all_files_, &handle_)));
}

std::string FileSearch::Take(char* name) {
  std::string copy = name != nullptr ? name : "";
  rt::FreeMemory(name);
  return copy;
}

}  // namespace app
