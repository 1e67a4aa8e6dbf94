#include "runtime/core/window_loading.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "runtime/commands/window_type.h"
#include "runtime/core/heap.h"
#include "runtime/core/property_access.h"
#include "runtime/core/runtime_state.h"
#include "tests/support/runtime_fixture.h"

namespace rt {
namespace {

using test_support::Bind;
using test_support::ControlHandle;
using test_support::ControlUnit;
using test_support::MakeWindow;
using test_support::WindowHandle;
using test_support::WindowUnit;

constexpr uint32_t kMain = 0x52010001;
constexpr uint32_t kMainOwn = 0x06010000;
constexpr uint32_t kFirst = 0x16010002;
constexpr uint32_t kSecond = 0x16010003;
constexpr uint32_t kThird = 0x16010004;
constexpr uint32_t kOther = 0x52010010;
constexpr uint32_t kOtherOwn = 0x06010011;
constexpr uint32_t kDialog = 0x52010020;
constexpr uint32_t kDialogOwn = 0x06010021;
constexpr uint32_t kBroken = 0x52010030;
constexpr uint32_t kBrokenOwn = 0x06010031;
constexpr uint32_t kMissingType = 0x16010032;

constexpr uint32_t kTestButtonType = kTypeButton;
constexpr uint32_t kRaisingType = 0x00010077;  // raises an event while it is created

// Handlers record the window events they stand for: handler i is event i - 20.
struct Seen {
  uint32_t window;
  int32_t event;
};
std::vector<Seen> g_seen;

template <int kIndex>
bool Record(const EventWord*, int32_t, int64_t*) {
  uint32_t window = 0, control = 0;
  CurrentEventSource(&window, &control);
  g_seen.push_back({window, kIndex - 20});
  return false;
}

template <int... kIndexes>
constexpr std::array<HandlerFn, sizeof...(kIndexes)> MakeTable(std::integer_sequence<int, kIndexes...>) {
  return {Record<kIndexes>...};
}
const auto kHandlers = MakeTable(std::make_integer_sequence<int, 40>());

EventBinding On(int32_t event) { return Bind(event, event + 20); }

std::vector<int32_t> EventsOf(uint32_t window) {
  std::vector<int32_t> events;
  for (const Seen& s : g_seen) {
    if (s.window == window) events.push_back(s.event);
  }
  return events;
}

int Count(uint32_t window, int32_t event) {
  int n = 0;
  for (const Seen& s : g_seen) n += s.window == window && s.event == event;
  return n;
}

int32_t g_raised_while_created = -1;
ControlObject* CreateRaising(const CreateParams& p) {
  SimpleEvent e{p.window->record.id, 0, kWindowDeactivated, 0, {}, 0, 0};
  g_raised_while_created = RaiseEvent(&e);
  return reinterpret_cast<CreateOp>(test_support::TestControlQuery(kOpCreate))(p);
}
void* RaisingQuery(int32_t operation) {
  if (operation == kOpCreate) return reinterpret_cast<void*>(static_cast<CreateOp>(CreateRaising));
  return test_support::TestControlQuery(operation);
}
const UnitTypeDescriptor kButtonType = {kTestButtonType, 0x40 | 0x800, nullptr, 0, test_support::TestControlQuery};
const UnitTypeDescriptor kRaisingTypeDescriptor = {kRaisingType, 0x40, nullptr, 0, RaisingQuery};

WindowUnitData Placed() {
  WindowUnitData d;
  d.start_position = kStartNormal;
  d.caption = "主窗口";
  return d;
}

std::vector<WindowRecord> Template() {
  WindowUnitData other = Placed();
  other.caption = "other";
  WindowUnitData broken = Placed();
  return {
      MakeWindow(kMain, {WindowUnit(kMainOwn, Placed(), kFlagVisible, 10, 20, 300, 200,
                                    {On(0), On(3), On(4), On(-7), On(10), On(6)}),
                         ControlUnit(kFirst, kTestButtonType, kFlagVisible | kFlagTabStop, 5, 5, 80, 24, {}, "一"),
                         ControlUnit(kSecond, kTestButtonType, kFlagVisible, 5, 40, 80, 24, {}, "二"),
                         ControlUnit(kThird, kTestButtonType, 0, 5, 75, 80, 24, {}, "三")}),
      MakeWindow(kOther, {WindowUnit(kOtherOwn, other, 0, 400, 20, 200, 150, {On(0), On(10)})}),
      MakeWindow(kDialog, {WindowUnit(kDialogOwn, Placed(), kFlagVisible, 60, 60, 200, 100, {On(0)})}),
      MakeWindow(kBroken, {WindowUnit(kBrokenOwn, broken, kFlagVisible, 0, 0, 100, 100, {On(0)}),
                           ControlUnit(kMissingType, 0x00019999, kFlagVisible, 0, 0, 10, 10)}),
  };
}

class WindowLoadingTest : public ::testing::Test {
 protected:
  WindowLoadingTest() : fixture_(Template(), kHandlers.data(), static_cast<int32_t>(kHandlers.size())) {}
  void SetUp() override {
    ASSERT_TRUE(fixture_.ok());
    RegisterUnitType(&kButtonType);
    RegisterUnitType(&kRaisingTypeDescriptor);
    g_seen.clear();
  }
  Window& W(uint32_t id) { return *LookupWindow(id); }

