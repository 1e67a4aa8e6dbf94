#include "app/file_walk.h"

#include "app/path_text.h"
#include "app/runtime_access.h"
#include "runtime/core/codepage936.h"

namespace app {

void WalkFiles(const std::string& folder, const std::string& pattern, FoundFileCallback callback) {
  std::string base = WithSeparator(folder);
  {
    EntrySearch files;
    for (FolderEntry entry = files.First(base + pattern); !entry.name.empty(); entry = files.Next()) {
      // A name the code page cannot hold names no file to call back with.
      if (!entry.is_folder() && entry.usable) callback(AddressOf(&base), AddressOf(&entry.name));
    }
  }
  // A junction or a link leads out of the tree: it is not followed.
  EntrySearch folders;
  for (FolderEntry entry = folders.First(base + "*.*"); !entry.name.empty(); entry = folders.Next()) {
    if (entry.is_folder() && !entry.is_link() && entry.usable && entry.name[0] != '.') {
      WalkFiles(base + entry.name, pattern, callback);
    }
    PumpMessages();
  }
}

std::vector<std::string> FilesOf(const std::string& folder, const std::string& pattern) {
  const std::string base = WithSeparator(folder);
  std::vector<std::string> files;
  EntrySearch search;
  for (FolderEntry entry = search.First(base + pattern); !entry.name.empty(); entry = search.Next()) {
    if (!entry.is_folder() && entry.usable) files.push_back(base + entry.name);
  }
  return files;
}

void DeleteFoundFile(uintptr_t folder, uintptr_t name) {
  const char* f = reinterpret_cast<const char*>(folder);
  const char* n = reinterpret_cast<const char*>(name);
  RemoveFile(std::string(f != nullptr ? f : "") + (n != nullptr ? n : ""));
}

bool MakeFolderPath(const std::string& path) {
  // Each folder of the path in turn, split at backslashes of their own: in
  // code page 936 the second byte of a character may be 0x5C ("誠" is D5 5C),
  // which the system's own folder maker takes for a separator.
  const std::string folders = WithSeparator(path);
  for (size_t i = 0; i < folders.size(); ++i) {
    if (rt::IsLeadByte936(static_cast<uint8_t>(folders[i])) && i + 1 < folders.size()) {
      ++i;
      continue;
    }
    if (folders[i] != '\\' || i == 0 || folders[i - 1] == ':' || folders[i - 1] == '\\') continue;
    const std::string folder = folders.substr(0, i);
    if (!IsFolder(folder)) CreateFolder(folder);
  }
  return IsFolder(folders.substr(0, folders.size() - 1));
}

}  // namespace app
