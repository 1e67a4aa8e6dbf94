#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <mutex>
#include <string>
#include <vector>

#include "runtime/commands/shell_commands.h"
#include "runtime/core/ansi_path.h"
#include "runtime/core/heap.h"
#include "runtime/core/requests.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/thread_stop.h"

namespace rt {
namespace {

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

// The chosen item's file-system path, read wide and given in the code page
// as a dropped path is (its short form where the code page cannot hold
// it); frees the item through the shell's allocator.
char* TakeItemPath(LPITEMIDLIST item) {
  wchar_t path[MAX_PATH + 1] = {};
  char* text = nullptr;
  if (SHGetPathFromIDListW(item, path)) {
    path[MAX_PATH] = L'\0';
    text = NewText(AnsiPath(path).c_str());
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

namespace {

// Handles are 32-bit values on every Windows, sign-extended on 64-bit.
HANDLE HandleFromInt(int32_t value) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)); }

int32_t* IntVariable(int32_t argc, const ArgValue* args, int32_t i) {
  return argc > i && !args[i].IsOmitted() ? reinterpret_cast<int32_t*>(args[i].AsAddress()) : nullptr;
}

// The start shared by the commands that wait: the process handle goes to
// *process (null when there is none to wait for).
ProgramStartResult StartWithShell(int32_t argc, const ArgValue* args, HANDLE* process) {
  *process = nullptr;
  ThreadSafePoint();  // a worker asked to stop starts nothing more
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = ShellVerb(argc, args);
  info.lpFile = FileArgument(argc, args);
  info.lpParameters = ShellParameters(argc, args);
  info.lpDirectory = ShellWorkingFolder(argc, args);
  info.nShow = ShellShowCode(argc, args);
  {
    // The shell and the loader hold process-wide locks in here.
    StopDeferral deferral;
    if (!ShellExecuteExA(&info)) return kProgramNotStarted;
    if (info.hProcess == nullptr) return kProgramUnwaitable;
    HoldWorkerHandle(reinterpret_cast<uintptr_t>(info.hProcess), HeldHandleKind::kKernelObject);
  }
  *process = info.hProcess;
  return kProgramStarted;
}

// The job object of the started programs (see RuntimeState); null when the
// system cannot make one.
HANDLE StartedProgramsJob() {
  RuntimeState& state = Runtime();
  std::lock_guard<std::mutex> lock(state.started_programs_lock);
  if (state.started_programs_job == 0) {
    const HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (job == nullptr) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
      CloseHandle(job);
      return nullptr;
    }
    state.started_programs_job = reinterpret_cast<uintptr_t>(job);
  }
  return reinterpret_cast<HANDLE>(state.started_programs_job);
}

// A start without the shell: no console, no window and no console host,
// which the shell gives every console program it starts. The program goes
// into the job before its first instruction, so that it cannot outlive this
// process; where it cannot (a job of ours that allows no other), it runs all
// the same.
ProgramStartResult StartDirectly(const char* file, const char* parameters, HANDLE* process) {
  *process = nullptr;
  ThreadSafePoint();
  if (file == nullptr || *file == '\0') return kProgramNotStarted;
  std::string command_line = std::string("\"") + file + "\"";
  if (parameters != nullptr && *parameters != '\0') command_line += std::string(" ") + parameters;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;  // for a windowed program
  PROCESS_INFORMATION started = {};
  {
    StopDeferral deferral;
    const HANDLE job = StartedProgramsJob();
    if (!CreateProcessA(file, &command_line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW | CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &started)) {
      return kProgramNotStarted;
    }
    if (job != nullptr && started.hProcess != nullptr) AssignProcessToJobObject(job, started.hProcess);
    if (started.hThread != nullptr) {
      ResumeThread(started.hThread);
      CloseHandle(started.hThread);
    }
    if (started.hProcess == nullptr) return kProgramUnwaitable;
    HoldWorkerHandle(reinterpret_cast<uintptr_t>(started.hProcess), HeldHandleKind::kKernelObject);
  }
  *process = started.hProcess;
  return kProgramStarted;
}

void CloseStarted(HANDLE process) {
  ReleaseWorkerHandle(reinterpret_cast<uintptr_t>(process));
  CloseHandle(process);
}

}  // namespace