  test_support::RuntimeFixture fixture_;
};

TEST_F(WindowLoadingTest, BuildsTheWindowAndItsControlsInOrder) {
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  HWND main = WindowHandle(kMain);
  ASSERT_NE(nullptr, main);
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(10, r.left);
  EXPECT_EQ(20, r.top);
  EXPECT_EQ(300, r.right - r.left);
  EXPECT_EQ(200, r.bottom - r.top);
  EXPECT_TRUE(IsWindowVisible(main));

  // Created from the last control back: the last gets child id 100.
  HWND first = ControlHandle(kMain, kFirst), second = ControlHandle(kMain, kSecond),
       third = ControlHandle(kMain, kThird);
  EXPECT_EQ(120, GetDlgCtrlID(first));
  EXPECT_EQ(110, GetDlgCtrlID(second));
  EXPECT_EQ(100, GetDlgCtrlID(third));
  EXPECT_EQ(main, GetParent(first));
  // Stacked in list order, the first on top.
  EXPECT_EQ(first, GetWindow(main, GW_CHILD));
  EXPECT_EQ(second, GetWindow(first, GW_HWNDNEXT));
  EXPECT_EQ(third, GetWindow(second, GW_HWNDNEXT));
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_TRUE(IsWindowVisible(second));
  EXPECT_FALSE(IsWindowVisible(third)) << "its visible bit is clear";
  EXPECT_EQ(WS_TABSTOP, GetWindowLongA(first, GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(0, GetWindowLongA(second, GWL_STYLE) & WS_TABSTOP);
  for (uint32_t id : {kFirst, kSecond, kThird}) {
    test_support::TestControl* c = test_support::LiveTestControl(kMain, id);
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(1, c->load_complete);
    EXPECT_EQ(1, c->window_shown);
    EXPECT_EQ(kMain, c->window_id);
    EXPECT_EQ(id, c->unit_id);
  }

  // Created, then moved and resized once each, then shown; the focus event
  // goes to whichever unit holds the focus.
  const std::vector<int32_t> events = EventsOf(kMain);
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ((std::vector<int32_t>{0, 3, 4, 10}), std::vector<int32_t>(events.begin(), events.begin() + 4));
  EXPECT_EQ(1, Count(kMain, 0));
  EXPECT_EQ(4u, W(kMain).saved.size());
  ASSERT_NE(nullptr, W(kMain).loaded);
  EXPECT_FALSE(W(kMain).loaded->just_loaded) << "a visible window is shown by the load";
  EXPECT_EQ(0, Runtime().suspension);
}

TEST_F(WindowLoadingTest, AReloadStartsFromTheTemplateValues) {
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  WriteProperty(kMain, 0, kPropLeft, -1, 77, 0);
  char tag[] = "标记";
  WriteProperty(kMain, kFirst, kPropTag, -1, reinterpret_cast<intptr_t>(tag), 0);
  WriteProperty(kMain, kFirst, kPropVisible, -1, 0, 0);
  char caption[] = "changed";
  WriteProperty(kMain, 0, kFirstTypeProperty + kWindowCaption, -1, reinterpret_cast<intptr_t>(caption), 0);
  EXPECT_EQ(77, ReadProperty(kMain, 0, kPropLeft, -1));
  EXPECT_EQ("标记", FindUnit(W(kMain), kFirst)->tag);

  DestroyWindow(WindowHandle(kMain));
  EXPECT_EQ(nullptr, WindowHandle(kMain));
  EXPECT_EQ(nullptr, W(kMain).loaded);
  EXPECT_TRUE(W(kMain).saved.empty());
  EXPECT_EQ(10, W(kMain).record.units[0].left);
  EXPECT_EQ("", FindUnit(W(kMain), kFirst)->tag);
  EXPECT_EQ(kFlagVisible | kFlagTabStop, FindUnit(W(kMain), kFirst)->flags);
  for (const UnitRecord& unit : W(kMain).record.units) EXPECT_EQ(nullptr, unit.live);

  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  RECT r;
  GetWindowRect(WindowHandle(kMain), &r);
  EXPECT_EQ(10, r.left);
  EXPECT_TRUE(IsWindowVisible(ControlHandle(kMain, kFirst)));
  char text[64] = {};
  GetWindowTextA(WindowHandle(kMain), text, sizeof text);
  EXPECT_STREQ("主窗口", text);
  EXPECT_EQ(2, Count(kMain, 0)) << "each load raises its own created event";
}

TEST_F(WindowLoadingTest, AHiddenTemplateWindowShowsOnlyWhenMadeVisible) {
  ASSERT_EQ(0, LoadWindow(kOther, 0, false));
  HWND other = WindowHandle(kOther);
  ASSERT_NE(nullptr, other);
  EXPECT_FALSE(IsWindowVisible(other));
  EXPECT_EQ(0, ReadProperty(kOther, 0, kPropVisible, -1));
  ASSERT_NE(nullptr, W(kOther).loaded);
  EXPECT_TRUE(W(kOther).loaded->just_loaded);
  EXPECT_EQ((std::vector<int32_t>{0}), EventsOf(kOther));

  WriteProperty(kOther, 0, kPropVisible, -1, 1, 0);
  EXPECT_TRUE(IsWindowVisible(other));
  EXPECT_EQ(1, ReadProperty(kOther, 0, kPropVisible, -1));
  EXPECT_FALSE(W(kOther).loaded->just_loaded);
  EXPECT_EQ((std::vector<int32_t>{0, 10}), EventsOf(kOther));
  WriteProperty(kOther, 0, kPropVisible, -1, 0, 0);
  EXPECT_FALSE(IsWindowVisible(other));
  WriteProperty(kOther, 0, kPropVisible, -1, 1, 0);
  EXPECT_TRUE(IsWindowVisible(other)) << "a window shown before is simply shown again";
}

TEST_F(WindowLoadingTest, LoadingALoadedWindowActivatesItWithoutASecondCreatedEvent) {
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  HWND main = WindowHandle(kMain);
  ASSERT_EQ(0, LoadWindow(kDialog, 0, false));
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  EXPECT_EQ(main, WindowHandle(kMain)) << "nothing new is created";
  EXPECT_EQ(main, GetActiveWindow());
  EXPECT_EQ(1, Count(kMain, 0));
  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(main));
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  EXPECT_FALSE(IsIconic(main)) << "a minimised window is restored";
  EXPECT_EQ(1, Count(kMain, 0));
}

TEST_F(WindowLoadingTest, AnEventRaisedWhileLoadingIsDropped) {
  Window& other = W(kOther);
  other.record.units.push_back(ControlUnit(0x16010012, kRaisingType, kFlagVisible, 0, 0, 50, 20));
  other.record.units[0].events.push_back(On(kWindowDeactivated));
  for (EventBinding& b : other.record.units[0].events) b.handler = b.event + 20;
  ASSERT_EQ(0, LoadWindow(kOther, 0, false));
  EXPECT_EQ(0, g_raised_while_created) << "no handler runs while the window is half built";
  EXPECT_EQ(0, Count(kOther, kWindowDeactivated));
  SimpleEvent e{kOther, 0, kWindowDeactivated, 0, {}, 0, 0};
  EXPECT_EQ(1, RaiseEvent(&e)) << "after the load the same event reaches its handler";
  EXPECT_EQ(1, Count(kOther, kWindowDeactivated));
}

TEST_F(WindowLoadingTest, AFailedLoadReleasesWhatItBuiltAndLeavesDispatchWorking) {
  const std::vector<UnitRecord> before = W(kBroken).record.units;
  EXPECT_EQ(-1, LoadWindow(kBroken, 0, false));
  EXPECT_EQ(nullptr, WindowHandle(kBroken));
  EXPECT_EQ(nullptr, W(kBroken).loaded);
  EXPECT_TRUE(W(kBroken).saved.empty());
  ASSERT_EQ(before.size(), W(kBroken).record.units.size());
  for (const UnitRecord& unit : W(kBroken).record.units) EXPECT_EQ(nullptr, unit.live);
  EXPECT_EQ(0, Runtime().suspension);
  EXPECT_TRUE(EventsOf(kBroken).empty());

  ASSERT_EQ(0, LoadWindow(kDialog, 0, false));
  EXPECT_EQ(1, Count(kDialog, 0)) << "events reach the handlers of other windows";

  EXPECT_EQ(-1, LoadWindow(0x52010099, 0, false)) << "not in the registry";
  HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  EXPECT_EQ(-1, LoadWindow(kMain, reinterpret_cast<uintptr_t>(gone), false)) << "the owner is gone";
  EXPECT_EQ(nullptr, WindowHandle(kMain));
  EXPECT_EQ(0, Runtime().suspension);
}

TEST_F(WindowLoadingTest, AnOwnerGivenToTheLoadOwnsTheWindow) {
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  ASSERT_EQ(0, LoadWindow(kDialog, reinterpret_cast<uintptr_t>(WindowHandle(kMain)), false));
  EXPECT_EQ(WindowHandle(kMain), GetWindow(WindowHandle(kDialog), GW_OWNER));
}

// The modal load: the timer runs inside its nested loop.
struct ModalProbe {
  int ticks = 0;
  uint32_t marker = 0;
  bool main_enabled = true;
  bool dialog_enabled = false;
};
ModalProbe g_probe;

void CALLBACK CloseDialogSoon(HWND, UINT, UINT_PTR timer, DWORD) {
  if (++g_probe.ticks == 1) {
    g_probe.marker = Runtime().modal_marker;
    g_probe.main_enabled = IsWindowEnabled(WindowHandle(kMain)) != FALSE;
    g_probe.dialog_enabled = IsWindowEnabled(WindowHandle(kDialog)) != FALSE;
    PostMessageA(WindowHandle(kDialog), WM_CLOSE, 0, 0);
  }
  if (g_probe.ticks > 50) {
    KillTimer(nullptr, timer);
    DestroyWindow(WindowHandle(kDialog));  // a stuck loop must still end the test
  }
}

TEST_F(WindowLoadingTest, AModalLoadReturnsWhenItsWindowHasClosed) {
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  ASSERT_EQ(0, LoadWindow(kOther, 0, false));
  HWND other = WindowHandle(kOther);
  EnableWindow(other, FALSE);  // disabled before: stays disabled
  g_probe = ModalProbe();
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, CloseDialogSoon);
  ASSERT_NE(0u, timer);
  EXPECT_EQ(0, LoadWindow(kDialog, 0, true));
  KillTimer(nullptr, timer);

  EXPECT_EQ(1, g_probe.ticks) << "the load returned right after the close";
  EXPECT_EQ(kDialog, g_probe.marker);
  EXPECT_FALSE(g_probe.main_enabled) << "other windows are disabled while it runs";
  EXPECT_TRUE(g_probe.dialog_enabled);
  EXPECT_EQ(nullptr, WindowHandle(kDialog));
  EXPECT_EQ(0u, Runtime().modal_marker);
  EXPECT_TRUE(IsWindowEnabled(WindowHandle(kMain)));
  EXPECT_FALSE(IsWindowEnabled(other));
}

TEST_F(WindowLoadingTest, TheLastWindowGoingPostsQuitOnlyOnceTheLoopHasBegun) {
  MSG msg;
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  DestroyWindow(WindowHandle(kMain));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "no loop yet";

  Runtime().loop_entered = true;
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  ASSERT_EQ(0, LoadWindow(kDialog, 0, false));
  DestroyWindow(WindowHandle(kDialog));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "a window is left";
  DestroyWindow(WindowHandle(kMain));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, msg.wParam);
}

TEST_F(WindowLoadingTest, ADestroyedControlLeavesItsWindowLoaded) {
  ASSERT_EQ(0, LoadWindow(kMain, 0, false));
  DestroyWindow(ControlHandle(kMain, kSecond));
  EXPECT_EQ(nullptr, FindUnit(W(kMain), kSecond)->live);
  EXPECT_NE(nullptr, WindowHandle(kMain));
  EXPECT_EQ(4u, W(kMain).saved.size());
}

}  // namespace
}  // namespace rt
