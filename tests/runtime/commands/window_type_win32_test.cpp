#include "runtime/commands/window_type.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/window_template.h"
#include "runtime/core/heap.h"
#include "runtime/core/property_access.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/template_format.h"
#include "runtime/core/window_loading.h"
#include "tests/support/program_driver.h"
#include "tests/support/runtime_fixture.h"

namespace rt {
namespace {

using test_support::Bind;
using test_support::MakeWindow;
using test_support::WindowHandle;
using test_support::WindowUnit;

std::vector<int32_t> g_events;
int64_t g_close_answer = -1;   // event 1: -1 nothing, else the value
int64_t g_first_answer = -1;   // event 12

template <int kEvent>
bool Record(const EventWord*, int32_t, int64_t* value) {
  g_events.push_back(kEvent);
  const int64_t answer = kEvent == 1 ? g_close_answer : (kEvent == 12 ? g_first_answer : -1);
  if (answer < 0) return false;
  *value = answer;
  return true;
}
// Handler i stands for window event i.
const HandlerFn kHandlers[] = {Record<0>, Record<1>, Record<2>, Record<3>, Record<4>, Record<5>, Record<6>,
                               Record<7>, Record<8>, Record<9>, Record<10>, Record<11>, Record<12>};
std::vector<EventBinding> AllEvents() {
  std::vector<EventBinding> events;
  for (int32_t e = 0; e <= 12; ++e) events.push_back(Bind(e, e));
  return events;
}

int Count(int32_t event) {
  int n = 0;
  for (int32_t e : g_events) n += e == event;
  return n;
}

DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }
DWORD ExStyle(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)); }

// The program's two windows from the embedded template, each with only its
// own unit (the control types are not part of this test).
std::vector<WindowRecord> EmbeddedOwnUnits() {
  std::vector<WindowRecord> windows;
  if (!ReadWindowTemplate(res::kWindowTemplate, res::kWindowTemplateSize, &windows)) return {};
  for (WindowRecord& w : windows) w.units.resize(1);
  return windows;
}

std::vector<HandlerFn> ManyHandlers() { return std::vector<HandlerFn>(64, Record<7>); }

