#include <gtest/gtest.h>

#include "runtime/core/events.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/unit_types.h"

namespace rt {
namespace {

void AddWindow(uint32_t type_flags) {
  static UnitTypeDescriptor type = {kTypeButton, 0, nullptr, 0, nullptr};
  type.flags = type_flags;
  RegisterUnitType(&type);
  Window w;
  w.record.id = 0x52010001;
  UnitRecord own;
  own.id = 0x06010000;
  UnitRecord button;
  button.id = 0x1601001D;
  button.type_id = kTypeButton;
  w.record.units = {own, button};
  Runtime().windows.push_back(w);
}

TEST(EventsDeathTest, LookupFailuresAreRuntimeErrors) {
  SimpleEvent e{0x52010009, 0, 0, 0, {}, 0, 0};
  EXPECT_EXIT(RaiseEvent(&e), ::testing::ExitedWithCode(255),
              "未找到引发事件的窗口\r\n.*1375797257, 0\r\n");
  SimpleEvent missing{0x52010001, 0x16010099, 0, 0, {}, 0, 0};
  EXPECT_EXIT({ AddWindow(0x44); RaiseEvent(&missing); }, ::testing::ExitedWithCode(255),
              "未找到引发事件的窗口组件");
  SimpleEvent invalid{0x52010001, 0x1601001D, 0, 0, {}, 0, 0};
  EXPECT_EXIT({ AddWindow(0x8000); RaiseEvent(&invalid); }, ::testing::ExitedWithCode(255),
              "引发事件的窗口组件无效");
}

}  // namespace
}  // namespace rt
