// Property access failures end the program through the real error box.
#include <windows.h>

#include <gtest/gtest.h>

#include "resources/window_template.h"
#include "runtime/core/events.h"
#include "runtime/core/property_access.h"
#include "runtime/core/registry.h"
#include "runtime/core/requests.h"
#include "tests/support/child_process.h"

namespace rt {
namespace {

bool NoValue(const EventWord*, int32_t, int64_t*) { return false; }
const HandlerFn kTenHandlers[10] = {NoValue, NoValue, NoValue, NoValue, NoValue,
                                    NoValue, NoValue, NoValue, NoValue, NoValue};

constexpr uint32_t kMain = 0x52010001;
constexpr uint32_t kPathBox = 0x1601001C;

void LoadRegistry() {
  SetHandlerTable(kTenHandlers, 10);
  ReadTemplateIntoRegistry(res::kWindowTemplate, res::kWindowTemplateSize);
}

CHILD_SCENARIO(ReadTypePropertyUnloaded) {
  LoadRegistry();
  ReadProperty(kMain, kPathBox, 8, -1);
}
CHILD_SCENARIO(WriteTypePropertyUnloaded) {
  LoadRegistry();
  WriteProperty(kMain, kPathBox, 8, -1, 0, 0);
}
CHILD_SCENARIO(UnknownControl) {
  LoadRegistry();
  WriteProperty(kMain, 0x16010099, kPropVisible, -1, 1, 0);
}
CHILD_SCENARIO(LiveControlOfUnloadedWindow) {
  LoadRegistry();
  RuntimeRequest(kReqLiveControlOrFail, kMain, kPathBox);
}
CHILD_SCENARIO(MalformedTemplate) {
  SetHandlerTable(kTenHandlers, 10);
  ReadTemplateIntoRegistry(res::kWindowTemplate, res::kWindowTemplateSize - 1);
}

// The box of a report with code 0, the message and the location lines.
std::string Box(const char* message, const char* location) {
  return std::string("运行时出错!\r\n\r\n错误信息：") + message + "\r\n" + location;
}

void ExpectReport(const char* scenario, const std::string& text) {
  test_support::ChildOutcome outcome = test_support::RunChild(scenario);
  ASSERT_TRUE(outcome.started);
  ASSERT_EQ(1u, outcome.dialogs.size()) << scenario;
  EXPECT_EQ("错误", outcome.dialogs[0].caption);
  EXPECT_EQ(text, outcome.dialogs[0].text) << scenario;
  EXPECT_EQ(0xFFFFFFFFu, outcome.exit_code) << scenario;
}

// The main window and its units carry empty tag texts, hence the "" lines.
TEST(PropertyErrorsWin32Test, EachFailureNamesTheWindowAndTheControl) {
  ExpectReport("ReadTypePropertyUnloaded",
               Box("读取组件属性时发现指定窗口尚未载入", "\r\n1375797249, 369164316\r\n\"\"\r\n\"\"\r\n"));
  ExpectReport("WriteTypePropertyUnloaded",
               Box("修改组件属性时发现指定窗口尚未载入", "\r\n1375797249, 369164316\r\n\"\"\r\n\"\"\r\n"));
  ExpectReport("UnknownControl",
               Box("未找到所指定的窗口组件", "\r\n1375797249, 369164441\r\n\"\"\r\n未找到所指定的窗口组件\r\n"));
  ExpectReport("LiveControlOfUnloadedWindow",
               Box("指定窗口或窗口组件不存在或尚未载入", "\r\n1375797249, 369164316\r\n\"\"\r\n\"\"\r\n"));
  ExpectReport("MalformedTemplate", Box("载入窗口模板数据段出错!", "\r\n0, 0\r\n"));
}

}  // namespace
}  // namespace rt
