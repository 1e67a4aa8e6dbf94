// The real program on screen: sonoteca.exe is started and its windows are
// read from outside, as the user would see them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/program_folder.h"

namespace {

using test_support::ChildAt;
using test_support::TextOf;

std::string ClassOf(HWND hwnd) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  return cls;
}

struct Expected {
  const char* what;
  const char* platform_class;
  RECT client;  // left, top, right, bottom in the main window's client area
  const char* text;
  bool enabled;
  bool visible;
};

class RunningProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string exe = SONOTECA_EXE;
    for (char& c : exe) c = c == '/' ? '\\' : c;
    ASSERT_TRUE(program_.Start(exe));
    main_ = program_.main();
    list_window_ = program_.list_window();
  }

  test_support::TestedProgram program_;
  HWND main_ = nullptr;
  HWND list_window_ = nullptr;
};

RECT R(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

TEST_F(RunningProgram, MainWindowShowsEveryControlOfTheTemplate) {
  EXPECT_TRUE(IsWindowVisible(main_));
  EXPECT_TRUE(IsWindowEnabled(main_));
  RECT outer;
  GetWindowRect(main_, &outer);
  EXPECT_EQ(outer.right - outer.left, 678);
  EXPECT_EQ(outer.bottom - outer.top, 93);

  const Expected controls[] = {
      {"path box", "Edit", R(8, 8, 376, 25), "", true, true},
      {"browse button", "Button", R(400, 8, 60, 25), "浏览目录", true, true},
      {"drop target", "RtDropTarget", R(352, 8, 26, 26), "", true, false},
      {"batch button", "Button", R(469, 8, 60, 25), "批量转换", false, true},
      {"convert-one button", "Button", R(538, 8, 60, 25), "单独转换", false, true},
      {"stop button", "Button", R(608, 8, 60, 25), "停止", false, true},
      {"sample-rate label", "RtTransLabel", R(7, 39, 48, 25), "采样率:", true, true},
      {"sample-rate box", "Edit", R(54, 40, 40, 20), "12000", true, true},
      {"hint label", "RtTransLabel", R(96, 39, 430, 25),
       "如果转换出来的声音不对可以尝试增减采样率，增(声音变尖锐)减(声音变低沉)", true, true},
  };
  int children = 0;
  for (HWND c = GetWindow(main_, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) ++children;
  EXPECT_EQ(children, 9);
  for (const Expected& e : controls) {
    SCOPED_TRACE(e.what);
    HWND c = ChildAt(main_, e.client);
    ASSERT_NE(c, nullptr);
    EXPECT_STRCASEEQ(ClassOf(c).c_str(), e.platform_class);
    EXPECT_EQ(TextOf(c), e.text);
    EXPECT_EQ(IsWindowEnabled(c) != FALSE, e.enabled);
    EXPECT_EQ(IsWindowVisible(c) != FALSE, e.visible);
  }
  // The sample-rate box takes at most five characters.
  HWND rate = ChildAt(main_, R(54, 40, 40, 20));
  ASSERT_NE(rate, nullptr);
  EXPECT_EQ(SendMessageA(rate, EM_GETLIMITTEXT, 0, 0), 5);
}

TEST_F(RunningProgram, OnlyThePathBoxTakesDrops) {
  HWND path = ChildAt(main_, R(8, 8, 376, 25));
  ASSERT_NE(path, nullptr);
  EXPECT_NE(GetPropA(path, "WineMarshalledDropTarget"), nullptr);
  EXPECT_NE(GetPropA(path, "OleDropTargetInterface"), nullptr);
  for (HWND c = GetWindow(main_, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (c != path) {
      EXPECT_EQ(GetPropA(c, "OleDropTargetInterface"), nullptr) << ClassOf(c);
    }
  }
  EXPECT_EQ(GetPropA(main_, "OleDropTargetInterface"), nullptr);
}

TEST_F(RunningProgram, AccountListWindowIsLoadedHiddenAndDisabled) {
  EXPECT_FALSE(IsWindowVisible(list_window_));
  EXPECT_FALSE(IsWindowEnabled(list_window_));
  RECT outer;
  GetWindowRect(list_window_, &outer);
  EXPECT_EQ(outer.right - outer.left, 160);
  EXPECT_EQ(outer.bottom - outer.top, 320);
  HWND list = GetWindow(list_window_, GW_CHILD);
  ASSERT_NE(list, nullptr);
  EXPECT_STRCASEEQ(ClassOf(list).c_str(), "ListBox");
  EXPECT_EQ(GetWindow(list, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
  // Owned by the hidden owner window, so no task-bar button of its own.
  EXPECT_NE(GetWindow(list_window_, GW_OWNER), nullptr);
  EXPECT_NE(GetWindow(list_window_, GW_OWNER), main_);
}

TEST_F(RunningProgram, StopWithNoBatchSaysStoppedEachTime) {
  HWND stop = ChildAt(main_, R(608, 8, 60, 25));
  ASSERT_NE(stop, nullptr);
  for (int press = 0; press < 2; ++press) {
    // The button is greyed, but a click message still reaches the program.
    PostMessageA(stop, BM_CLICK, 0, 0);
    std::string caption;
    EXPECT_EQ("已停止", program_.AnswerBox(5000, &caption)) << press;
    EXPECT_EQ("信息：", caption);
  }
  // The second box gone, a message sent to the program comes back once the
  // click has been handled to its end.
  ASSERT_TRUE(test_support::WaitUntil(
      [this] { return test_support::WindowsOf(program_.process_id(), "#32770").empty(); }, 5000));
  DWORD_PTR answer = 0;
  ASSERT_NE(0, SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer));
  EXPECT_FALSE(IsWindowEnabled(stop)) << "nothing else changes";
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(program_.process(), 0));
}

}  // namespace
