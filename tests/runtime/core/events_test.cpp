#include "runtime/core/events.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/core/runtime_state.h"
#include "runtime/core/unit_types.h"

namespace rt {
namespace {

constexpr uint32_t kWin = 0x52010001;
constexpr uint32_t kOwn = 0x06010000;
constexpr uint32_t kList = 0x1601002C;
constexpr uint32_t kSharing = 0x1601002D;
constexpr uint32_t kSilent = 0x1601002E;
constexpr uint32_t kMenu = 0x26010030;

std::vector<EventWord> g_args;
uint32_t g_source_window, g_source_control;
int32_t g_nested_result;

bool Record(const EventWord* args, int32_t count, int64_t*) {
  g_args.assign(args, args + count);
  CurrentEventSource(&g_source_window, &g_source_control);
  return false;  // returns nothing
}

bool ReturnFalse(const EventWord*, int32_t, int64_t* value) {
  *value = 0;
  return true;
}

bool ReturnWide(const EventWord*, int32_t, int64_t* value) {
  *value = 0x123456789LL;
  return true;
}

bool Nested(const EventWord*, int32_t, int64_t*) {
  SimpleEvent inner{kWin, kList, -1, 0, {}, 0, 0};
  g_nested_result = RaiseEvent(&inner);
  // The inner handler's return cleared the source for good.
  uint32_t w = 0, c = 0;
  EXPECT_EQ(0, CurrentEventSource(&w, &c));
  return false;
}

const HandlerFn kHandlers[] = {Record, ReturnFalse, ReturnWide, Nested};

const UnitTypeDescriptor kEventType = {kTypeListBox, 0x40, nullptr, 0, nullptr};
const UnitTypeDescriptor kWindowType = {kTypeWindow, 0x04, nullptr, 0, nullptr};
const UnitTypeDescriptor kMenuType = {kTypeMenuItem, 0x44, nullptr, 0, nullptr};

EventBinding Bind(int32_t event, int32_t handler) {
  EventBinding b;
  b.event = event;
  b.offset = handler * 4;
  b.handler = handler;
  return b;
}

class EventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterUnitType(&kEventType);
    RegisterUnitType(&kWindowType);
    RegisterUnitType(&kMenuType);
    SetHandlerTable(kHandlers, 4);
    Window w;
    w.record.id = kWin;
    UnitRecord own;
    own.id = kOwn;
    own.type_id = kTypeWindow;
    own.events = {Bind(1, 1), Bind(0, 3)};
    UnitRecord list;
    list.id = kList;
    list.type_id = kTypeListBox;
    list.events = {Bind(-1, 0), Bind(0, 2), Bind(5, -1)};
    UnitRecord sharing;
    sharing.id = kSharing;
    sharing.type_id = kTypeListBox;
    sharing.shared_handler_unit = kList;
    UnitRecord silent;
    silent.id = kSilent;
    silent.type_id = kTypeListBox;
    UnitRecord menu;
    menu.id = kMenu;
    menu.type_id = kTypeMenuItem;
    menu.menu_event = Bind(0, 0);
    w.record.units = {own, list, sharing, silent, menu};
    Runtime().windows.push_back(w);
    g_args.clear();
    g_source_window = g_source_control = 0;
  }
  void TearDown() override {
    Runtime().windows.clear();
    Runtime().unit_types.clear();
  }
};

TEST_F(EventsTest, SimpleEventPassesItsArgumentsAndNothingReturnedKeepsHasValueClear) {
  SimpleEvent e{kWin, kList, -1, 3, {10, 20, 4, 99, 99}, 0, 0};
  EXPECT_EQ(1, RaiseEvent(&e));
  EXPECT_EQ((std::vector<EventWord>{10, 20, 4}), g_args);
  EXPECT_EQ(0, e.has_value);
  EXPECT_EQ(kWin, g_source_window);
  EXPECT_EQ(kList, g_source_control);
  uint32_t w = 1, c = 1;
  EXPECT_EQ(0, CurrentEventSource(&w, &c)) << "cleared when the handler returns";
}