void ExecuteShellVerbAndWait(ArgValue* result, int32_t argc, ArgValue* args) {
  HANDLE process = nullptr;
  switch (StartWithShell(argc, args, &process)) {
    case kProgramNotStarted: SetInt(result, kShellNotStarted); return;
    case kProgramUnwaitable: SetInt(result, kShellWaitFailed); return;
    case kProgramStarted: break;
  }
  int32_t outcome = kShellWaitFailed;
  switch (WaitForObjectOrStop(reinterpret_cast<uintptr_t>(process), ShellWaitLimit(argc, args))) {
    case WaitOutcome::kSignalled: {
      DWORD code = 0;
      if (GetExitCodeProcess(process, &code)) {
        outcome = kShellProgramEnded;
        if (int32_t* variable = IntVariable(argc, args, 6)) *variable = static_cast<int32_t>(code);
      }
      break;
    }
    case WaitOutcome::kTimedOut: outcome = kShellTimedOut; break;
    case WaitOutcome::kStopRequested: ThreadSafePoint(); break;  // ends the worker; the program runs on
    case WaitOutcome::kFailed: break;
  }
  CloseStarted(process);
  SetInt(result, outcome);
}

void StartProgram(ArgValue* result, int32_t argc, ArgValue* args) {
  int32_t* variable = IntVariable(argc, args, 2);
  HANDLE process = nullptr;
  const ProgramStartResult started = StartDirectly(argc >= 1 ? args[0].AsText() : nullptr,
                                                   argc >= 2 && !args[1].IsOmitted() ? args[1].AsText() : nullptr,
                                                   &process);
  if (variable != nullptr) {
    *variable = static_cast<int32_t>(reinterpret_cast<intptr_t>(process));
  } else if (process != nullptr) {
    CloseStarted(process);  // nobody to hand it to
  }
  SetInt(result, started);
}

void WaitForPrograms(ArgValue* result, int32_t argc, ArgValue* args) {
  const int32_t count = argc >= 1 ? args[0].AsInt() : 0;
  const auto* handles = argc >= 2 ? reinterpret_cast<const int32_t*>(args[1].AsAddress()) : nullptr;
  if (count <= 0 || count >= MAXIMUM_WAIT_OBJECTS || handles == nullptr) {
    SetInt(result, kProgramsWaitFailed);
    return;
  }
  uintptr_t objects[MAXIMUM_WAIT_OBJECTS];
  for (int32_t i = 0; i < count; ++i) objects[i] = reinterpret_cast<uintptr_t>(HandleFromInt(handles[i]));
  const uint32_t limit = argc >= 3 && !args[2].IsOmitted() && args[2].AsInt() >= 0
                             ? static_cast<uint32_t>(args[2].AsInt())
                             : INFINITE;
  const int32_t answer = WaitForAnyOrStop(objects, static_cast<uint32_t>(count), limit);
  if (answer == kWaitStopRequested) ThreadSafePoint();  // held handles are closed for the worker
  SetInt(result, answer == kWaitStopRequested ? kProgramsWaitFailed : answer);
}

void ProgramExitCode(ArgValue* result, int32_t argc, ArgValue* args) {
  const HANDLE process = HandleFromInt(argc >= 1 ? args[0].AsInt() : 0);
  int32_t* variable = IntVariable(argc, args, 1);
  DWORD code = 0;
  const bool ended = process != nullptr && WaitForSingleObject(process, 0) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(process, &code);
  if (ended && variable != nullptr) *variable = static_cast<int32_t>(code);
  SetInt(result, ended ? 1 : 0);
}

void EndProgram(ArgValue* result, int32_t argc, ArgValue* args) {
  const HANDLE process = HandleFromInt(argc >= 1 ? args[0].AsInt() : 0);
  constexpr DWORD kEndWaitMs = 2000;
  constexpr UINT kEndedExitCode = 1;
  bool ended = false;
  if (process != nullptr) {
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, kEndedExitCode);
    ended = WaitForSingleObject(process, kEndWaitMs) == WAIT_OBJECT_0;
  }
  SetInt(result, ended ? 1 : 0);
}

void CloseProgram(ArgValue*, int32_t argc, ArgValue* args) {
  const HANDLE process = HandleFromInt(argc >= 1 ? args[0].AsInt() : 0);
  if (process != nullptr) CloseStarted(process);
}

}  // namespace rt