TEST(WindowTypeTest, TheMainWindowOfTheEmbeddedTemplate) {
  const std::vector<HandlerFn> handlers = ManyHandlers();
  test_support::RuntimeFixture fixture(EmbeddedOwnUnits(), handlers.data(), 64);
  ASSERT_TRUE(fixture.ok());
  ASSERT_EQ(0, LoadWindow(0x52010001, 0, false));
  HWND main = WindowHandle(0x52010001);
  ASSERT_NE(nullptr, main);
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(678, r.right - r.left);
  EXPECT_EQ(93, r.bottom - r.top);
  EXPECT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ((1024 - 678) / 2, r.left);
  EXPECT_EQ((768 - 93) / 2, r.top);
  const DWORD style = Style(main);
  EXPECT_EQ(static_cast<DWORD>(WS_BORDER | WS_DLGFRAME), style & (WS_BORDER | WS_DLGFRAME));
  EXPECT_EQ(0u, style & WS_THICKFRAME);
  EXPECT_EQ(static_cast<DWORD>(WS_MINIMIZEBOX), style & WS_MINIMIZEBOX);
  EXPECT_EQ(0u, style & WS_MAXIMIZEBOX);
  EXPECT_EQ(static_cast<DWORD>(WS_SYSMENU), style & WS_SYSMENU);
  EXPECT_EQ(0u, style & WS_POPUP);
  EXPECT_EQ(0u, ExStyle(main) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(nullptr, GetWindow(main, GW_OWNER)) << "its own task-bar window";
  char text[64] = {};
  GetWindowTextA(main, text, sizeof text);
  EXPECT_STREQ("Sonoteca[支持QQ、微信]", text);
  EXPECT_NE(static_cast<UINT>(-1), GetMenuState(GetSystemMenu(main, FALSE), SC_CLOSE, MF_BYCOMMAND));

  ASSERT_EQ(0, LoadWindow(0x5201002A, 0, false));
  HWND list = WindowHandle(0x5201002A);
  ASSERT_NE(nullptr, list);
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(reinterpret_cast<HWND>(Runtime().hidden_owner), GetWindow(list, GW_OWNER));
  GetWindowRect(list, &r);
  EXPECT_EQ((1024 - 160) / 2, r.left);
  EXPECT_EQ((768 - 320) / 2, r.top);
}

constexpr uint32_t kWin = 0x52010001;
constexpr uint32_t kOwn = 0x06010000;

TEST(WindowTypeTest, BorderStylesAndButtons) {
  struct Case {
    int32_t border;
    DWORD style;     // expected among WS_CAPTION | WS_THICKFRAME | WS_POPUP | WS_DLGFRAME
    DWORD ex_style;  // expected among WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE
  };
  const Case cases[] = {
      {0, WS_POPUP, 0},
      {1, WS_CAPTION | WS_THICKFRAME, 0},
      {2, WS_CAPTION, 0},
      {3, WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW},
      {4, WS_CAPTION, WS_EX_TOOLWINDOW},
      {5, WS_CAPTION | WS_THICKFRAME, WS_EX_CLIENTEDGE},
      {6, WS_CAPTION, WS_EX_CLIENTEDGE},
  };
  std::vector<WindowRecord> windows;
  for (const Case& c : cases) {
    WindowUnitData d;
    d.border_style = c.border;
    d.caption = "b";
    d.maximise_button = 1;
    d.close_button = c.border == 2 ? 0 : 1;
    windows.push_back(MakeWindow(0x52010100 + static_cast<uint32_t>(c.border),
                                 {WindowUnit(0x06010200 + static_cast<uint32_t>(c.border), d, 0, 0, 0, 200, 100)}));
  }
  test_support::RuntimeFixture fixture(windows, kHandlers, 13);
  ASSERT_TRUE(fixture.ok());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.border);
    const uint32_t id = 0x52010100 + static_cast<uint32_t>(c.border);
    ASSERT_EQ(0, LoadWindow(id, 0, false));
    HWND hwnd = WindowHandle(id);
    EXPECT_EQ(c.style, Style(hwnd) & (WS_CAPTION | WS_THICKFRAME | WS_POPUP | WS_DLGFRAME));
    EXPECT_EQ(c.ex_style, ExStyle(hwnd) & (WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE));
    const DWORD buttons = c.border == 0 ? 0u : static_cast<DWORD>(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    EXPECT_EQ(buttons, Style(hwnd) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    if (c.border != 0) {
      const UINT close = GetMenuState(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND);
      EXPECT_EQ(c.border == 2, close == static_cast<UINT>(-1)) << "close button 0 removes Close";
    }
  }
}

class WindowTypeEventsTest : public ::testing::Test {
 protected:
  static std::vector<WindowRecord> Windows() {
    WindowUnitData d;
    d.start_position = kStartNormal;
    d.caption = "事件";
    WindowUnitData other = d;
    other.caption = "other";
    return {MakeWindow(kWin, {WindowUnit(kOwn, d, kFlagVisible, 30, 40, 250, 120, AllEvents())}),
            MakeWindow(0x52010002, {WindowUnit(0x06010003, other, kFlagVisible, 400, 40, 200, 100)})};
  }
  WindowTypeEventsTest() : fixture_(Windows(), kHandlers, 13) {}
  void SetUp() override {
    ASSERT_TRUE(fixture_.ok());
    g_events.clear();
    g_close_answer = -1;
    g_first_answer = -1;
  }
  test_support::RuntimeFixture fixture_;
};

TEST_F(WindowTypeEventsTest, CloseQueriesMayKeepTheWindowOpen) {
  ASSERT_EQ(0, LoadWindow(kWin, 0, false));
  HWND hwnd = WindowHandle(kWin);
  g_events.clear();
  g_close_answer = 0;
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_EQ((std::vector<int32_t>{12, 1}), g_events);

  g_events.clear();
  g_close_answer = -1;
  g_first_answer = 0;
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_EQ((std::vector<int32_t>{12}), g_events) << "a veto of the first question skips the second";

  g_first_answer = -1;
  g_close_answer = 0;
  EXPECT_EQ(FALSE, SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0));
  g_close_answer = 1;
  EXPECT_EQ(TRUE, SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0));

  g_events.clear();
  g_close_answer = -1;
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd)) << "a handler returning nothing lets it close";
  ASSERT_GE(g_events.size(), 3u);
  EXPECT_EQ(12, g_events[0]);
  EXPECT_EQ(1, g_events[1]);
  EXPECT_EQ(1, Count(kWindowDestroyed));
  EXPECT_EQ(nullptr, WindowHandle(kWin));
}

