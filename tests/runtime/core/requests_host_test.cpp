// The request table on the host, where no window is ever live.
#include "runtime/core/requests.h"

#include <gtest/gtest.h>

#include <cstring>

#include "resources/window_template.h"
#include "runtime/core/events.h"
#include "runtime/core/heap.h"
#include "runtime/core/registry.h"
#include "runtime/core/unit_types.h"

namespace rt {
namespace {

bool NoValue(const EventWord*, int32_t, int64_t*) { return false; }
const HandlerFn kTenHandlers[10] = {NoValue, NoValue, NoValue, NoValue, NoValue,
                                    NoValue, NoValue, NoValue, NoValue, NoValue};

class RequestsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetHandlerTable(kTenHandlers, 10);
    ReadTemplateIntoRegistry(res::kWindowTemplate, res::kWindowTemplateSize);
    Runtime().program_directory = "E:\\Tools\\vc";
    Runtime().program_file_name = "sonoteca.exe";
    Runtime().program_words[0] = 3;
  }
  void TearDown() override {
    Runtime().windows.clear();
    Runtime().unit_types.clear();
  }
};

TEST_F(RequestsTest, ConstantsAndProgramFacts) {
  EXPECT_EQ(1, RuntimeRequest(kReqAlwaysOne, 0, 0));
  EXPECT_EQ(0x00070005, RuntimeRequest(kReqInterfaceVersion, 0, 0));
  EXPECT_EQ(0, RuntimeRequest(kReqNothing, 5, 6));
  EXPECT_EQ(0, RuntimeRequest(9999, 5, 6)) << "unknown codes answer 0";
  EXPECT_EQ(3, RuntimeRequest(kReqProgramWord, 0, 0));
  EXPECT_EQ(2, RuntimeRequest(kReqWindowCount, 0, 0));
  EXPECT_STREQ("E:\\Tools\\vc", reinterpret_cast<const char*>(RuntimeRequest(kReqProgramDirectory, 0, 0)));
  EXPECT_STREQ("sonoteca.exe", reinterpret_cast<const char*>(RuntimeRequest(kReqProgramFileName, 0, 0)));
  char buffer[260];
  RuntimeRequest(kReqCopyPath, 1, reinterpret_cast<intptr_t>(buffer));
  EXPECT_STREQ("E:\\Tools\\vc\\", buffer);
  RuntimeRequest(kReqCopyPath, 2001, reinterpret_cast<intptr_t>(buffer));
  EXPECT_STREQ("E:\\Tools\\vc\\", buffer);
  RuntimeRequest(kReqCopyPath, 2002, reinterpret_cast<intptr_t>(buffer));
  EXPECT_STREQ("sonoteca.exe", buffer);
  RuntimeRequest(kReqCopyPath, 7, reinterpret_cast<intptr_t>(buffer));
  EXPECT_STREQ("", buffer);
  EXPECT_EQ(reinterpret_cast<intptr_t>(&Runtime().windows), RuntimeRequest(kReqRegistry, 0, 0));
}

