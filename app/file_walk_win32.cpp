#include "app/file_walk.h"

#include "app/file_search.h"
#include "app/path_text.h"
#include "runtime/commands/system_commands.h"
#include "runtime/core/codepage936.h"
#include "runtime/core/foreign_functions.h"
#include "runtime/core/values.h"

namespace app {
namespace {

// Entries of the program's foreign-function table.
constexpr int32_t kLstrcpyn = 4;
constexpr int32_t kPeekMessage = 5;
constexpr int32_t kTranslateMessage = 6;
constexpr int32_t kDispatchMessage = 7;
constexpr int32_t kPathIsDirectory = 8;
// Where a faulty foreign call is reported: this unit, then the call.
constexpr int32_t kUnitLocation = 17;

constexpr uint32_t kRemoveMessage = 1;   // PM_REMOVE
constexpr int32_t kDirectoryAnswer = 16;  // FILE_ATTRIBUTE_DIRECTORY

// The platform's message record: window, message, two parameters, time and
// the cursor position.
struct MessageRecord {
  uintptr_t window;
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
  uint32_t time;
  int32_t x;
  int32_t y;
};
static_assert(sizeof(void*) != 4 || sizeof(MessageRecord) == 28, "the 32-bit record");
static_assert(sizeof(void*) != 8 || sizeof(MessageRecord) == 48, "the 64-bit record");

// The address of a text, as the callback takes it: copying nothing into
// the text itself returns where it is.
uintptr_t AddressOf(std::string* text) {
  char* p = &(*text)[0];
  return rt::CallForeign<uintptr_t>(kLstrcpyn, kUnitLocation, 1, p, static_cast<const char*>(p), int32_t{0});
}

}  // namespace

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

void DeleteFoundFile(uintptr_t folder, uintptr_t name) {
  const char* f = reinterpret_cast<const char*>(folder);
  const char* n = reinterpret_cast<const char*>(name);
  const std::string path = std::string(f != nullptr ? f : "") + (n != nullptr ? n : "");
  rt::ArgValue arg = rt::ArgValue::Text(path.c_str());
  rt::CallCoreCommand(rt::RemoveFile, 1, &arg);
}

void PumpMessages() {
  MessageRecord message = {};
  while (rt::CallForeign<int32_t>(kPeekMessage, kUnitLocation, 2, &message, uintptr_t{0}, uint32_t{0},
                                  uint32_t{0}, kRemoveMessage) != 0) {
    rt::CallForeign<int32_t>(kTranslateMessage, kUnitLocation, 3, &message);
    rt::CallForeign<intptr_t>(kDispatchMessage, kUnitLocation, 4, &message);
  }
}

bool IsFolder(const std::string& path) {
  return rt::CallForeign<int32_t>(kPathIsDirectory, kUnitLocation, 5, path.c_str()) == kDirectoryAnswer;
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
    if (!IsFolder(folder)) {
      rt::ArgValue arg = rt::ArgValue::Text(folder.c_str());
      rt::CallCoreCommand(rt::CreateFolder, 1, &arg);
    }
  }
  return IsFolder(folders.substr(0, folders.size() - 1));
}

}  // namespace app
