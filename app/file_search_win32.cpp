#include "app/file_search.h"

#include "runtime/commands/folder_entries.h"
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

EntrySearch::~EntrySearch() {
  rt::ArgValue handle = rt::ArgValue::Int(handle_);
  rt::CallCoreCommand(rt::CloseEntrySearch, 1, &handle);
}

FolderEntry EntrySearch::First(const std::string& pattern) {
  // An empty pattern would continue the search instead of starting one.
  if (pattern.empty()) return FolderEntry();
  return Step(pattern.c_str());
}

FolderEntry EntrySearch::Next() { return Step(nullptr); }

FolderEntry EntrySearch::Step(const char* pattern) {
  int32_t attributes = 0;
  int32_t usable = 1;
  rt::ArgValue args[4] = {pattern != nullptr ? rt::ArgValue::Text(pattern) : rt::ArgValue::Omitted(),
                          rt::ArgValue::Address(&handle_, rt::kTagInt), rt::ArgValue::Address(&attributes, rt::kTagInt),
                          rt::ArgValue::Address(&usable, rt::kTagInt)};
  char* name = const_cast<char*>(rt::CallCoreCommand(rt::FindEntry, 4, args).AsText());
  FolderEntry entry;
  entry.name = name != nullptr ? name : "";
  rt::FreeMemory(name);
  entry.attributes = static_cast<uint32_t>(attributes);
  entry.usable = usable != 0;
  return entry;
}

}  // namespace app
