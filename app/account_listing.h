// The account folders of a chosen data folder: QQ accounts are named by
// digits, WeChat accounts by long generated names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// True for a text of one or more bytes that are all "0" to "9" (bytes of
// double-byte characters never are). Null is the empty text.
bool IsAllDigits(const char* text);

// WeChat names its account folders with 20 bytes or more.
constexpr size_t kWeChatAccountBytes = 20;
bool IsWeChatAccountName(const std::string& name);

// Windows builds only. Appends to `list` the subfolders directly inside
// `folder` in the order the file system gives them (bare names, or the
// folder's path and the name when `full_paths`); folders whose names begin
// with "." are skipped. Returns the list's length, earlier elements included.
int32_t ListSubfolders(const std::string& folder, std::vector<std::string>* list, bool full_paths);

}  // namespace app
