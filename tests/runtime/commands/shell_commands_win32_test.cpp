// The folder dialog driven for real, and shell execution with and without
// the wait, on the real stand-in programs.
#include "runtime/commands/shell_commands.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "runtime/core/heap.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/thread_stop.h"
#include "runtime/core/window_loading.h"
#include "tests/support/runtime_fixture.h"
#include "tests/support/console_program.h"
#include "tests/support/temp_dir.h"

namespace rt {
namespace {

using test_support::MakeWindow;
using test_support::WindowHandle;
using test_support::WindowUnit;

constexpr uint32_t kFirst = 0x52010001;
constexpr uint32_t kFirstOwn = 0x06010000;
constexpr uint32_t kSecond = 0x52010010;
constexpr uint32_t kSecondOwn = 0x06010011;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// Waits, at most `ms`, for every process that runs the program file `exe`
// (started programs that no command waits for any more) to end; false when
// one still runs then. *found says how many ran when the wait began.
bool WaitForProgramsOf(const std::string& exe, DWORD ms, int* found) {
  const DWORD start = GetTickCount();
  *found = 0;
  const Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) return false;
  const std::string name = exe.substr(exe.rfind('\\') + 1);
  bool ended = true;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
    if (lstrcmpiA(entry.szExeFile, name.c_str()) != 0) continue;
    const Handle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (process == nullptr) continue;  // ended meanwhile
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameA(process.get(), 0, path, &size) || lstrcmpiA(path, exe.c_str()) != 0) continue;
    ++*found;
    const DWORD waited = GetTickCount() - start;
    ended = ended && waited < ms && WaitForSingleObject(process.get(), ms - waited) == WAIT_OBJECT_0;
  }
  return ended;
}

std::string StandinFolder() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string folder(self);
  return folder.substr(0, folder.rfind('\\')) + "\\standins";
}

struct FindBrowseDialog {
  DWORD thread;
  HWND found;
};

BOOL CALLBACK CollectBrowseDialog(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<FindBrowseDialog*>(param);
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::string(cls) == "#32770" && IsWindowVisible(hwnd) &&
      FindWindowExA(hwnd, nullptr, WC_TREEVIEWA, nullptr) != nullptr) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForBrowseDialog(DWORD thread) {
  for (int i = 0; i < 100; ++i) {
    FindBrowseDialog search{thread, nullptr};
    EnumThreadWindows(thread, CollectBrowseDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(100);
  }
  return nullptr;
}

std::string SelectedItemText(HWND dialog) {
  const HWND tree = FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return std::string();
  char text[MAX_PATH] = {};
  TVITEMA tv = {};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = MAX_PATH;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
  return text;
}

// What the driving thread saw while the dialog was open.
struct DialogDrive {
  bool found = false;
  bool selected = false;
  bool first_enabled = true;
  bool second_enabled = true;
  HWND owner = nullptr;
};

class BrowseForFolderTest : public ::testing::Test {
 protected:
  static std::vector<WindowRecord> Template() {
    WindowUnitData data;
    data.caption = "窗口";
    return {MakeWindow(kFirst, {WindowUnit(kFirstOwn, data, kFlagVisible, 10, 10, 200, 120)}),
            MakeWindow(kSecond, {WindowUnit(kSecondOwn, data, kFlagVisible, 240, 10, 200, 120)})};
  }
  BrowseForFolderTest() : fixture_(Template(), nullptr, 0) {}
  void SetUp() override {
    ASSERT_TRUE(fixture_.ok());
    OleInitialize(nullptr);
    ASSERT_EQ(0, LoadWindow(kFirst, 0, false));
    ASSERT_EQ(0, LoadWindow(kSecond, 0, false));
    SetActiveWindow(WindowHandle(kFirst));
  }
  void TearDown() override { OleUninitialize(); }

  // Opens the dialog on this thread; another thread selects `folder` (none:
  // cancels) and presses the button.
  std::string Browse(const std::string& folder, DialogDrive* drive, ArgValue include_files) {
    return Browse(test_support::Widen(folder), drive, include_files);
  }
  std::string Browse(const std::wstring& folder, DialogDrive* drive, ArgValue include_files) {
    const DWORD self = GetCurrentThreadId();
    std::thread driver([&] {
      const HWND dialog = WaitForBrowseDialog(self);
      if (dialog == nullptr) return;
      drive->found = true;
      drive->owner = GetWindow(dialog, GW_OWNER);
      drive->first_enabled = IsWindowEnabled(WindowHandle(kFirst)) != FALSE;
      drive->second_enabled = IsWindowEnabled(WindowHandle(kSecond)) != FALSE;
      if (!folder.empty()) {
        const std::string name = test_support::Utf8(folder.substr(folder.rfind(L'\\') + 1));
        // The first try sometimes selects nothing under Wine.
        for (int i = 0; i < 50 && !drive->selected; ++i) {
          SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
          drive->selected = test_support::Utf8(test_support::Widen(SelectedItemText(dialog))) == name;
          if (!drive->selected) Sleep(100);
        }
      }
      PostMessageA(dialog, WM_COMMAND, folder.empty() ? IDCANCEL : IDOK, 0);
    });
    ArgValue args[2] = {ArgValue::Text("选择文件夹"), include_files};
    const ArgValue result = CallLibraryCommand(BrowseForFolder, 2, args);
    driver.join();
    std::string path = result.AsText() != nullptr ? result.AsText() : "";
    FreeMemory(const_cast<char*>(result.AsText()));
    return path;
  }

  test_support::RuntimeFixture fixture_;
  test_support::ScopedTempDir dir_;
};

TEST_F(BrowseForFolderTest, GivesTheChosenFolderAndRestoresTheWindows) {
  const std::string folder = dir_.MakeDir("pick_folder");
  DialogDrive drive;
  EXPECT_EQ(folder, Browse(folder, &drive, ArgValue::Omitted()));
  EXPECT_TRUE(drive.found);
  EXPECT_TRUE(drive.selected);
  EXPECT_FALSE(drive.first_enabled) << "disabled while the dialog is open";
  EXPECT_FALSE(drive.second_enabled);
  EXPECT_EQ(WindowHandle(kFirst), drive.owner) << "the active window owns the dialog";
  EXPECT_TRUE(IsWindowEnabled(WindowHandle(kFirst)));
  EXPECT_TRUE(IsWindowEnabled(WindowHandle(kSecond)));
  EXPECT_EQ(WindowHandle(kFirst), GetActiveWindow()) << "activation restored";
}

TEST_F(BrowseForFolderTest, AFolderTheCodePageCannotHoldComesByItsShortFormAsADropWould) {
  // A Korean folder name, then "MobileQQ".
  const std::wstring korean = test_support::Widen(dir_.path()) + L"\\\xBC31\xC5C5";
  ASSERT_TRUE(CreateDirectoryW(korean.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((korean + L"\\MobileQQ").c_str(), nullptr));
  DialogDrive drive;
  const std::string path = Browse(korean + L"\\MobileQQ", &drive, ArgValue::Omitted());
  ASSERT_TRUE(drive.selected);
  EXPECT_EQ(std::string::npos, path.find('?')) << path;
  EXPECT_EQ("\\MobileQQ", path.substr(path.size() - 9)) << "its own name is kept";
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str())) << path << " names the folder";
}

