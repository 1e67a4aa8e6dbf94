#include "runtime/core/message_filter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "runtime/commands/window_type.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/window_loading.h"
#include "tests/support/child_process.h"
#include "tests/support/runtime_fixture.h"

namespace rt {
namespace {

using test_support::Bind;
using test_support::ControlHandle;
using test_support::ControlUnit;
using test_support::LiveTestControl;
using test_support::MakeWindow;
using test_support::Pump;
using test_support::WindowHandle;
using test_support::WindowUnit;

constexpr uint32_t kMain = 0x52010001;
constexpr uint32_t kMainOwn = 0x06010000;
constexpr uint32_t kGo = 0x16010002;      // handles its click, caption "&Go"
constexpr uint32_t kSilent = 0x16010003;  // no handler for event 0
constexpr uint32_t kFiltering = 0x16010004;
constexpr uint32_t kKeep = 0x52010010;    // Escape does not close it
constexpr uint32_t kKeepOwn = 0x06010011;
constexpr uint32_t kKeepButton = 0x16010012;

constexpr uint32_t kButtonType = kTypeButton;
constexpr uint32_t kFilteringType = 0x00010078;
constexpr uint32_t kInertType = 0x00010079;  // cannot raise events

struct Seen {
  int handler;
  uint32_t control;
  std::vector<EventWord> args;
};
std::vector<Seen> g_seen;
// What the answering handler (index 1) returns: -1 nothing, else the value.
int64_t g_answer = -1;

void Note(int handler, const EventWord* args, int32_t count) {
  uint32_t window = 0, control = 0;
  CurrentEventSource(&window, &control);
  g_seen.push_back({handler, control, std::vector<EventWord>(args, args + count)});
}

bool Quiet(const EventWord* args, int32_t count, int64_t*) {
  Note(0, args, count);
  return false;
}
bool Answer(const EventWord* args, int32_t count, int64_t* value) {
  Note(1, args, count);
  if (g_answer < 0) return false;
  *value = g_answer;
  return true;
}
bool DestroyOwnWindow(const EventWord* args, int32_t count, int64_t*) {
  Note(2, args, count);
  DestroyWindow(WindowHandle(kMain));
  return false;
}
const HandlerFn kHandlers[] = {Quiet, Answer, DestroyOwnWindow};

const UnitTypeDescriptor kButton = {kButtonType, 0x40 | 0x800, nullptr, 0, test_support::TestControlQuery};
const UnitTypeDescriptor kFilteringButton = {kFilteringType, 0x40 | 0x20, nullptr, 0,
                                             test_support::TestControlQuery};
const UnitTypeDescriptor kInert = {kInertType, 0x8, nullptr, 0, test_support::TestControlQuery};

std::vector<WindowRecord> Template(int32_t go_left_down_handler = 1) {
  WindowUnitData main;
  main.start_position = kStartNormal;
  main.caption = "filter";
  WindowUnitData keep = main;
  keep.escape_closes = 0;
  std::vector<EventBinding> go_events = {Bind(0, 0), Bind(-9, 0), Bind(-10, 0), Bind(-11, 1), Bind(-12, 0)};
  if (go_left_down_handler >= 0) go_events.push_back(Bind(-1, go_left_down_handler));
  return {
      MakeWindow(kMain, {WindowUnit(kMainOwn, main, kFlagVisible, 10, 10, 320, 200, {Bind(-1, 0)}),
                         ControlUnit(kGo, kButtonType, kFlagVisible | kFlagTabStop, 5, 5, 80, 24, go_events, "&Go"),
                         ControlUnit(kSilent, kButtonType, kFlagVisible | kFlagTabStop, 5, 40, 80, 24,
                                     {Bind(-1, 0)}, "Silent"),
                         ControlUnit(kFiltering, kFilteringType, kFlagVisible | kFlagTabStop, 5, 75, 80, 24, {},
                                     "Filter")}),
      MakeWindow(kKeep, {WindowUnit(kKeepOwn, keep, kFlagVisible, 400, 10, 200, 120),
                         ControlUnit(kKeepButton, kInertType, kFlagVisible, 5, 5, 80, 24)}),
  };
}

class MessageFilterTest : public ::testing::Test {
 protected:
  MessageFilterTest() : fixture_(Template(), kHandlers, 3) {}
  void SetUp() override {
    ASSERT_TRUE(fixture_.ok());
    RegisterUnitType(&kButton);
    RegisterUnitType(&kFilteringButton);
    RegisterUnitType(&kInert);
    ASSERT_EQ(0, LoadWindow(kMain, 0, false));
    Pump();
    g_seen.clear();
    g_answer = -1;
  }
  HWND Go() { return ControlHandle(kMain, kGo); }

