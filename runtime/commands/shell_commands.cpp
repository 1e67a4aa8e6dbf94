// How the shell commands read their arguments.
#include "runtime/commands/shell_commands.h"

namespace rt {
namespace {

bool Given(int32_t argc, const ArgValue* args, int32_t i) {
  return argc > i && !args[i].IsOmitted();
}

constexpr uint32_t kNoWaitLimit = 0xFFFFFFFFu;  // the platform's INFINITE
// Folder dialog flags: an edit field for a typed name (BIF_EDITBOX), and
// files listed beside the folders (BIF_BROWSEINCLUDEFILES).
constexpr uint32_t kBrowseEditField = 0x10u;
constexpr uint32_t kBrowseFiles = 0x4000u;

}  // namespace

const char* ShellVerb(int32_t argc, const ArgValue* args) {
  static constexpr const char* kVerbs[] = {"edit", "explore", "find", "open", "print"};
  const int32_t number = Given(argc, args, 0) ? args[0].AsInt() : 0;
  return number >= 1 && number <= 5 ? kVerbs[number - 1] : nullptr;
}

const char* ShellParameters(int32_t argc, const ArgValue* args) {
  return Given(argc, args, 2) ? args[2].AsText() : nullptr;
}

const char* ShellWorkingFolder(int32_t argc, const ArgValue* args) {
  return Given(argc, args, 3) ? args[3].AsText() : "";
}

int32_t ShellShowCode(int32_t argc, const ArgValue* args) {
  static constexpr int32_t kCodes[] = {0, 1, 2, 3, 8, 6};
  if (!Given(argc, args, 4)) return 1;
  const int32_t mode = args[4].AsInt();
  return mode >= 1 && mode <= 6 ? kCodes[mode - 1] : 1;
}

uint32_t ShellWaitLimit(int32_t argc, const ArgValue* args) {
  if (!Given(argc, args, 5) || args[5].AsInt() < 0) return kNoWaitLimit;
  return static_cast<uint32_t>(args[5].AsInt());
}

uint32_t BrowseDialogFlags(int32_t argc, const ArgValue* args) {
  return Given(argc, args, 1) && args[1].Word(0) != 0 ? kBrowseEditField | kBrowseFiles : kBrowseEditField;
}

}  // namespace rt
