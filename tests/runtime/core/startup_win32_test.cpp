// Start-up, the message loop and the orderly shutdown, in child processes
// that run the real framework entry.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "resources/window_template.h"
#include "runtime/commands/command_libraries.h"
#include "runtime/core/entry_operations.h"
#include "runtime/core/message_loop.h"
#include "runtime/core/requests.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/shutdown.h"
#include "runtime/core/startup.h"
#include "runtime/core/template_format.h"
#include "tests/support/child_process.h"
#include "tests/support/runtime_fixture.h"
#include "tests/support/temp_dir.h"

namespace rt {
namespace {

constexpr uint32_t kMain = 0x52010001;

std::string g_marker;

void Append(const std::string& line) {
  std::ofstream out(g_marker, std::ios::app);
  out << line << "\n";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void RecordExitRoutine() {
  Append(GetCurrentThreadId() == Runtime().window_thread ? "exit routine on window thread"
                                                         : "exit routine elsewhere");
}

bool CloseOnCreated(const EventWord*, int32_t, int64_t*) {
  PostMessageA(reinterpret_cast<HWND>(Runtime().windows[0].record.units[0].live->hwnd), WM_CLOSE, 0, 0);
  return false;
}

bool StampCreated(const EventWord*, int32_t, int64_t*) {
  FILETIME created, unused, now;
  GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& f) {
    return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  Append(std::to_string((ticks(now) - ticks(created)) / 10000));  // milliseconds
  ExitProgram(0);
}

const HandlerFn kCloseHandlers[] = {CloseOnCreated, nullptr};
const HandlerFn kStampHandlers[] = {StampCreated, nullptr};

// The real main window without its controls (their types come with the
// standard controls), with event 0 bound to handler 0.
std::vector<uint8_t> MainWindowOnly() {
  std::vector<WindowRecord> windows;
  ReadWindowTemplate(res::kWindowTemplate, res::kWindowTemplateSize, &windows);
  windows.resize(1);
  windows[0].units.resize(1);
  windows[0].units[0].events = {test_support::Bind(0, 0)};
  return WriteWindowTemplate(windows);
}

const CommandLibraryRecord* const kLibraries[] = {&kCoreLibrary, &kThreadLibrary};

ProgramInfo Info(const HandlerFn* handlers, const std::vector<uint8_t>& window_template) {
  ProgramInfo info{};
  info.program_word = 3;
  info.code_base = handlers;
  info.window_template = window_template.data();
  info.template_length = static_cast<uint32_t>(window_template.size());
  info.library_count = 2;
  info.libraries = kLibraries;
  return info;
}

std::vector<uint8_t> g_template;
ProgramInfo g_info;

int32_t CloseOnlyWindowEntry() {
  g_template = MainWindowOnly();
  g_info = Info(kCloseHandlers, g_template);
  InitialiseRuntime(g_info);
  RegisterExitRoutine(RecordExitRoutine);
  RegisterExitRoutine(RecordExitRoutine);  // registered twice, runs once
  Entry().load_start_window(kMain);
  RunMessageLoop();
  Append("loop returned");
  return 0;
}

CHILD_SCENARIO(CloseTheOnlyWindow) {
  g_marker = argument;
  RunApplication(CloseOnlyWindowEntry);
}

DWORD WINAPI ExitFromWorker(void*) { ExitProgram(5); }

int32_t WorkerExitEntry() {
  g_template = MainWindowOnly();
  g_info = Info(kCloseHandlers, g_template);  // the handler is never reached
  g_info.template_length = 0;
  InitialiseRuntime(g_info);
  RegisterExitRoutine(RecordExitRoutine);
  CloseHandle(CreateThread(nullptr, 0, ExitFromWorker, nullptr, 0, nullptr));
  // The window thread keeps handling messages until the hand-over arrives.
  for (;;) {
    MSG msg;
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
    DispatchMessageA(&msg);
  }
  Append("loop ended without the hand-over");
  return 0;
}

CHILD_SCENARIO(ExitProgramFromWorker) {
  g_marker = argument;
  RunApplication(WorkerExitEntry);
}

int32_t NoWindowEntry() {
  g_info = Info(kCloseHandlers, {});
  // Through the entry operations, as application code addresses them.
  CallService(kServiceInitialiseRuntime, &g_info);
  const DWORD start = GetTickCount();
  Entry().run_message_loop();
  Append(GetTickCount() - start < 1000 ? "returned at once" : "waited");
  ExitProgram(7);
}

CHILD_SCENARIO(LoopWithoutWindow) {
  g_marker = argument;
  RunApplication(NoWindowEntry);
}

CHILD_SCENARIO(ProgramDirectory) {
  g_marker = argument;
  g_info = Info(kCloseHandlers, {});
  InitialiseRuntime(g_info);
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  Append(Runtime().program_directory);
  Append(Runtime().program_file_name);
  Append(current);
  ExitProgram(0);
}

int32_t StampEntry() {
  g_template = MainWindowOnly();
  g_info = Info(kStampHandlers, g_template);
  InitialiseRuntime(g_info);
  LoadStartWindow(kMain);
  RunMessageLoop();
  return 0;
}

CHILD_SCENARIO(StampCreatedEvent) {
  g_marker = argument;
  RunApplication(StampEntry);
}

bool IgnoreEvent(const EventWord*, int32_t, int64_t*) { return false; }
const HandlerFn kQuietHandlers[] = {IgnoreEvent, nullptr};

bool ClassRegistered(const char* name) {
  WNDCLASSA info;
  return GetClassInfoA(GetModuleHandleA(nullptr), name, &info) != FALSE;
}

// The class of the program's windows is registered for the first window
// and unregistered by the shutdown, once the windows are gone.
CHILD_SCENARIO(WindowClassAcrossShutdown) {
  g_marker = argument;
  g_template = MainWindowOnly();
  g_info = Info(kQuietHandlers, g_template);
  InitialiseRuntime(g_info);
  Append(ClassRegistered("RtProgramWindow") ? "registered at start" : "none at start");
  LoadStartWindow(kMain);
  Append(ClassRegistered("RtProgramWindow") ? "registered with a window" : "none with a window");
  ShutDown();
  Append(ClassRegistered("RtProgramWindow") ? "registered after shutdown" : "none after shutdown");
  ExitProgram(0);
}

class StartupTest : public ::testing::Test {
 protected:
  std::string Marker() const { return dir_.path() + "\\marker.txt"; }
  test_support::ScopedTempDir dir_;
};

TEST_F(StartupTest, ClosingTheOnlyWindowEndsWithZeroAfterTheExitRoutine) {
  test_support::ChildOutcome outcome = test_support::RunChild("CloseTheOnlyWindow", Marker());
  ASSERT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.dialogs.empty());
  EXPECT_EQ(0u, outcome.exit_code);
  EXPECT_EQ("loop returned\nexit routine on window thread\n", ReadAll(Marker()));
}

TEST_F(StartupTest, ExitProgramFromAWorkerRunsTheExitRoutinesOnTheWindowThread) {
  test_support::ChildOutcome outcome = test_support::RunChild("ExitProgramFromWorker", Marker());
  ASSERT_TRUE(outcome.started);
  EXPECT_EQ(5u, outcome.exit_code);
  EXPECT_EQ("exit routine on window thread\n", ReadAll(Marker()));
}

TEST_F(StartupTest, TheShutdownUnregistersTheWindowClassOfTheProgramsWindows) {
  test_support::ChildOutcome outcome = test_support::RunChild("WindowClassAcrossShutdown", Marker());
  ASSERT_TRUE(outcome.started);
  EXPECT_EQ(0u, outcome.exit_code);
  EXPECT_EQ("none at start\nregistered with a window\nnone after shutdown\n", ReadAll(Marker()));
}

TEST_F(StartupTest, RunMessageLoopWithNoWindowReturnsAtOnce) {
  test_support::ChildOutcome outcome = test_support::RunChild("LoopWithoutWindow", Marker());
  EXPECT_EQ(7u, outcome.exit_code);
  EXPECT_EQ("returned at once\n", ReadAll(Marker()));
}

TEST_F(StartupTest, ProgramFolderWithATrailByteBackslashIsSplitByCharacters) {
  // "乗" is 81 5C: a naive split would cut the folder name in half.
  const std::string folder = dir_.MakeDir("乗");
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string copy = folder + "\\startup_probe.exe";
  ASSERT_TRUE(CopyFileA(self, copy.c_str(), FALSE));
  const std::string command = "\"" + copy + "\" --child=ProgramDirectory \"" + Marker() + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string line = command;
  ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(0u, code);
  EXPECT_EQ(folder + "\nstartup_probe.exe\n" + folder + "\n", ReadAll(Marker()));
}

int g_idle_live = 0;
int g_idle_dead = 0;
HWND g_live = nullptr;
void IdleLive(uintptr_t) {
  if (++g_idle_live == 3) PostQuitMessage(0);
}
void IdleDead(uintptr_t) { ++g_idle_dead; }

TEST(MessageLoopTest, AnIdleRoutineWhoseWindowIsGoneIsDropped) {
  g_live = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  HWND dead = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(g_live != nullptr && dead != nullptr);
  DestroyWindow(dead);
  IdleRoutineRecord dead_record = {reinterpret_cast<uintptr_t>(dead), IdleDead, 0};
  IdleRoutineRecord live_record = {reinterpret_cast<uintptr_t>(g_live), IdleLive, 0};
  RuntimeRequest(kReqAddIdleRoutine, reinterpret_cast<intptr_t>(&dead_record), 0);
  RuntimeRequest(kReqAddIdleRoutine, reinterpret_cast<intptr_t>(&live_record), 0);
  // Messages keep the loop going through idle phases until the live
  // routine has run three times.
  SetTimer(g_live, 1, 10, nullptr);
  RunLoopUntilQuit();
  KillTimer(g_live, 1);
  EXPECT_EQ(3, g_idle_live);
  EXPECT_EQ(0, g_idle_dead);
  ASSERT_EQ(1u, Runtime().idle_routines.size());
  EXPECT_EQ(reinterpret_cast<uintptr_t>(g_live), Runtime().idle_routines[0].window);
  DestroyWindow(g_live);
}

// Not a fact about behaviour but a measurement for the record: prints the
// median time from process start to the main window's created event.
TEST_F(StartupTest, TimeFromProcessStartToTheCreatedEvent) {
  std::vector<long> times;
  for (int i = 0; i < 10; ++i) {
    DeleteFileA(Marker().c_str());
    test_support::ChildOutcome outcome = test_support::RunChild("StampCreatedEvent", Marker());
    ASSERT_EQ(0u, outcome.exit_code);
    times.push_back(std::stol(ReadAll(Marker())));
  }
  std::sort(times.begin(), times.end());
  std::printf("created event after %ld ms (median of 10; min %ld, max %ld)\n", times[5], times[0],
              times[9]);
  EXPECT_LT(times[5], 10000);
}

}  // namespace
}  // namespace rt