TEST_F(BrowseForFolderTest, CancelGivesTheEmptyTextAndADisabledWindowStaysDisabled) {
  EnableWindow(WindowHandle(kSecond), FALSE);
  DialogDrive drive;
  EXPECT_EQ("", Browse("", &drive, ArgValue::Bool(true)));
  EXPECT_TRUE(drive.found);
  EXPECT_FALSE(drive.first_enabled);
  EXPECT_TRUE(IsWindowEnabled(WindowHandle(kFirst)));
  EXPECT_FALSE(IsWindowEnabled(WindowHandle(kSecond))) << "it was disabled before";
}

class ShellExecutionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d_ = dir_.path();
    for (const char* exe : {"silk_v3_decoder.exe", "ffmpeg.exe"}) {
      ASSERT_TRUE(CopyFileA((StandinFolder() + "\\" + exe).c_str(), (d_ + "\\" + exe).c_str(), FALSE));
    }
  }
  std::string Log(const char* program) { return ReadAll(d_ + "\\" + program + ".log"); }
  static bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }
  std::string d_;
  test_support::ScopedTempDir dir_;
};

TEST_F(ShellExecutionTest, ExecuteShellVerbStartsWithoutWaitingInTheGivenFolderAndShowMode) {
  const std::string exe = d_ + "\\ffmpeg.exe";
  ArgValue args[5] = {ArgValue::Int(4), ArgValue::Text(exe.c_str()), ArgValue::Text("a b"),
                      ArgValue::Text(d_.c_str()), ArgValue::Int(1)};
  const ArgValue result = CallLibraryCommand(ExecuteShellVerb, 5, args);
  EXPECT_EQ(0u, result.Word(0));
  std::string log;
  for (int i = 0; i < 100 && !Contains(log, "end="); ++i) {
    Sleep(50);
    log = Log("ffmpeg");
  }
  EXPECT_TRUE(Contains(log, "cmdline=\"" + exe + "\" a b\n")) << log;
  EXPECT_TRUE(Contains(log, "cwd=" + d_ + "\n")) << log;
  EXPECT_TRUE(Contains(log, "show=0\n")) << log;
}