TEST_F(WindowTypeEventsTest, ACloseWhileEventsAreHeldBackIsAskedOnceTheyFlowAgain) {
  ASSERT_EQ(0, LoadWindow(kWin, 0, false));
  HWND hwnd = WindowHandle(kWin);
  g_events.clear();
  ++Runtime().suspension;  // as while another window is being built
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(hwnd)) << "not closed behind the handlers' back";
  EXPECT_TRUE(g_events.empty());
  --Runtime().suspension;
  ASSERT_TRUE(test_support::WaitUntil([&] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return !IsWindow(hwnd);
  }, 5000)) << "the held close was asked and let the window close";
  ASSERT_GE(g_events.size(), 2u);
  EXPECT_EQ(12, g_events[0]);
  EXPECT_EQ(1, g_events[1]);
}

TEST_F(WindowTypeEventsTest, ShowingActivatingAndMovingRaiseTheirEvents) {
  ASSERT_EQ(0, LoadWindow(kWin, 0, false));
  HWND hwnd = WindowHandle(kWin);
  ASSERT_EQ(std::vector<int32_t>({0, 3, 4}), std::vector<int32_t>(g_events.begin(), g_events.begin() + 3));
  EXPECT_EQ(1, Count(kWindowShown));
  // The first activation comes before the first activated event.
  const auto first = std::find(g_events.begin(), g_events.end(), kWindowFirstActivation);
  ASSERT_NE(g_events.end(), first);
  ASSERT_NE(g_events.end(), first + 1);
  EXPECT_EQ(kWindowActivated, *(first + 1));
  EXPECT_EQ(1, Count(kWindowFirstActivation));

  g_events.clear();
  ASSERT_EQ(0, LoadWindow(0x52010002, 0, false));
  EXPECT_EQ(1, Count(kWindowDeactivated));
  SetActiveWindow(hwnd);
  EXPECT_EQ(1, Count(kWindowActivated));
  EXPECT_EQ(0, Count(kWindowFirstActivation)) << "only the first activation";

  g_events.clear();
  WriteProperty(kWin, 0, kPropVisible, -1, 0, 0);
  WriteProperty(kWin, 0, kPropVisible, -1, 1, 0);
  EXPECT_EQ(1, Count(kWindowHidden));
  EXPECT_EQ(1, Count(kWindowShown));
  g_events.clear();
  WriteProperty(kWin, 0, kPropLeft, -1, 60, 0);
  EXPECT_EQ(1, Count(kWindowMoved));
  WriteProperty(kWin, 0, kPropWidth, -1, 300, 0);
  EXPECT_EQ(1, Count(kWindowResized));
}

int64_t ReadType(int32_t property) { return ReadProperty(kWin, 0, kFirstTypeProperty + property, -1); }
void WriteType(int32_t property, intptr_t value) {
  WriteProperty(kWin, 0, kFirstTypeProperty + property, -1, value, 0);
}

