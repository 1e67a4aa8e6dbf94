// The file and system commands on the platform: attributes and deletion,
// the real message box (its buttons, modality, texts and answers), controls
// addressed by ControlRef, pending events and a pause cut short by a stop.
#include "runtime/commands/system_commands.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "runtime/commands/system_rules.h"
#include "runtime/core/heap.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/thread_stop.h"
#include "runtime/core/window_loading.h"
#include "tests/support/child_process.h"
#include "tests/support/runtime_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/program_driver.h"

namespace rt {
namespace {

using test_support::MakeWindow;
using test_support::WindowHandle;
using test_support::WindowUnit;

constexpr uint32_t kMain = 0x52010001;
constexpr uint32_t kMainOwn = 0x06010000;
constexpr uint32_t kWindowType = 0x00010001;

int32_t Call(CommandFn command, std::initializer_list<ArgValue> list) {
  std::vector<ArgValue> args(list);
  return CallCoreCommand(command, static_cast<int32_t>(args.size()), args.data()).AsInt();
}

TEST(FileCommandsTest, AttributesOfMissingFolderAndNormalFile) {
  test_support::ScopedTempDir dir;
  const std::string file = dir.WriteFile("n.slk", "x");
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  const std::string hidden = dir.WriteFile("h.slk", "x");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  const std::string folder = dir.MakeDir("sub");
  const std::string missing = dir.path() + "\\none";
  EXPECT_EQ(-1, Call(FileAttributes, {ArgValue::Text(missing.c_str())}));
  EXPECT_EQ(-1, Call(FileAttributes, {ArgValue::Text(nullptr)}));
  EXPECT_EQ(0x10, Call(FileAttributes, {ArgValue::Text(folder.c_str())}) & 0x10);
  // Windows reports such a file as 0x80, which the mask removes; Wine as 0x20.
  const DWORD platform = GetFileAttributesA(file.c_str());
  ASSERT_TRUE(platform == FILE_ATTRIBUTE_NORMAL || platform == FILE_ATTRIBUTE_ARCHIVE) << platform;
  EXPECT_EQ(platform == FILE_ATTRIBUTE_NORMAL ? 0 : 0x20, Call(FileAttributes, {ArgValue::Text(file.c_str())}));
  EXPECT_EQ(static_cast<int32_t>(GetFileAttributesA(hidden.c_str()) & 0x37),
            Call(FileAttributes, {ArgValue::Text(hidden.c_str())}));
  EXPECT_EQ(0x03, Call(FileAttributes, {ArgValue::Text(hidden.c_str())}) & 0x03);
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileCommandsTest, RemoveFileDeletesFilesButNotFolders) {
  test_support::ScopedTempDir dir;
  const std::string file = dir.WriteFile("a.pcm", "x");
  const std::string folder = dir.MakeDir("out");
  EXPECT_EQ(1, Call(RemoveFile, {ArgValue::Text(file.c_str())}));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
  EXPECT_EQ(0, Call(RemoveFile, {ArgValue::Text(file.c_str())}));
  EXPECT_EQ(0, Call(RemoveFile, {ArgValue::Text(folder.c_str())}));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
}

TEST(FileCommandsTest, BeginsWithComparesTheFirstBytesOfFilesOnly) {
  test_support::ScopedTempDir dir;
  const std::string amr = dir.WriteFile("录音.amr", std::string("#!AMR\n\x3c\x00", 8));
  const std::string short_file = dir.WriteFile("s.amr", "#!AM");
  const std::string folder = dir.MakeDir("#!AMR");
  auto begins = [](const std::string& path, const char* prefix) {
    return Call(FileBeginsWith, {ArgValue::Text(path.c_str()), ArgValue::Text(prefix)});
  };
  EXPECT_EQ(1, begins(amr, "#!AMR\n"));
  EXPECT_EQ(0, begins(amr, "#!AMR-WB\n"));
  EXPECT_EQ(0, begins(short_file, "#!AMR\n")) << "shorter than the prefix";
  EXPECT_EQ(0, begins(amr, "")) << "an empty prefix tells nothing";
  EXPECT_EQ(0, begins(folder, "#"));
  EXPECT_EQ(0, begins(dir.path() + "\none.amr", "#"));
}

TEST(FileCommandsTest, CopyWriteTimeGivesTheTargetTheSourcesLastWriteTime) {
  test_support::ScopedTempDir dir;
  const std::string voice = dir.WriteFile("语音.slk", "voice");
  const std::string mp3 = dir.WriteFile("语音.mp3", "mp3");
  // 2021-03-04 05:06:07 UTC.
  SYSTEMTIME when = {2021, 3, 4, 4, 5, 6, 7, 0};
  FILETIME sent;
  ASSERT_TRUE(SystemTimeToFileTime(&when, &sent));
  const HANDLE file = CreateFileA(voice.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &sent));
  CloseHandle(file);
  EXPECT_EQ(1, Call(CopyWriteTime, {ArgValue::Text(voice.c_str()), ArgValue::Text(mp3.c_str())}));
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA(mp3.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(sent.dwLowDateTime, data.ftLastWriteTime.dwLowDateTime);
  EXPECT_EQ(sent.dwHighDateTime, data.ftLastWriteTime.dwHighDateTime);
  EXPECT_EQ("mp3", test_support::ReadAll(mp3)) << "the content is untouched";
  EXPECT_EQ(0, Call(CopyWriteTime, {ArgValue::Text((dir.path() + "\none").c_str()), ArgValue::Text(mp3.c_str())}));
  EXPECT_EQ(0, Call(CopyWriteTime, {ArgValue::Text(voice.c_str()), ArgValue::Text((dir.path() + "\none").c_str())}));
}

TEST(ClockTest, AwakeMillisecondsIsTheUnbiasedInterruptTime) {
  ULONGLONG before = 0, after = 0;
  ASSERT_TRUE(QueryUnbiasedInterruptTime(&before));
  const uint32_t clock = static_cast<uint32_t>(Call(AwakeMilliseconds, {}));
  ASSERT_TRUE(QueryUnbiasedInterruptTime(&after));
  EXPECT_LE(static_cast<uint32_t>(before / 10000), clock);
  EXPECT_GE(static_cast<uint32_t>(after / 10000), clock);
}

TEST(ListProcessesTest, HoldsThisProcessAndFreesCleanly) {
  const ArgValue list = CallLibraryCommand(ListProcesses, 0, nullptr);
  void* block = reinterpret_cast<void*>(list.AsAddress());
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(1, static_cast<int32_t*>(block)[0]);
  const uint32_t count = ArrayElementCount(block);
  auto* const* records = static_cast<ProcessRecord* const*>(ArrayElements(block));
  int seen = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (records[i]->process_id != static_cast<int32_t>(GetCurrentProcessId())) continue;
    ++seen;
    EXPECT_STREQ("platform_tests.exe", records[i]->executable_name);
    EXPECT_GE(records[i]->thread_count, 1);
  }
  EXPECT_EQ(1, seen);
  FreeProcessArray(block);
}

// What a helper thread saw of the message box before pressing `button`.
struct BoxSeen {
  bool found = false;
  test_support::DialogSeen dialog;
  DWORD ex_style = 0;
  bool button[10] = {};
  bool watched_enabled = true;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::string(cls) == "#32770" && IsWindowVisible(hwnd)) {
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
  }
  return TRUE;
}