  test_support::RuntimeFixture fixture_;
};

void SetKeys(std::initializer_list<int> down) {
  BYTE keys[256] = {};
  for (int k : down) keys[k] = 0x80;
  SetKeyboardState(keys);
}

TEST_F(MessageFilterTest, MouseEventsCarryPositionAndKeysAndMaySwallowThePress) {
  PostMessageA(Go(), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL | MK_SHIFT, MAKELPARAM(5, 7));
  Pump();
  ASSERT_EQ(1u, g_seen.size());
  EXPECT_EQ(1, g_seen[0].handler);
  EXPECT_EQ(kGo, g_seen[0].control);
  EXPECT_EQ((std::vector<EventWord>{5, 7, 3}), g_seen[0].args);
  EXPECT_EQ(1, LiveTestControl(kMain, kGo)->left_downs) << "a handler returning nothing lets it through";

  g_answer = 0;
  PostMessageA(Go(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 2));
  Pump();
  EXPECT_EQ(1, LiveTestControl(kMain, kGo)->left_downs) << "false swallows the press";
  g_answer = 5;
  PostMessageA(Go(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 2));
  Pump();
  EXPECT_EQ(2, LiveTestControl(kMain, kGo)->left_downs) << "a true value does not";

  // The window's own unit gets the events aimed at the window itself.
  g_seen.clear();
  PostMessageA(WindowHandle(kMain), WM_LBUTTONDOWN, 0, MAKELPARAM(300, 150));
  Pump();
  ASSERT_EQ(1u, g_seen.size());
  EXPECT_EQ(kMainOwn, g_seen[0].control);
  EXPECT_EQ((std::vector<EventWord>{300, 150, 0}), g_seen[0].args);
}

TEST_F(MessageFilterTest, KeyAndWheelEventsCarryTheirArguments) {
  SetKeys({VK_SHIFT});
  PostMessageA(Go(), WM_KEYDOWN, 'K', 0);
  PostMessageA(Go(), WM_KEYUP, 0x2000 | 'K', 0);
  PostMessageA(Go(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-240)), 0);
  Pump();
  SetKeys({});
  // The key press is translated into a character too, which comes last.
  ASSERT_EQ(4u, g_seen.size());
  EXPECT_EQ(1, g_seen[3].handler);
  EXPECT_EQ(1u, g_seen[3].args.size());
  EXPECT_EQ((std::vector<EventWord>{'K', 2}), g_seen[0].args);
  EXPECT_EQ((std::vector<EventWord>{'K', 2}), g_seen[1].args) << "only the low 13 bits of the key";
  EXPECT_EQ(static_cast<EventWord>(static_cast<intptr_t>(-2)), g_seen[2].args[0]);
  EXPECT_EQ(1u, g_seen[2].args[1]);
}

TEST_F(MessageFilterTest, ACharacterHandlerSwallowsOrReplacesTheCharacter) {
  g_answer = 'b';
  PostMessageA(Go(), WM_CHAR, 'a', 0);
  Pump();
  g_answer = 0;
  PostMessageA(Go(), WM_CHAR, 'x', 0);
  Pump();
  g_answer = -1;
  PostMessageA(Go(), WM_CHAR, 'z', 0);
  Pump();
  EXPECT_EQ((std::vector<WPARAM>{'b', 'z'}), LiveTestControl(kMain, kGo)->characters);
  ASSERT_EQ(3u, g_seen.size());
  EXPECT_EQ((std::vector<EventWord>{'a'}), g_seen[0].args);
}

TEST_F(MessageFilterTest, EscapeClosesOnlyAWindowThatAsksForIt) {
  ASSERT_EQ(0, LoadWindow(kKeep, 0, false));
  PostMessageA(WindowHandle(kKeep), WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_NE(nullptr, WindowHandle(kKeep));
  PostMessageA(Go(), WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_EQ(nullptr, WindowHandle(kMain));
}

TEST_F(MessageFilterTest, KeysToADisabledWindowPassThroughUnfiltered) {
  EnableWindow(WindowHandle(kMain), FALSE);
  PostMessageA(Go(), WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(Go(), WM_KEYDOWN, 'A', 0);
  Pump();
  EXPECT_NE(nullptr, WindowHandle(kMain)) << "Escape did not close it";
  EXPECT_EQ(2, LiveTestControl(kMain, kGo)->key_downs) << "both keys reached the control";
  EXPECT_TRUE(g_seen.empty()) << "no key event was raised";
}

TEST_F(MessageFilterTest, AHandlerThatDestroysItsWindowEndsTheMessage) {
  Window& main = *LookupWindow(kMain);
  FindUnit(main, kSilent)->events = {Bind(-1, 2)};
  FindUnit(main, kSilent)->events[0].handler = 2;
  PostMessageA(ControlHandle(kMain, kSilent), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostMessageA(WindowHandle(kMain), WM_NULL, 0, 0);  // left over for a window that is gone
  Pump();
  ASSERT_EQ(1u, g_seen.size());
  EXPECT_EQ(2, g_seen[0].handler);
  EXPECT_EQ(nullptr, WindowHandle(kMain));
  EXPECT_EQ(nullptr, main.loaded);
  for (const UnitRecord& unit : main.record.units) EXPECT_EQ(nullptr, unit.live);
}

TEST_F(MessageFilterTest, AClickWithoutAHandlerDoesNothingAndOneWithAHandlerRunsIt) {
  SendMessageA(ControlHandle(kMain, kSilent), BM_CLICK, 0, 0);
  EXPECT_TRUE(g_seen.empty());
  EXPECT_NE(nullptr, WindowHandle(kMain));
  SendMessageA(Go(), BM_CLICK, 0, 0);
  ASSERT_EQ(1u, g_seen.size());
  EXPECT_EQ(0, g_seen[0].handler);
  EXPECT_EQ(kGo, g_seen[0].control);
}

TEST_F(MessageFilterTest, TabAndShiftTabMoveTheFocus) {
  SetFocus(Go());
  ASSERT_EQ(Go(), GetFocus());
  PostMessageA(Go(), WM_KEYDOWN, VK_TAB, 0);
  Pump();
  EXPECT_EQ(ControlHandle(kMain, kSilent), GetFocus());
  SetKeys({VK_SHIFT});
  PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
  Pump();
  SetKeys({});
  EXPECT_EQ(Go(), GetFocus());
  EXPECT_TRUE(g_seen.empty()) << "a navigation key raises no key event";
}

TEST_F(MessageFilterTest, EnterGoesToTheFocusedControlThenToTheFirstThatAcceptsIt) {
  SetFocus(ControlHandle(kMain, kSilent));
  Window& main = *LookupWindow(kMain);
  FindUnit(main, kSilent)->events = {Bind(0, 0)};
  FindUnit(main, kSilent)->events[0].handler = 0;
  PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  ASSERT_EQ(1u, g_seen.size());
  EXPECT_EQ(kSilent, g_seen[0].control) << "the focused control takes Enter";

  g_seen.clear();
  SetFocus(WindowHandle(kMain));
  PostMessageA(WindowHandle(kMain), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  ASSERT_EQ(1u, g_seen.size());
  EXPECT_EQ(kGo, g_seen[0].control) << "else the first control in list order that accepts it";

  g_seen.clear();
  const UnitTypeDescriptor* type = FindUnitType(kTypeWindow);
  RawValue on;
  on.number = 1;
  reinterpret_cast<SetPropertyOp>(type->query(kOpSetProperty))(main.record.units[0].live, kWindowEnterMovesFocus, on);
  SetFocus(WindowHandle(kMain));
  PostMessageA(WindowHandle(kMain), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_TRUE(g_seen.empty());
  EXPECT_EQ(Go(), GetFocus()) << "Enter moves the focus when the window says so";
}

TEST_F(MessageFilterTest, AltWithALetterFindsTheMnemonic) {
  PostMessageA(Go(), WM_SYSKEYDOWN, 'G', 1 << 29);
  Pump();
  ASSERT_EQ(1u, g_seen.size());
  EXPECT_EQ(0, g_seen[0].handler);
  EXPECT_EQ(kGo, g_seen[0].control);
  g_seen.clear();
  PostMessageA(Go(), WM_SYSKEYDOWN, 'Q', 1 << 29);
  Pump();
  ASSERT_EQ(1u, g_seen.size()) << "no mnemonic: the key goes on as a key event";
  EXPECT_EQ((std::vector<EventWord>{'Q', 0}), g_seen[0].args);
}

TEST_F(MessageFilterTest, ATypeFilterTakesTheMessagesItWants) {
  test_support::TestFilterCalls() = 0;
  HWND filtering = ControlHandle(kMain, kFiltering);
  PostMessageA(filtering, WM_KEYDOWN, VK_F12, 0);
  PostMessageA(filtering, WM_KEYDOWN, 'A', 0);
  Pump();
  EXPECT_EQ(3, test_support::TestFilterCalls()) << "F12, A and the character A was translated into";
  EXPECT_EQ(1, LiveTestControl(kMain, kFiltering)->key_downs) << "F12 was taken by the filter";
}

TEST_F(MessageFilterTest, ALeftPressEndsACaptureHeldElsewhere) {
  SetCapture(ControlHandle(kMain, kSilent));
  ASSERT_EQ(ControlHandle(kMain, kSilent), GetCapture());
  PostMessageA(Go(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  Pump();
  EXPECT_NE(ControlHandle(kMain, kSilent), GetCapture());
  ReleaseCapture();
}

// Failures of event lookup end the program with the real report box.
void StartMain() {
  static test_support::RuntimeFixture* fixture = new test_support::RuntimeFixture(Template(), kHandlers, 3);
  RegisterUnitType(&kButton);
  RegisterUnitType(&kFilteringButton);
  RegisterUnitType(&kInert);
  LoadWindow(kMain, 0, false);
  LoadWindow(kKeep, 0, false);
  (void)fixture;
}

CHILD_SCENARIO(EventOfMissingWindow) {
  StartMain();
  SimpleEvent e{0x52010099, 0, 0, 0, {}, 0, 0};
  RaiseEvent(&e);
}

CHILD_SCENARIO(EventOfMissingControl) {
  StartMain();
  SimpleEvent e{kMain, 0x16010099, -1, 0, {}, 0, 0};
  RaiseEvent(&e);
}

CHILD_SCENARIO(MouseOnAUnitThatCannotRaiseEvents) {
  StartMain();
  PostMessageA(ControlHandle(kKeep, kKeepButton), WM_LBUTTONDOWN, 0, 0);
  Pump();
}

TEST(MessageFilterErrorTest, EventLookupFailuresAreReported) {
  struct Case {
    const char* scenario;
    const char* text;
  };
  const Case cases[] = {
      {"EventOfMissingWindow",
       "运行时出错!\r\n\r\n错误信息：未找到引发事件的窗口\r\n\r\n1375797401, 0\r\n未找到所指定的窗口\r\n"},
      {"EventOfMissingControl",
       "运行时出错!\r\n\r\n错误信息：未找到引发事件的窗口组件\r\n\r\n1375797249, 369164441\r\n\"\"\r\n"
       "未找到所指定的窗口组件\r\n"},
      {"MouseOnAUnitThatCannotRaiseEvents",
       "运行时出错!\r\n\r\n错误信息：引发事件的窗口组件无效\r\n\r\n1375797264, 369164306\r\n\"\"\r\n\"\"\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    test_support::ChildOutcome outcome = test_support::RunChild(c.scenario);
    ASSERT_TRUE(outcome.started);
    ASSERT_FALSE(outcome.timed_out);
    ASSERT_EQ(1u, outcome.dialogs.size());
    EXPECT_EQ("错误", outcome.dialogs[0].caption);
    EXPECT_EQ(c.text, outcome.dialogs[0].text);
    EXPECT_EQ(0xFFFFFFFFu, outcome.exit_code);
  }
}

}  // namespace
}  // namespace rt
