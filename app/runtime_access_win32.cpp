// The entrance's operations on the platform: each builds the runtime's
// typed values for one command, one property or one foreign function, and
// gives back the application's own types.
#include <cstring>
#include <initializer_list>
#include <vector>

#include "app/foreign_functions.h"
#include "app/runtime_access.h"
#include "app/window_ids.h"
#include "runtime/commands/control_commands.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/folder_entries.h"
#include "runtime/commands/list_box.h"
#include "runtime/commands/shell_commands.h"
#include "runtime/commands/system_commands.h"
#include "runtime/commands/system_rules.h"
#include "runtime/commands/taskbar_progress.h"
#include "runtime/commands/threads.h"
#include "runtime/core/entry_operations.h"
#include "runtime/core/foreign_functions.h"
#include "runtime/core/heap.h"
#include "runtime/core/property_access.h"
#include "runtime/core/thread_stop.h"
#include "runtime/core/unit_record.h"
#include "runtime/core/values.h"
#include "runtime/core/window_unit_data.h"

namespace app {
namespace {

constexpr int32_t kEditContent = rt::kFirstTypeProperty + rt::kEditContent;
constexpr int32_t kWindowCaption = rt::kFirstTypeProperty + rt::kWindowCaption;
constexpr int32_t kWindowAlwaysOnTop = rt::kFirstTypeProperty + rt::kWindowAlwaysOnTop;
constexpr int32_t kListSelection = rt::kFirstTypeProperty + rt::kListCurrentSelection;
// The whole property, not one element of it.
constexpr int32_t kWhole = -1;

constexpr int32_t kFoldersOnly = 0x10;
constexpr int32_t kMessageBoxPlain = 0;     // one OK button, no icon
constexpr uint32_t kNonClientLeftDown = 0xA1;  // WM_NCLBUTTONDOWN
constexpr int32_t kOnCaption = 2;              // HTCAPTION
constexpr uint32_t kRemoveMessage = 1;         // PM_REMOVE
constexpr int32_t kDirectoryAnswer = 16;       // FILE_ATTRIBUTE_DIRECTORY
constexpr uint32_t kTerminateRight = 1;        // PROCESS_TERMINATE

// Where a faulty foreign call is reported: the group of the call, then the
// call itself.
constexpr int32_t kProcessCalls = 15;
constexpr int32_t kFileCalls = 17;

std::string Take(const char* text) { return rt::TakeText(text); }

std::string Take(const rt::ArgValue& value) { return rt::TakeText(value.AsText()); }

const char* TextProperty(uint32_t window, uint32_t control, int32_t property) {
  return reinterpret_cast<const char*>(static_cast<intptr_t>(rt::ReadProperty(window, control, property, kWhole)));
}

void WriteText(uint32_t window, uint32_t control, int32_t property, const std::string& text) {
  rt::WriteProperty(window, control, property, kWhole, reinterpret_cast<intptr_t>(text.c_str()), 0);
}

void WriteFlag(uint32_t window, uint32_t control, int32_t property, bool value) {
  rt::WriteProperty(window, control, property, kWhole, value ? 1 : 0, 0);
}

rt::ArgValue AccountList() { return rt::MakeControlRef(kAccountListWindow, kAccountList, rt::kTypeListBox); }

rt::ArgValue Core(rt::CommandFn command, std::initializer_list<rt::ArgValue> args) {
  std::vector<rt::ArgValue> values(args);
  return rt::CallCoreCommand(command, static_cast<int32_t>(values.size()), values.data());
}

rt::ArgValue Library(rt::CommandFn command, std::initializer_list<rt::ArgValue> args) {
  std::vector<rt::ArgValue> values(args);
  return rt::CallLibraryCommand(command, static_cast<int32_t>(values.size()), values.data());
}

rt::ArgValue Text(const std::string& text) { return rt::ArgValue::Text(text.c_str()); }

rt::ArgValue IntVariable(int32_t* variable) { return rt::ArgValue::Address(variable, rt::kTagInt); }

template <class R, class... A>
R CallTable(Foreign entry, int32_t group, int32_t call, A... args) {
  return rt::CallForeign<R>(static_cast<int32_t>(entry), group, call, args...);
}

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

}  // namespace

// --- The windows ----------------------------------------------------------------

std::string PathBoxText() { return Take(TextProperty(kMainWindow, kPathBox, kEditContent)); }

void SetPathBoxText(const std::string& text) { WriteText(kMainWindow, kPathBox, kEditContent, text); }

std::string SampleRateText() { return Take(TextProperty(kMainWindow, kSampleRateBox, kEditContent)); }

void SetButtonUsable(uint32_t button, bool usable) { WriteFlag(kMainWindow, button, rt::kPropDisabled, !usable); }

bool IsButtonUsable(uint32_t button) { return rt::ReadProperty(kMainWindow, button, rt::kPropDisabled, kWhole) == 0; }

void SetWindowShown(uint32_t window, bool shown) { WriteFlag(window, kOwnUnit, rt::kPropVisible, shown); }

void SetWindowUsable(uint32_t window, bool usable) { WriteFlag(window, kOwnUnit, rt::kPropDisabled, !usable); }

void BringMainWindowToFront() {
  SetWindowUsable(kMainWindow, true);
  WriteFlag(kMainWindow, kOwnUnit, kWindowAlwaysOnTop, true);
  WriteFlag(kMainWindow, kOwnUnit, kWindowAlwaysOnTop, false);
}

std::string MainWindowCaption() { return Take(TextProperty(kMainWindow, kOwnUnit, kWindowCaption)); }

void SetMainWindowCaption(const std::string& caption) { WriteText(kMainWindow, kOwnUnit, kWindowCaption, caption); }

void SetTaskbarProgress(int32_t done, int32_t total) {
  Library(rt::SetTaskbarProgress, {rt::MakeControlRef(kMainWindow, kOwnUnit, rt::kTypeWindow), rt::ArgValue::Int(done),
                                   rt::ArgValue::Int(total)});
}

void DragAccountListWindow() {
  Core(rt::SendControlMessage, {rt::MakeControlRef(kAccountListWindow, kAccountListWindowUnit, rt::kTypeWindow),
                                rt::ArgValue::Int(static_cast<int32_t>(kNonClientLeftDown)),
                                rt::ArgValue::Int(kOnCaption), rt::ArgValue::Int(0)});
}

void RegisterPathBoxDropTarget() {
  const rt::ArgValue handle =
      Core(rt::ControlWindowHandle, {rt::MakeControlRef(kMainWindow, kPathBox, rt::kTypeEditBox)});
  Library(rt::RegisterDropTarget,
          {rt::MakeControlRef(kMainWindow, kDropTarget, rt::kTypeDropTarget), rt::ArgValue::Int(handle.AsInt())});
}

void LoadAccountListWindow() {
  Core(rt::LoadWindowCommand, {rt::MakeControlRef(kAccountListWindow, kOwnUnit, rt::kTypeWindow),
                               rt::ArgValue::Omitted(), rt::ArgValue::Bool(false)});
}

void ClearAccountList() { Core(rt::ListBoxClear, {AccountList()}); }

void AddAccount(const std::string& name) { Core(rt::ListBoxAddItem, {AccountList(), Text(name)}); }

char* TakeSelectedAccount() {
  const int32_t selected = static_cast<int32_t>(rt::ReadProperty(kAccountListWindow, kAccountList, kListSelection, kWhole));
  return const_cast<char*>(Core(rt::ListBoxItemText, {AccountList(), rt::ArgValue::Int(selected)}).AsText());
}

void HoldAccountListDrawing(bool hold) { Core(rt::ListBoxHoldDrawing, {AccountList(), rt::ArgValue::Bool(hold)}); }

void Tell(const std::string& message) { Core(rt::ShowMessageBox, {Text(message), rt::ArgValue::Int(kMessageBoxPlain)}); }

std::string BrowseForFolder(const std::string& title) { return Take(Library(rt::BrowseForFolder, {Text(title)})); }

std::string ProgramArgument() { return Take(Core(rt::ProgramArgument, {})); }

void ProcessPendingEvents() { Core(rt::ProcessPendingEvents, {}); }

void PumpMessages() {
  MessageRecord message = {};
  while (CallTable<int32_t>(Foreign::kPeekMessageA, kFileCalls, 2, &message, uintptr_t{0}, uint32_t{0}, uint32_t{0},
                          kRemoveMessage) != 0) {
    CallTable<int32_t>(Foreign::kTranslateMessage, kFileCalls, 3, &message);
    CallTable<intptr_t>(Foreign::kDispatchMessageA, kFileCalls, 4, &message);
  }
}

// --- Files ----------------------------------------------------------------------

int64_t FileSize(const std::string& path) { return Core(rt::FileSize, {Text(path)}).AsInt64(); }

int32_t FileAttributesOf(const std::string& path) { return Core(rt::FileAttributes, {Text(path)}).AsInt(); }

bool RemoveFile(const std::string& path) { return Core(rt::RemoveFile, {Text(path)}).AsInt() != 0; }

bool RenameFile(const std::string& from, const std::string& to) {
  return Core(rt::RenameFile, {Text(from), Text(to)}).AsInt() != 0;
}

bool FileBeginsWith(const std::string& path, const std::string& prefix) {
  return Core(rt::FileBeginsWith, {Text(path), Text(prefix)}).AsInt() != 0;
}

bool CopyWriteTime(const std::string& from, const std::string& to) {
  return Core(rt::CopyWriteTime, {Text(from), Text(to)}).AsInt() != 0;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  return Core(rt::WriteTextFile, {Text(path), Text(text)}).AsInt() != 0;
}

bool IsFolder(const std::string& path) {
  return CallTable<int32_t>(Foreign::kPathIsDirectoryA, kFileCalls, 5, path.c_str()) == kDirectoryAnswer;
}

bool CreateFolder(const std::string& path) { return Core(rt::CreateFolder, {Text(path)}).AsInt() != 0; }

FolderState ProbeFolder(const std::string& folder, int64_t needed) {
  switch (Core(rt::ProbeFolder, {Text(folder), rt::ArgValue::Int64(needed)}).AsInt()) {
    case rt::kFolderFull: return FolderState::kFull;
    case rt::kFolderNotWritable: return FolderState::kNotWritable;
    default: return FolderState::kWritable;
  }
}

std::string FileNameKey(const std::string& name) { return Take(Core(rt::FileNameKey, {Text(name)})); }

uintptr_t AddressOf(std::string* text) {
  char* bytes = &(*text)[0];
  return CallTable<uintptr_t>(Foreign::klstrcpyn, kFileCalls, 1, bytes, static_cast<const char*>(bytes), int32_t{0});
}

FileSearch::~FileSearch() { rt::CallService(rt::kServiceCloseFind, handle_); }

std::string FileSearch::FirstFolder(const std::string& pattern) {
  // An empty pattern would continue the search instead of starting one.
  if (pattern.empty()) {
    rt::CallService(rt::kServiceCloseFind, handle_);
    handle_ = 0;
    return std::string();
  }
  return Take(reinterpret_cast<const char*>(
      rt::CallService(rt::kServiceFindFile, pattern.c_str(), kFoldersOnly, int32_t{0}, &handle_)));
}

std::string FileSearch::Next() {
  return Take(reinterpret_cast<const char*>(rt::CallService(rt::kServiceFindFile, static_cast<const char*>(nullptr),
                                                            kFoldersOnly, int32_t{0}, &handle_)));
}

EntrySearch::~EntrySearch() { Core(rt::CloseEntrySearch, {rt::ArgValue::Int(handle_)}); }

FolderEntry EntrySearch::First(const std::string& pattern) {
  if (pattern.empty()) return FolderEntry();
  return Step(pattern.c_str());
}

FolderEntry EntrySearch::Next() { return Step(nullptr); }

FolderEntry EntrySearch::Step(const char* pattern) {
  int32_t attributes = 0;
  int32_t usable = 1;
  FolderEntry entry;
  entry.name = Take(Core(rt::FindEntry, {pattern != nullptr ? rt::ArgValue::Text(pattern) : rt::ArgValue::Omitted(),
                                         IntVariable(&handle_), IntVariable(&attributes), IntVariable(&usable)}));
  entry.attributes = static_cast<uint32_t>(attributes);
  entry.usable = usable != 0;
  return entry;
}

// --- Programs ---------------------------------------------------------------------

ProgramStart StartProgram(const std::string& executable, const std::string& parameters, int32_t* handle) {
  *handle = 0;
  switch (Library(rt::StartProgram, {Text(executable), Text(parameters), IntVariable(handle)}).AsInt()) {
    case rt::kProgramStarted: return ProgramStart::kStarted;
    case rt::kProgramUnwaitable: return ProgramStart::kUnwaitable;
    default: return ProgramStart::kNotStarted;
  }
}

int32_t WaitForAny(const std::vector<int32_t>& handles, uint32_t limit_ms) {
  const int32_t answer =
      Library(rt::WaitForPrograms, {rt::ArgValue::Int(static_cast<int32_t>(handles.size())),
                                    rt::ArgValue::Address(handles.data(), rt::kTagInt),
                                    rt::ArgValue::Int(static_cast<int32_t>(limit_ms))})
          .AsInt();
  return answer >= 0 || answer == kWaitTimedOut ? answer : kWaitFailed;
}

bool ProgramExitCode(int32_t handle, uint32_t* exit_code) {
  int32_t code = 0;
  if (Library(rt::ProgramExitCode, {rt::ArgValue::Int(handle), IntVariable(&code)}).AsInt() == 0) return false;
  *exit_code = static_cast<uint32_t>(code);
  return true;
}

bool EndProgram(int32_t handle) { return Library(rt::EndProgram, {rt::ArgValue::Int(handle)}).AsInt() != 0; }

void CloseProgram(int32_t handle) { Library(rt::CloseProgram, {rt::ArgValue::Int(handle)}); }

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> processes;
  void* block = reinterpret_cast<void*>(Library(rt::ListProcesses, {}).AsAddress());
  if (block != nullptr) {
    const uint32_t count = rt::ArrayElementCount(block);
    auto* const* records = static_cast<rt::ProcessRecord* const*>(rt::ArrayElements(block));
    for (uint32_t i = 0; i < count; ++i) {
      const char* exe = records[i]->executable_name;
      processes.push_back({records[i]->process_id, exe != nullptr ? exe : ""});
    }
  }
  rt::FreeProcessArray(block);
  return processes;
}