int32_t ShowAndPress(std::vector<ArgValue> args, int button, BoxSeen* seen, HWND watched = nullptr) {
  const DWORD self = GetCurrentThreadId();
  std::thread presser([&] {
    for (int i = 0; i < 100; ++i) {
      HWND box = nullptr;
      EnumThreadWindows(self, FindBox, reinterpret_cast<LPARAM>(&box));
      if (box != nullptr) {
        seen->found = true;
        seen->dialog = test_support::ReadDialog(box);
        seen->ex_style = static_cast<DWORD>(GetWindowLongA(box, GWL_EXSTYLE));
        for (int id = 1; id < 10; ++id) seen->button[id] = GetDlgItem(box, id) != nullptr;
        if (watched != nullptr) seen->watched_enabled = IsWindowEnabled(watched) != FALSE;
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
        return;
      }
      Sleep(50);
    }
  });
  const int32_t answer =
      CallCoreCommand(ShowMessageBox, static_cast<int32_t>(args.size()), args.data()).AsInt();
  presser.join();
  return answer;
}

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    watched_ = CreateWindowA("STATIC", "watched", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, watched_);
  }
  void TearDown() override { DestroyWindow(watched_); }
  HWND watched_ = nullptr;
};

TEST_F(MessageBoxTest, FlagsZeroIsTaskModalWithOkAndTheDefaultCaption) {
  BoxSeen seen;
  EXPECT_EQ(0, ShowAndPress({ArgValue::Text("转换成功"), ArgValue::Int(0)}, IDOK, &seen, watched_));
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("信息：", seen.dialog.caption);
  EXPECT_EQ("转换成功", seen.dialog.text);
  EXPECT_TRUE(seen.button[IDOK]);
  EXPECT_FALSE(seen.button[IDYES]);
  EXPECT_FALSE(seen.watched_enabled) << "task-modal: the thread's windows are disabled";
  EXPECT_EQ(nullptr, seen.dialog.owner);
  EXPECT_TRUE(IsWindowEnabled(watched_));
}

