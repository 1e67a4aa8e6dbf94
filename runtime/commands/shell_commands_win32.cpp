#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "runtime/commands/shell_commands.h"
#include "runtime/core/heap.h"
#include "runtime/core/requests.h"
#include "runtime/core/thread_stop.h"

namespace rt {
namespace {

void SetInt(ArgValue* result, int32_t value) { std::memcpy(result->payload, &value, 4); }

void SetText(ArgValue* result, char* text) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(text);
  std::memcpy(result->payload, &address, sizeof address);
}

const char* FileArgument(int32_t argc, const ArgValue* args) {
  return argc >= 2 ? args[1].AsText() : nullptr;
}

// The program's windows as they were before the dialog: what was active and
// in the foreground, and each top-level window with whether it was enabled.
class DisabledProgramWindows {
 public:
  DisabledProgramWindows() {
    const HWND active = GetActiveWindow();
    active_ = active != nullptr && IsWindow(active) ? active : nullptr;
    foreground_ = GetForegroundWindow();
    const intptr_t count = RuntimeRequest(kReqWindowCount, 0, 0);
    for (intptr_t i = 0; i < count; ++i) {
      const HWND window = reinterpret_cast<HWND>(RuntimeRequest(kReqWindowHandle, i, 0));
      if (window == nullptr || GetParent(window) != nullptr) continue;
      saved_.push_back({window, IsWindowEnabled(window) != FALSE});
      EnableWindow(window, FALSE);
    }
  }
  ~DisabledProgramWindows() {
    for (const Saved& s : saved_) EnableWindow(s.window, s.enabled ? TRUE : FALSE);
    if (foreground_ != nullptr && IsWindow(foreground_)) SetForegroundWindow(foreground_);
    if (active_ != nullptr && IsWindow(active_)) SetActiveWindow(active_);
  }
  DisabledProgramWindows(const DisabledProgramWindows&) = delete;
  DisabledProgramWindows& operator=(const DisabledProgramWindows&) = delete;

  HWND owner() const { return active_; }

 private:
  struct Saved {
    HWND window;
    bool enabled;
  };
  HWND active_ = nullptr;
  HWND foreground_ = nullptr;
  std::vector<Saved> saved_;
};

// The chosen item's file-system path; frees the item through the shell's allocator.
char* TakeItemPath(LPITEMIDLIST item) {
  char path[MAX_PATH + 1] = {};
  char* text = nullptr;
  if (SHGetPathFromIDListA(item, path)) {
    path[MAX_PATH] = '\0';
    text = NewText(path);
  }
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != nullptr) {
    allocator->Free(item);
    allocator->Release();
  }
  return text;
}

}  // namespace

void BrowseForFolder(ArgValue* result, int32_t argc, ArgValue* args) {
  char display_name[MAX_PATH] = {};
  BROWSEINFOA info = {};
  info.pszDisplayName = display_name;
  info.lpszTitle = argc >= 1 ? args[0].AsText() : nullptr;
  info.ulFlags = BrowseDialogFlags(argc, args);
  LPITEMIDLIST item = nullptr;
  {
    DisabledProgramWindows windows;
    info.hwndOwner = windows.owner();
    item = SHBrowseForFolderA(&info);
  }
  SetText(result, item != nullptr ? TakeItemPath(item) : nullptr);
}

void ExecuteShellVerb(ArgValue*, int32_t argc, ArgValue* args) {
  // The platform's answer is deliberately not looked at.
  ShellExecuteA(nullptr, ShellVerb(argc, args), FileArgument(argc, args),
                ShellParameters(argc, args), ShellWorkingFolder(argc, args),
                ShellShowCode(argc, args));
}

void ExecuteShellVerbAndWait(ArgValue* result, int32_t argc, ArgValue* args) {
  ThreadSafePoint();  // a worker asked to stop starts nothing more
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = ShellVerb(argc, args);
  info.lpFile = FileArgument(argc, args);
  info.lpParameters = ShellParameters(argc, args);
  info.lpDirectory = ShellWorkingFolder(argc, args);
  info.nShow = ShellShowCode(argc, args);
  if (!ShellExecuteExA(&info)) {
    SetInt(result, kShellNotStarted);
    return;
  }
  if (info.hProcess == nullptr) {
    SetInt(result, kShellWaitFailed);
    return;
  }
  int32_t outcome = kShellWaitFailed;
  switch (WaitForObjectOrStop(reinterpret_cast<uintptr_t>(info.hProcess),
                              ShellWaitLimit(argc, args))) {
    case WaitOutcome::kSignalled: {
      DWORD code = 0;
      if (GetExitCodeProcess(info.hProcess, &code)) {
        outcome = kShellProgramEnded;
        if (argc >= 7 && !args[6].IsOmitted() && args[6].AsAddress() != 0) {
          *reinterpret_cast<int32_t*>(args[6].AsAddress()) = static_cast<int32_t>(code);
        }
      }
      break;
    }
    case WaitOutcome::kTimedOut: outcome = kShellTimedOut; break;
    case WaitOutcome::kStopRequested:
      CloseHandle(info.hProcess);
      ThreadSafePoint();  // ends the worker; the program runs on
      SetInt(result, kShellWaitFailed);
      return;
    case WaitOutcome::kFailed: break;
  }
  CloseHandle(info.hProcess);
  SetInt(result, outcome);
}

}  // namespace rt