TEST_F(EventsTest, ReturnedValuesAreReported) {
  SimpleEvent close{kWin, 0, 1, 0, {}, 0, 7};
  EXPECT_EQ(1, RaiseEvent(&close));
  EXPECT_EQ(1, close.has_value);
  EXPECT_EQ(0, close.value);
  TypedEvent typed{};
  typed.window = kWin;
  typed.control = kList;
  typed.event = 0;
  EXPECT_EQ(1, RaiseTypedEvent(&typed));
  EXPECT_EQ(1, typed.has_value);
  const int64_t value = typed.value;  // the record packs it at offset 212
  EXPECT_EQ(0x123456789LL, value);
}

TEST_F(EventsTest, MissingBindingsSuspensionAndSharedHandlers) {
  SimpleEvent none{kWin, kList, 7, 0, {}, 0, 0};
  EXPECT_EQ(0, RaiseEvent(&none)) << "no entry for the event";
  SimpleEvent unbound{kWin, kList, 5, 0, {}, 0, 0};
  EXPECT_EQ(0, RaiseEvent(&unbound)) << "an entry without a handler";
  SimpleEvent silent{kWin, kSilent, -1, 0, {}, 0, 0};
  EXPECT_EQ(0, RaiseEvent(&silent));

  SimpleEvent shared{kWin, kSharing, -1, 1, {3}, 0, 0};
  EXPECT_EQ(1, RaiseEvent(&shared));
  EXPECT_EQ(kSharing, g_source_control) << "the source is the raising unit";

  SimpleEvent menu{kWin, kMenu, 0, 0, {}, 0, 0};
  EXPECT_EQ(1, RaiseEvent(&menu));

  ++Runtime().suspension;
  SimpleEvent dropped{kWin, kList, -1, 0, {}, 0, 0};
  EXPECT_EQ(0, RaiseEvent(&dropped));
  EXPECT_TRUE(g_args.empty() || g_args.size() == 1);
  --Runtime().suspension;
}

TEST_F(EventsTest, ControlZeroIsReportedAsTheOwnUnitAndNestingClearsTheSource) {
  SimpleEvent created{kWin, 0, 0, 0, {}, 0, 0};
  EXPECT_EQ(1, RaiseEvent(&created));
  EXPECT_EQ(1, g_nested_result);
  EXPECT_EQ(kList, g_source_control) << "the inner handler saw its own source";
}

TEST_F(EventsTest, TypedArgumentsBecomeWordsByTagAndFlags) {
  TypedEvent e{};
  e.window = kWin;
  e.control = kList;
  e.event = -1;
  e.count = 6;
  e.args[0].value = ArgValue::Byte(0xF0);
  e.args[1].value = ArgValue::Short(-2);
  e.args[2].value = ArgValue::Int64(0x0000000500000007LL);
  e.args[3].value = ArgValue::Double(1.0);
  char text[] = "x";
  char* variable = text;
  e.args[4].value = ArgValue::Address(&variable, kTagText);
  e.args[4].flags = 1;
  e.args[5].value = ArgValue::Int(9);
  e.args[5].flags = 2;
  EXPECT_EQ(1, RaiseTypedEvent(&e));
  ASSERT_EQ(9u, g_args.size());
  EXPECT_EQ(0xF0u, g_args[0]);
  EXPECT_EQ(static_cast<EventWord>(static_cast<intptr_t>(-2)), g_args[1]);
  EXPECT_EQ(7u, g_args[2]);
  EXPECT_EQ(5u, g_args[3]);
  EXPECT_EQ(0u, g_args[4]);
  EXPECT_EQ(0x3FF00000u, g_args[5]);
  EXPECT_EQ(reinterpret_cast<EventWord>(&variable), g_args[6]);
  EXPECT_EQ(9u, g_args[7]);
  EXPECT_EQ(0u, g_args[8]);
}

}  // namespace
}  // namespace rt