TEST_F(MessageBoxTest, SystemModalPassesUnchangedAndTheStyleAdditionCarries) {
  BoxSeen seen;
  EXPECT_EQ(0, ShowAndPress({ArgValue::Int(42), ArgValue::Int(0x1000)}, IDOK, &seen, watched_));
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("42", seen.dialog.text);
  EXPECT_TRUE(seen.ex_style & WS_EX_TOPMOST) << "system-modal";
  EXPECT_TRUE(seen.watched_enabled) << "not task-modal";
  BoxSeen carried;
  // 0x2000 + 0x2000 = 0x4000: the help button, and no longer task-modal.
  EXPECT_EQ(0, ShowAndPress({ArgValue::Bool(false), ArgValue::Int(0x2000)}, IDOK, &carried, watched_));
  ASSERT_TRUE(carried.found);
  EXPECT_EQ("假", carried.dialog.text);
  EXPECT_TRUE(carried.button[IDHELP]);
  EXPECT_TRUE(carried.watched_enabled);
}

TEST_F(MessageBoxTest, AnswersMapToTheButtonPressed) {
  BoxSeen seen;
  EXPECT_EQ(5, ShowAndPress({ArgValue::Text("q"), ArgValue::Int(MB_YESNO)}, IDYES, &seen));
  EXPECT_TRUE(seen.button[IDYES] && seen.button[IDNO]);
  EXPECT_EQ(6, ShowAndPress({ArgValue::Text("q"), ArgValue::Int(MB_YESNO)}, IDNO, &seen));
  EXPECT_EQ(1, ShowAndPress({ArgValue::Text("q"), ArgValue::Int(MB_OKCANCEL)}, IDCANCEL, &seen));
  EXPECT_EQ(2, ShowAndPress({ArgValue::Text("q"), ArgValue::Int(MB_ABORTRETRYIGNORE)}, IDABORT, &seen));
  EXPECT_EQ(3, ShowAndPress({ArgValue::Text("q"), ArgValue::Int(MB_ABORTRETRYIGNORE)}, IDRETRY, &seen));
  EXPECT_EQ(4, ShowAndPress({ArgValue::Text("q"), ArgValue::Int(MB_ABORTRETRYIGNORE)}, IDIGNORE, &seen));
  EXPECT_EQ(0, ShowAndPress({ArgValue::Text("q"), ArgValue::Int(MB_OK)}, IDOK, &seen));
}

TEST_F(MessageBoxTest, CaptionOmittedOrGivenEmptyAndAnIntOwner) {
  BoxSeen seen;
  ShowAndPress({ArgValue::Text("m"), ArgValue::Int(0), ArgValue::Omitted()}, IDOK, &seen);
  EXPECT_EQ("信息：", seen.dialog.caption);
  ShowAndPress({ArgValue::Text("m"), ArgValue::Int(0), ArgValue::Text("")}, IDOK, &seen);
  ASSERT_TRUE(seen.found);
  EXPECT_EQ("", seen.dialog.caption) << "a given caption is used even when empty";
  const int32_t handle = static_cast<int32_t>(reinterpret_cast<intptr_t>(watched_));
  ShowAndPress({ArgValue::Text("m"), ArgValue::Int(0), ArgValue::Text("t"), ArgValue::Int(handle)}, IDOK,
               &seen);
  EXPECT_EQ(watched_, seen.dialog.owner);
  EXPECT_EQ("t", seen.dialog.caption);
  ShowAndPress({ArgValue::Text("m"), ArgValue::Int(0), ArgValue::Text("t"), ArgValue::Bool(true)}, IDOK, &seen);
  EXPECT_EQ(nullptr, seen.dialog.owner) << "neither a window nor an int";
}

class ControlCommandsTest : public ::testing::Test {
 protected:
  static std::vector<WindowRecord> Template() {
    WindowUnitData data;
    data.caption = "主窗口";
    return {MakeWindow(kMain, {WindowUnit(kMainOwn, data, kFlagVisible, 10, 10, 200, 120)})};
  }
  ControlCommandsTest() : fixture_(Template(), nullptr, 0) {}
  void SetUp() override { ASSERT_TRUE(fixture_.ok()); }
  test_support::RuntimeFixture fixture_;
};

