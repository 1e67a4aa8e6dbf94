#include <gtest/gtest.h>

#include "runtime/core/property_access.h"
#include "runtime/core/runtime_state.h"

namespace rt {
namespace {

void AddUnloadedWindow() {
  Window w;
  w.record.id = 0x52010001;
  UnitRecord own;
  own.id = 0x06010000;
  UnitRecord box;
  box.id = 0x1601001C;
  box.type_id = kTypeEditBox;
  w.record.units = {own, box};
  Runtime().windows.push_back(w);
}

TEST(PropertyAccessDeathTest, FailuresEndTheProgramWithTheirMessage) {
  EXPECT_EXIT(ReadProperty(0x52010009, 0, kPropLeft, -1), ::testing::ExitedWithCode(255),
              "未载入欲访问窗口组件所在的窗口.*\r\n1375797257, 0\r\n未找到所指定的窗口");
  EXPECT_EXIT({ AddUnloadedWindow(); ReadProperty(0x52010001, 0x1601001C, 8, -1); },
              ::testing::ExitedWithCode(255), "读取组件属性时发现指定窗口尚未载入");
  EXPECT_EXIT({ AddUnloadedWindow(); WriteProperty(0x52010001, 0x1601001C, 8, -1, 0, 0); },
              ::testing::ExitedWithCode(255), "修改组件属性时发现指定窗口尚未载入");
  EXPECT_EXIT({ AddUnloadedWindow(); WriteProperty(0x52010001, 0x16019999, kPropLeft, -1, 0, 0); },
              ::testing::ExitedWithCode(255), "未找到所指定的窗口组件");
}

}  // namespace
}  // namespace rt
