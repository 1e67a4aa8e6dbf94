#include "runtime/core/runtime_error.h"

#include <gtest/gtest.h>

#include "runtime/core/runtime_state.h"

namespace rt {
namespace {

TEST(RuntimeErrorTest, BoxTextOfTheTableEntryFourExample) {
  const std::string detail = ComposeErrorDetail(0x04010046, 158);
  EXPECT_EQ("\r\n67174470, 158\r\n", detail);
  EXPECT_EQ(
      "运行时出错!\r\n"
      "\r\n错误代码：4\r\n"
      "\r\n错误信息：数组成员引用下标必须大于等于1\r\n"
      "\r\n67174470, 158\r\n",
      ComposeErrorBoxText(4, RuntimeErrorMessage(4), detail));
}

TEST(RuntimeErrorTest, CodeZeroAndNoMessageLeaveTheirPartsOut) {
  EXPECT_EQ(nullptr, RuntimeErrorMessage(0));
  EXPECT_EQ(nullptr, RuntimeErrorMessage(12));
  EXPECT_STREQ("调用DLL命令后发现堆栈错误", RuntimeErrorMessage(6));
  EXPECT_EQ("运行时出错!\r\n\r\n0, 0\r\n", ComposeErrorBoxText(0, nullptr, ComposeErrorDetail(0, 0)));
  EXPECT_EQ("运行时出错!\r\n\r\n-1, -2\r\n", ComposeErrorBoxText(0, "", ComposeErrorDetail(-1, -2)));
}

class RegistryFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Window w;
    w.record.id = 0x52010001;
    UnitRecord own;
    own.id = 0x06010000;
    own.tag = "main";
    UnitRecord button;
    button.id = 0x1601001D;
    button.tag = "browse";
    UnitRecord menu;
    menu.id = 0x26010005;
    w.record.units = {own, button, menu};
    Runtime().windows.push_back(w);
  }
  void TearDown() override { Runtime().windows.clear(); }
};

TEST_F(RegistryFixture, DetailNamesTheWindowAndItsControlByTagText) {
  EXPECT_EQ("\r\n1375797249, 369164317\r\n\"main\"\r\n\"browse\"\r\n",
            ComposeErrorDetail(0x52010001, 0x1601001D));
  // Control 0: the window's own unit.
  EXPECT_EQ("\r\n1375797249, 0\r\n\"main\"\r\n\"main\"\r\n", ComposeErrorDetail(0x52010001, 0));
  // A menu item or a missing control is not named.
  EXPECT_EQ("\r\n1375797249, 637599749\r\n\"main\"\r\n未找到所指定的窗口组件\r\n",
            ComposeErrorDetail(0x52010001, 0x26010005));
  EXPECT_EQ("\r\n1375797249, 5\r\n\"main\"\r\n未找到所指定的窗口组件\r\n",
            ComposeErrorDetail(0x52010001, 5));
  // A window id that is not in the registry, and a first word of another kind.
  EXPECT_EQ("\r\n1375797250, 0\r\n未找到所指定的窗口\r\n", ComposeErrorDetail(0x52010002, 0));
  EXPECT_EQ("\r\n67174470, 0\r\n", ComposeErrorDetail(0x04010046, 0));
}

}  // namespace
}  // namespace rt