bool TerminateProcessWithId(int32_t process_id) {
  // The handle must not be lost between its opening and its closing, so a
  // stop waits for the three calls.
  const rt::StopDeferral deferral;
  const uintptr_t process = CallTable<uintptr_t>(Foreign::kOpenProcess, kProcessCalls, 1, kTerminateRight, int32_t{0},
                                               static_cast<uint32_t>(process_id));
  if (process == 0) return false;
  const int32_t terminated =
      CallTable<int32_t>(Foreign::kTerminateProcess, kProcessCalls, 2, process, static_cast<uint32_t>(0));
  CallTable<int32_t>(Foreign::kCloseHandle, kProcessCalls, 3, process);
  return terminated == 1;
}

void CloseHandleOf(uintptr_t handle) {
  if (handle != 0) CallTable<int32_t>(Foreign::kCloseHandle, kProcessCalls, 4, handle);
}

// --- Threads and time ------------------------------------------------------------

uintptr_t StartWorkerThread(WorkerRoutine routine, void* parameter) {
  int32_t handle = 0;
  Library(rt::StartThread, {rt::ArgValue::Address(reinterpret_cast<const void*>(routine), rt::kTagSubroutine),
                            rt::ArgValue::Address(parameter, rt::kTagInt), IntVariable(&handle)});
  return static_cast<uintptr_t>(static_cast<intptr_t>(handle));
}