TEST_F(RequestsTest, UnitTypesAndUnitsOfTheRegistry) {
  static const UnitTypeDescriptor list = {kTypeListBox, 0x0040, nullptr, 0, nullptr};
  static const UnitTypeDescriptor both = {kTypeButton, 0x0044, nullptr, 0, nullptr};
  RegisterUnitType(&list);
  RegisterUnitType(&both);
  EXPECT_EQ(reinterpret_cast<intptr_t>(&list), RuntimeRequest(kReqUnitType, kTypeListBox, 0));
  EXPECT_EQ(0, RuntimeRequest(kReqUnitType, kTypeEditBox, 0));
  EXPECT_EQ(1, RuntimeRequest(kReqUnitTypeClass, kTypeListBox, 0));
  EXPECT_EQ(2, RuntimeRequest(kReqUnitTypeClass, kTypeButton, 0));
  EXPECT_EQ(0, RuntimeRequest(kReqUnitTypeClass, kTypeEditBox, 0));
  EXPECT_EQ(static_cast<intptr_t>(kTypeListBox), RuntimeRequest(kReqUnitTypeOf, 0x5201002A, 0x1601002C));
  EXPECT_EQ(static_cast<intptr_t>(kTypeWindow), RuntimeRequest(kReqUnitTypeOf, 0x5201002A, 0));
  EXPECT_EQ(0, RuntimeRequest(kReqUnitTypeOf, 0x5201002A, 0x16010099));
  EXPECT_EQ(0, RuntimeRequest(kReqUnitTypeOf, 0x52010099, 0));
  // Nothing is loaded: no live control, no window handle, and a load fails.
  EXPECT_EQ(0, RuntimeRequest(kReqLiveControl, 0x52010001, 0x1601001C));
  EXPECT_EQ(0, RuntimeRequest(kReqWindowHandle, 0, 0));
  EXPECT_EQ(0, RuntimeRequest(kReqWindowHandle, 2, 0));
  WindowLoadRecord missing = {0x52010099, 0, 0};
  EXPECT_EQ(-1, RuntimeRequest(kReqLoadWindow, reinterpret_cast<intptr_t>(&missing), 0));
  EXPECT_EQ(-1, RuntimeRequest(kReqLoadWindow, 0, 0));
  RuntimeRequest(kReqMarkMenu, 0x52010001, 0);
  EXPECT_TRUE(Runtime().windows[0].record.units[0].flags & kFlagMenuRebuilt);
}

TEST_F(RequestsTest, WrappedWindowsAttachAndDetach) {
  auto* control = reinterpret_cast<ControlObject*>(RuntimeRequest(kReqWrapWindow, 0x1234, 0));
  EXPECT_EQ(0x1234, RuntimeRequest(kReqWindowOfControl, reinterpret_cast<intptr_t>(control), 0));
  EXPECT_EQ(0, RuntimeRequest(kReqAttachWindow, reinterpret_cast<intptr_t>(control), 0x99))
      << "already attached";
  RuntimeRequest(kReqDetachWindow, reinterpret_cast<intptr_t>(control), 0);
  EXPECT_EQ(0, RuntimeRequest(kReqWindowOfControl, reinterpret_cast<intptr_t>(control), 0));
  EXPECT_EQ(1, RuntimeRequest(kReqAttachWindow, reinterpret_cast<intptr_t>(control), 0x99));
  EXPECT_EQ(0x99, RuntimeRequest(kReqWindowOfControl, reinterpret_cast<intptr_t>(control), 0));
  RuntimeRequest(kReqDestroyWrapped, reinterpret_cast<intptr_t>(control), 0);
}

TEST_F(RequestsTest, ObjectImageAndIdleLists) {
  int a = 0, b = 0;
  const intptr_t pa = reinterpret_cast<intptr_t>(&a), pb = reinterpret_cast<intptr_t>(&b);
  EXPECT_EQ(-1, RuntimeRequest(kReqObjectFlag, pa, 0));
  RuntimeRequest(kReqAddObject, pa, 7);
  RuntimeRequest(kReqAddObject, pa, 9);  // ignored when present
  EXPECT_EQ(7, RuntimeRequest(kReqObjectFlag, pa, 0));
  EXPECT_EQ(0, RuntimeRequest(kReqRemoveObject, pb, 0));
  EXPECT_EQ(1, RuntimeRequest(kReqRemoveObject, pa, 0));
  RuntimeRequest(kReqAddObject, pb, 1);
  RuntimeRequest(kReqDeleteObjects, 0, 0);
  EXPECT_EQ(-1, RuntimeRequest(kReqObjectFlag, pb, 0));

  RuntimeRequest(kReqAddImage, pa, 0);
  RuntimeRequest(kReqAddImage, pa, 0);
  EXPECT_EQ(1, RuntimeRequest(kReqHasImage, pa, 0));
  RuntimeRequest(kReqRemoveImage, pa, 0);
  EXPECT_EQ(0, RuntimeRequest(kReqHasImage, pa, 0));
  EXPECT_TRUE(Runtime().image_records.empty());

  IdleRoutineRecord first = {0x10, nullptr, 1}, second = {0x20, nullptr, 2};
  RuntimeRequest(kReqAddIdleRoutine, reinterpret_cast<intptr_t>(&first), 0);
  RuntimeRequest(kReqAddIdleRoutine, reinterpret_cast<intptr_t>(&second), 0);
  RuntimeRequest(kReqRemoveIdleRoutine, 0x10, 0);
  ASSERT_EQ(1u, Runtime().idle_routines.size());
  EXPECT_EQ(0x20u, Runtime().idle_routines[0].window);
}