TEST_F(ControlCommandsTest, HandleAndMessagesReachTheLiveWindowAlsoFromAnotherThread) {
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  const HWND window = WindowHandle(kMain);
  const ArgValue ref = MakeControlRef(kMain, kMainOwn, kWindowType);
  EXPECT_EQ(static_cast<int32_t>(reinterpret_cast<intptr_t>(window)), Call(ControlWindowHandle, {ref}));
  EXPECT_EQ(6, Call(SendControlMessage, {ref, ArgValue::Int(WM_GETTEXTLENGTH), ArgValue::Int(0),
                                         ArgValue::Int(0)}));
  std::atomic<int32_t> from_worker{-1};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    from_worker = Call(SendControlMessage, {ref, ArgValue::Int(WM_GETTEXTLENGTH), ArgValue::Int(0),
                                            ArgValue::Int(0)});
    done = true;
  });
  // The window thread handles the sent message while it pumps.
  for (int i = 0; i < 200 && !done; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
  worker.join();
  EXPECT_EQ(6, from_worker.load()) << "\"主窗口\" is six bytes";
  // A window ControlRef as the message box owner.
  BoxSeen seen;
  ShowAndPress({ArgValue::Text("m"), ArgValue::Int(0), ArgValue::Omitted(), ref}, IDOK, &seen);
  EXPECT_EQ(window, seen.dialog.owner);
}

CHILD_SCENARIO(HandleOfAnUnloadedWindow) {
  WindowUnitData data;
  test_support::RuntimeFixture fixture(
      {MakeWindow(kMain, {WindowUnit(kMainOwn, data, kFlagVisible, 10, 10, 200, 120)})}, nullptr, 0);
  ArgValue ref = MakeControlRef(kMain, kMainOwn, kWindowType);
  CallCoreCommand(ControlWindowHandle, 1, &ref);
}

TEST(ControlCommandsErrorTest, AnUnloadedWindowIsARuntimeError) {
  const test_support::ChildOutcome outcome = test_support::RunChild("HandleOfAnUnloadedWindow");
  ASSERT_TRUE(outcome.started);
  EXPECT_EQ(0xFFFFFFFFu, outcome.exit_code);
  ASSERT_EQ(1u, outcome.dialogs.size());
  EXPECT_NE(std::string::npos, outcome.dialogs[0].text.find("指定窗口或窗口组件不存在或尚未载入"))
      << outcome.dialogs[0].text;
}

int g_user_messages = 0;
LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_USER + 1) ++g_user_messages;
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

TEST(ProcessPendingEventsTest, HandlesWaitingMessagesAndLeavesTheQuitMessage) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SonotecaCounting";
  RegisterClassA(&wc);
  const HWND window = CreateWindowA("SonotecaCounting", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    wc.hInstance, nullptr);
  ASSERT_NE(nullptr, window);
  Runtime().window_thread = GetCurrentThreadId();
  g_user_messages = 0;
  PostMessageA(window, WM_USER + 1, 0, 0);
  PostMessageA(window, WM_USER + 1, 0, 0);
  // A quit message posted into the queue keeps its place (PostQuitMessage
  // would only raise a flag that the queue answers when it is empty).
  PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 3, 0);
  PostMessageA(window, WM_USER + 1, 0, 0);  // behind the quit message
  CallCoreCommand(ProcessPendingEvents, 0, nullptr);
  EXPECT_EQ(2, g_user_messages);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
  EXPECT_EQ(3u, msg.wParam);
  CallCoreCommand(ProcessPendingEvents, 0, nullptr);
  EXPECT_EQ(3, g_user_messages);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  DestroyWindow(window);
}

// What the pausing worker reports back.
struct PauseSeen {
  std::atomic<bool> inside{false};
  std::atomic<bool> after{false};
};

// The pause command, marking first that the worker is past the gate's first
// safe point: a stop from here on has to cut the pause short.
void MarkedPause(ArgValue* result, int32_t, ArgValue* args) {
  reinterpret_cast<PauseSeen*>(args[1].AsAddress())->inside = true;
  Pause(result, 1, args);
}

DWORD WINAPI PauseLong(void* parameter) {
  auto* seen = static_cast<PauseSeen*>(parameter);
  ArgValue args[2] = {ArgValue::Int(20000), ArgValue::Address(seen, kTagInt)};
  CallCoreCommand(MarkedPause, 2, args);
  seen->after = true;
  return 0;
}

TEST(PauseOnWorkerTest, AStopCutsThePauseShort) {
  PauseSeen seen;
  const uintptr_t thread =
      StartWorkerThread(reinterpret_cast<uintptr_t>(&PauseLong), reinterpret_cast<uintptr_t>(&seen));
  ASSERT_NE(0u, thread);
  // Not an assertion: the stop below must end the worker before `seen` goes.
  EXPECT_TRUE(test_support::WaitUntil([&] { return seen.inside.load(); }, 5000));
  const DWORD start = GetTickCount();
  EXPECT_TRUE(StopThread(thread));
  EXPECT_LT(GetTickCount() - start, 20000u) << "the stop came back before the pause would have ended";
  DWORD code = 0;
  GetExitCodeThread(reinterpret_cast<HANDLE>(thread), &code);
  EXPECT_EQ(0xFFFFFFFFu, code);
  EXPECT_FALSE(seen.after);
  CloseHandle(reinterpret_cast<HANDLE>(thread));
}

}  // namespace
}  // namespace rt