TEST_F(ShellExecutionTest, TheWaitingStartReportsEndedNotStartedAndTimedOut) {
  const std::string exe = d_ + "\\silk_v3_decoder.exe";
  int32_t code = -5;
  ArgValue args[7] = {ArgValue::Int(4), ArgValue::Text(exe.c_str()), ArgValue::Omitted(),
                      ArgValue::Omitted(), ArgValue::Int(2), ArgValue::Omitted(),
                      ArgValue::Address(&code, kTagInt)};
  std::ofstream(d_ + "\\silk_v3_decoder.control") << "exit 7";
  EXPECT_EQ(kShellProgramEnded, CallLibraryCommand(ExecuteShellVerbAndWait, 7, args).AsInt());
  EXPECT_EQ(7, code);
  EXPECT_TRUE(Contains(Log("silk_v3_decoder"), "show=1\n"));
  const std::string missing = d_ + "\\none.exe";
  args[1] = ArgValue::Text(missing.c_str());
  code = -5;
  EXPECT_EQ(kShellNotStarted, CallLibraryCommand(ExecuteShellVerbAndWait, 7, args).AsInt());
  EXPECT_EQ(-5, code);
  std::ofstream(d_ + "\\silk_v3_decoder.control") << "sleep 3000";
  args[1] = ArgValue::Text(exe.c_str());
  args[5] = ArgValue::Int(300);
  EXPECT_EQ(kShellTimedOut, CallLibraryCommand(ExecuteShellVerbAndWait, 7, args).AsInt());
  EXPECT_EQ(-5, code);
  // It runs on; it ends before the folder goes.
  int running = 0;
  EXPECT_TRUE(WaitForProgramsOf(exe, 10000, &running));
  EXPECT_EQ(1, running);
}

// The answers of WaitForPrograms besides an index, with the platform's own
// objects: an event that is never set, and waits that cannot be made.
TEST(WaitForProgramsTest, AnswersTimedOutOrFailedWhenNoProgramEnds) {
  const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(nullptr, event);
  int32_t handles[64];
  for (int32_t& h : handles) h = static_cast<int32_t>(reinterpret_cast<intptr_t>(event));
  auto wait = [](int32_t count, const int32_t* list) {
    ArgValue args[3] = {ArgValue::Int(count), ArgValue::Address(list, kTagInt), ArgValue::Int(0)};
    return CallLibraryCommand(WaitForPrograms, 3, args).AsInt();
  };
  EXPECT_EQ(kProgramsWaitTimedOut, wait(63, handles)) << "63 handles, none signalled";
  EXPECT_EQ(kProgramsWaitFailed, wait(64, handles)) << "more than 63";
  EXPECT_EQ(kProgramsWaitFailed, wait(0, handles)) << "no handles";
  EXPECT_EQ(kProgramsWaitFailed, wait(1, nullptr)) << "no handle array";
  SetEvent(event);
  EXPECT_EQ(0, wait(63, handles));
  CloseHandle(event);
}

struct WaitingWorker {
  std::string exe;
  std::atomic<bool> returned{false};
};

DWORD WINAPI StartTwoAndWait(void* parameter) {
  auto* worker = static_cast<WaitingWorker*>(parameter);
  ArgValue args[6] = {ArgValue::Int(4), ArgValue::Text(worker->exe.c_str()), ArgValue::Text("first"),
                      ArgValue::Omitted(), ArgValue::Int(1), ArgValue::Int(20000)};
  CallLibraryCommand(ExecuteShellVerbAndWait, 6, args);
  worker->returned = true;
  args[2] = ArgValue::Text("second");
  CallLibraryCommand(ExecuteShellVerbAndWait, 6, args);
  return 0;
}

TEST_F(ShellExecutionTest, AStoppedWorkerStopsWaitingAtOnceAndStartsNothingMore) {
  std::ofstream(d_ + "\\silk_v3_decoder.control") << "sleep 4000";
  WaitingWorker worker;
  worker.exe = d_ + "\\silk_v3_decoder.exe";
  const uintptr_t thread =
      StartWorkerThread(reinterpret_cast<uintptr_t>(&StartTwoAndWait), reinterpret_cast<uintptr_t>(&worker));
  ASSERT_NE(0u, thread);
  for (int i = 0; i < 100 && !Contains(Log("silk_v3_decoder"), "argc="); ++i) Sleep(50);
  ASSERT_TRUE(Contains(Log("silk_v3_decoder"), "arg1=first\n"));
  EXPECT_TRUE(StopThread(thread));
  EXPECT_FALSE(Contains(Log("silk_v3_decoder"), "end=")) << "the stop came back before the program's end";
  DWORD code = 0;
  GetExitCodeThread(reinterpret_cast<HANDLE>(thread), &code);
  EXPECT_EQ(0xFFFFFFFFu, code);
  CloseHandle(reinterpret_cast<HANDLE>(thread));
  EXPECT_FALSE(worker.returned);
  // The started program runs on to its end.
  int running = 0;
  EXPECT_TRUE(WaitForProgramsOf(worker.exe, 10000, &running));
  EXPECT_EQ(1, running);
  const std::string log = Log("silk_v3_decoder");
  EXPECT_FALSE(Contains(log, "arg1=second")) << log;
  EXPECT_TRUE(Contains(log, "end=")) << log;
}

}  // namespace
}  // namespace rt