TEST_F(RequestsTest, NumbersMemoryAndEvents) {
  double d = 0;
  ArgValue s = ArgValue::Short(-3);
  EXPECT_EQ(1, RuntimeRequest(kReqNumberAsDouble, reinterpret_cast<intptr_t>(&s), reinterpret_cast<intptr_t>(&d)));
  EXPECT_EQ(-3.0, d);
  ArgValue f = ArgValue::Float(0.5f);
  RuntimeRequest(kReqNumberAsDouble, reinterpret_cast<intptr_t>(&f), reinterpret_cast<intptr_t>(&d));
  EXPECT_EQ(0.5, d);

  void* p = reinterpret_cast<void*>(RuntimeRequest(kReqAllocate, 16, 0));
  ASSERT_NE(nullptr, p);
  p = reinterpret_cast<void*>(RuntimeRequest(kReqReallocate, reinterpret_cast<intptr_t>(p), 64));
  RuntimeRequest(kReqFree, reinterpret_cast<intptr_t>(p), 0);
  EXPECT_EQ(0, RuntimeRequest(kReqAllocate, -1, 1)) << "the second path may answer null";

  void* texts = NewPointerArray(1);
  static_cast<void**>(ArrayElements(texts))[0] = NewText("x");
  RuntimeRequest(kReqFreeArray, kTagText, reinterpret_cast<intptr_t>(texts));

  UnitIds ids = {1, 2};
  EXPECT_EQ(0, RuntimeRequest(kReqEventSource, reinterpret_cast<intptr_t>(&ids), 0));
  EXPECT_EQ(1u, ids.window) << "left alone when no event is handled";

  RuntimeRequest(kReqSuspendEvents, 0, 0);
  RuntimeRequest(kReqSuspendEvents, 0, 0);
  EXPECT_EQ(2, Runtime().suspension);
  RuntimeRequest(kReqResumeEvents, 0, 0);
  RuntimeRequest(kReqResumeEvents, 0, 0);
  RuntimeRequest(kReqResumeEvents, 0, 0);
  EXPECT_EQ(0, Runtime().suspension) << "never below 0";
}

TEST(RequestsDeathTest, FailuresAreRuntimeErrors) {
  ArgValue text = ArgValue::Text("1");
  double d;
  EXPECT_EXIT(RuntimeRequest(kReqNumberAsDouble, reinterpret_cast<intptr_t>(&text), reinterpret_cast<intptr_t>(&d)),
              ::testing::ExitedWithCode(255), "欲转换数据类型不是数值");
  EXPECT_EXIT(RuntimeRequest(kReqLiveControlOrFail, 0x52010001, 0x1601001C), ::testing::ExitedWithCode(255),
              "指定窗口或窗口组件不存在或尚未载入\r\n\r\n1375797249, 369164316\r\n");
  EXPECT_EXIT(RuntimeRequest(kReqReportError, reinterpret_cast<intptr_t>("库的错误"), 0),
              ::testing::ExitedWithCode(255), "^运行时出错!\r\n\r\n错误信息：库的错误\r\n\r\n0, 0\r\n$");
  EXPECT_EXIT(RuntimeRequest(kReqExitProgram, 5, 0), ::testing::ExitedWithCode(5), "");
}

TEST(TemplateLoadDeathTest, AMalformedTemplateEndsTheProgram) {
  const uint8_t truncated[] = {8, 0, 0, 0, 1, 0, 1, 0x52};
  EXPECT_EXIT(ReadTemplateIntoRegistry(truncated, sizeof truncated), ::testing::ExitedWithCode(255),
              "载入窗口模板数据段出错!");
  // Handler offsets beyond the table are as malformed as a short stream.
  EXPECT_EXIT(
      {
        SetHandlerTable(kTenHandlers, 2);
        ReadTemplateIntoRegistry(res::kWindowTemplate, res::kWindowTemplateSize);
      },
      ::testing::ExitedWithCode(255), "载入窗口模板数据段出错!");
}

}  // namespace
}  // namespace rt