bool KillWorkerThread(uintptr_t handle) {
  return Library(rt::KillThread, {rt::ArgValue::Int(static_cast<int32_t>(handle))}).AsInt() != 0;
}

bool PostToWindowThread(void (*routine)(uintptr_t), uintptr_t argument) {
  return Library(rt::RunOnWindowThread,
                 {rt::ArgValue::Address(reinterpret_cast<const void*>(routine), rt::kTagSubroutine),
                  rt::ArgValue::Address(reinterpret_cast<const void*>(argument), rt::kTagInt)})
             .AsInt() != 0;
}

int32_t NewSignal() { return Library(rt::NewSignal, {}).AsInt(); }

void RaiseSignal(int32_t signal) { Library(rt::RaiseSignal, {rt::ArgValue::Int(signal)}); }

void CloseSignal(int32_t signal) { Library(rt::CloseSignal, {rt::ArgValue::Int(signal)}); }

std::string ProgramFolder() { return Take(Core(rt::ProgramFolder, {})); }

std::string EnvironmentVariable(const std::string& name) { return Take(Core(rt::EnvironmentVariable, {Text(name)})); }

int32_t ProcessorCount() { return Core(rt::ProcessorCount, {}).AsInt(); }

void Pause(uint32_t ms) { Core(rt::Pause, {rt::ArgValue::Int(static_cast<int32_t>(ms))}); }

uint32_t Now() { return static_cast<uint32_t>(Core(rt::AwakeMilliseconds, {}).AsInt()); }

}  // namespace app