TEST_F(WindowTypeEventsTest, TypePropertiesReadAndWriteTheLiveWindow) {
  ASSERT_EQ(0, LoadWindow(kWin, 0, false));
  HWND hwnd = WindowHandle(kWin);
  char caption[] = "新标题";
  WriteType(kWindowCaption, reinterpret_cast<intptr_t>(caption));
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  EXPECT_STREQ("新标题", text) << "the title changes at once";
  char* read = reinterpret_cast<char*>(static_cast<intptr_t>(ReadType(kWindowCaption)));
  EXPECT_STREQ("新标题", read);
  FreeMemory(read);

  EXPECT_EQ(2, ReadType(kWindowBorderStyle));
  WriteType(kWindowBorderStyle, 9);
  EXPECT_EQ(6, ReadType(kWindowBorderStyle));
  WriteType(kWindowBorderStyle, -3);
  EXPECT_EQ(0, ReadType(kWindowBorderStyle));
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP), Style(hwnd) & (WS_POPUP | WS_CAPTION));
  WriteType(kWindowBorderStyle, 1);
  EXPECT_EQ(static_cast<DWORD>(WS_CAPTION | WS_THICKFRAME), Style(hwnd) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME));

  EXPECT_EQ(1, ReadType(kWindowEscapeCloses));
  WriteType(kWindowEscapeCloses, 7);
  EXPECT_EQ(1, ReadType(kWindowEscapeCloses)) << "a bool is stored as 1";
  EXPECT_EQ(0xFF000000u, static_cast<uint32_t>(ReadType(kWindowBackgroundColour)));

  WriteType(kWindowStartPosition, kStartCentred);
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ((1024 - (r.right - r.left)) / 2, r.left) << "applied at once to a visible window";
  EXPECT_EQ((768 - (r.bottom - r.top)) / 2, r.top);
  EXPECT_EQ(kStartCentred, ReadType(kWindowStartPosition));
}

TEST_F(WindowTypeEventsTest, AlwaysOnTopOneThenZeroBringsTheWindowToTheFront) {
  ASSERT_EQ(0, LoadWindow(kWin, 0, false));
  ASSERT_EQ(0, LoadWindow(0x52010002, 0, false));  // loaded later: in front
  HWND hwnd = WindowHandle(kWin);
  HWND other = WindowHandle(0x52010002);
  auto in_front_of = [](HWND a, HWND b) {
    for (HWND h = GetWindow(a, GW_HWNDNEXT); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
      if (h == b) return true;
    }
    return false;
  };
  ASSERT_TRUE(in_front_of(other, hwnd));
  WriteType(kWindowAlwaysOnTop, 1);
  EXPECT_EQ(static_cast<DWORD>(WS_EX_TOPMOST), ExStyle(hwnd) & WS_EX_TOPMOST);
  EXPECT_EQ(1, ReadType(kWindowAlwaysOnTop));
  WriteType(kWindowAlwaysOnTop, 0);
  EXPECT_EQ(0u, ExStyle(hwnd) & WS_EX_TOPMOST);
  EXPECT_TRUE(in_front_of(hwnd, other));
  EXPECT_EQ(0, ReadType(kWindowAlwaysOnTop));
}

TEST(WindowTypeTest, ClearingAlwaysOnTopKeepsHiddenOwnedTopmostWindowsUp) {
  WindowUnitData plain;
  plain.start_position = kStartNormal;
  plain.caption = "plain";
  WindowUnitData owned = plain;
  owned.caption = "owned";
  owned.own_taskbar_window = 0;
  owned.always_on_top = 1;
  test_support::RuntimeFixture fixture(
      {MakeWindow(kWin, {WindowUnit(kOwn, plain, kFlagVisible, 0, 0, 200, 100)}),
       MakeWindow(0x52010002, {WindowUnit(0x06010003, owned, kFlagVisible, 300, 0, 200, 100)})},
      kHandlers, 13);
  ASSERT_TRUE(fixture.ok());
  ASSERT_EQ(0, LoadWindow(0x52010002, 0, false));
  ASSERT_EQ(0, LoadWindow(kWin, 0, false));
  HWND owned_hwnd = WindowHandle(0x52010002);
  EXPECT_EQ(static_cast<DWORD>(WS_EX_TOPMOST), ExStyle(owned_hwnd) & WS_EX_TOPMOST) << "topmost when created";
  EXPECT_EQ(reinterpret_cast<HWND>(Runtime().hidden_owner), GetWindow(owned_hwnd, GW_OWNER));
  WriteType(kWindowAlwaysOnTop, 1);
  WriteType(kWindowAlwaysOnTop, 0);
  EXPECT_EQ(static_cast<DWORD>(WS_EX_TOPMOST), ExStyle(owned_hwnd) & WS_EX_TOPMOST);
  EXPECT_EQ(0u, ExStyle(WindowHandle(kWin)) & WS_EX_TOPMOST);
}

}  // namespace
}  // namespace rt
