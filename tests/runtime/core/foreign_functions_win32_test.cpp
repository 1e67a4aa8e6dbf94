#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "runtime/core/entry_operations.h"
#include "runtime/core/foreign_functions.h"
#include "runtime/core/runtime_state.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace rt {
namespace {

constexpr char kProbe[] = "sonoteca_probe.dll";

std::string TestProgramDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text = path;
  return text.substr(0, text.rfind('\\'));
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string ModulePath(uintptr_t module) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(reinterpret_cast<HMODULE>(module), path, MAX_PATH);
  return Lower(path);
}

void SetTable(const char* library, const char* function) {
  const char* libraries[] = {library};
  const char* functions[] = {function};
  InitialiseForeignFunctions(libraries, functions, 1);
}

class ForeignFunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RuntimeState& state = Runtime();
    state.program_directory = dir_.MakeDir("program");
    state.module_directory = dir_.MakeDir("module") + "\\";
    state.foreign_search_directory.clear();
  }
  void TearDown() override {
    UnloadForeignFunctions();
    Runtime().foreign_search_directory.clear();
  }
  // Puts a copy of the probe library at `relative` below the temp folder.
  std::string PlaceProbe(const std::string& relative) {
    dir_.MakeDir(relative.substr(0, relative.rfind('\\')));
    const std::string target = dir_.path() + "\\" + relative;
    CopyFileA((TestProgramDirectory() + "\\" + kProbe).c_str(), target.c_str(), FALSE);
    return Lower(target);
  }
  uintptr_t BoundModule(int32_t index) { return Runtime().foreign_functions[index].module.load(); }

  test_support::ScopedTempDir dir_;
};

TEST_F(ForeignFunctionsTest, SearchOrderFindsTheProgramDirectoryBeforeTheOthers) {
  const std::string in_program = PlaceProbe("program\\sonoteca_probe.dll");
  PlaceProbe("module\\sonoteca_probe.dll");
  SetTable(kProbe, "ProbeAdd");
  EXPECT_EQ(5, (CallForeign<int>(0, 0x04000001, 1, 2, 3)));
  EXPECT_EQ(in_program, ModulePath(BoundModule(0)));
}

TEST_F(ForeignFunctionsTest, SearchOrderFallsBackToTheModuleDirectory) {
  const std::string in_module = PlaceProbe("module\\sonoteca_probe.dll");
  SetTable(kProbe, "ProbeAdd");
  EXPECT_EQ(-1, (CallForeign<int>(0, 0, 0, 2, -3)));
  EXPECT_EQ(in_module, ModulePath(BoundModule(0)));
}

TEST_F(ForeignFunctionsTest, SearchOrderTriesTheSearchDirectoryFirst) {
  const std::string searched = PlaceProbe("search\\sonoteca_probe.dll");
  PlaceProbe("program\\sonoteca_probe.dll");
  Runtime().foreign_search_directory = dir_.path() + "\\search\\";
  SetTable(kProbe, "ProbeAdd");
  EXPECT_EQ(9, (CallForeign<int>(0, 0, 0, 4, 5)));
  EXPECT_EQ(searched, ModulePath(BoundModule(0)));
}

TEST_F(ForeignFunctionsTest, SearchOrderEndsWithThePlatformSearchOfTheBareName) {
  // Neither directory has the library; the platform finds the copy beside
  // this test program.
  SetTable(kProbe, "ProbeAdd");
  EXPECT_EQ(3, (CallForeign<int>(0, 0, 0, 1, 2)));
  EXPECT_EQ(Lower(TestProgramDirectory() + "\\" + kProbe), ModulePath(BoundModule(0)));
}

TEST_F(ForeignFunctionsTest, ANameWithAColonIsLoadedFromThatPathOnly) {
  PlaceProbe("program\\sonoteca_probe.dll");
  const std::string elsewhere = PlaceProbe("module\\sonoteca_probe.dll");
  const std::string path = dir_.path() + "\\module\\sonoteca_probe.dll";
  SetTable(path.c_str(), "ProbeAdd");
  EXPECT_EQ(7, (CallForeign<int>(0, 0, 0, 3, 4)));
  EXPECT_EQ(elsewhere, ModulePath(BoundModule(0)));
}

TEST_F(ForeignFunctionsTest, OrdinalsUseTheLowSixteenBits) {
  const char* libraries[] = {kProbe, kProbe};
  const char* functions[] = {"#5", "#65541"};  // 65541 = 0x10005
  InitialiseForeignFunctions(libraries, functions, 2);
  EXPECT_EQ(5005, CallForeign<int>(0, 0, 0));
  EXPECT_EQ(5005, CallForeign<int>(1, 0, 0));
  EXPECT_EQ(Runtime().foreign_functions[0].address.load(),
            Runtime().foreign_functions[1].address.load());
}

TEST_F(ForeignFunctionsTest, AnEmptyLibraryNameSearchesTheDefaultLibrariesInOrder) {
  const char* libraries[] = {"", "", nullptr, ""};
  const char* functions[] = {"GetCurrentProcessId", "IsWindow", "GetUserNameA", "GetStockObject"};
  InitialiseForeignFunctions(libraries, functions, 4);
  EXPECT_EQ(GetCurrentProcessId(), CallForeign<DWORD>(0, 0, 0));
  EXPECT_EQ(FALSE, CallForeign<BOOL>(1, 0, 0, static_cast<HWND>(nullptr)));
  const struct {
    int32_t index;
    const char* module;
    const char* function;
  } expected[] = {{0, "kernel32.dll", "GetCurrentProcessId"},
                  {1, "user32.dll", "IsWindow"},
                  {2, "advapi32.dll", "GetUserNameA"},
                  {3, "gdi32.dll", "GetStockObject"}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.function);
    HMODULE module = GetModuleHandleA(e.module);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(GetProcAddress(module, e.function)),
              Entry().call_foreign_function(e.index));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(module), BoundModule(e.index));
  }
}

TEST_F(ForeignFunctionsTest, ASecondCallDoesNotTouchTheLoader) {
  ASSERT_EQ(nullptr, GetModuleHandleA(kProbe));
  SetTable(kProbe, "ProbeAdd");
  EXPECT_EQ(2, (CallForeign<int>(0, 0, 0, 1, 1)));
  const uintptr_t address = Runtime().foreign_functions[0].address.load();
  EXPECT_EQ(4, (CallForeign<int>(0, 0, 0, 2, 2)));
  EXPECT_EQ(address, Entry().call_foreign_function(0));
  // Loaded once: the one release of the shutdown takes it out of the process.
  UnloadForeignFunctions();
  EXPECT_EQ(nullptr, GetModuleHandleA(kProbe));
  EXPECT_EQ(0, Runtime().foreign_function_count);
  EXPECT_EQ(nullptr, Runtime().foreign_functions.get());
}

TEST_F(ForeignFunctionsTest, EntriesSharingALibraryEachHoldTheirOwnLoad) {
  const char* libraries[] = {kProbe, kProbe};
  const char* functions[] = {"ProbeAdd", "#5"};
  InitialiseForeignFunctions(libraries, functions, 2);
  CallForeign<int>(0, 0, 0, 1, 1);
  CallForeign<int>(1, 0, 0);
  ASSERT_EQ(BoundModule(0), BoundModule(1));
  // Released by entry 0 alone, the library stays for entry 1.
  FreeLibrary(reinterpret_cast<HMODULE>(Runtime().foreign_functions[0].module.exchange(0)));
  EXPECT_NE(nullptr, GetModuleHandleA(kProbe));
  EXPECT_EQ(5005, CallForeign<int>(1, 0, 0));
  UnloadForeignFunctions();
  EXPECT_EQ(nullptr, GetModuleHandleA(kProbe));
}

TEST_F(ForeignFunctionsTest, EntrySlotOneAnswersTheBoundAddress) {
  SetTable(kProbe, "ProbeAdd");
  const uintptr_t address = Entry().call_foreign_function(0);
  HMODULE probe = GetModuleHandleA(kProbe);
  ASSERT_NE(nullptr, probe);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(GetProcAddress(probe, "ProbeAdd")), address);
}

TEST_F(ForeignFunctionsTest, ACorrectDeclarationPassesTheStackCheck) {
  SetTable(kProbe, "ProbeAdd");
  for (int i = 0; i < 100; ++i) EXPECT_EQ(2 * i, (CallForeign<int>(0, 0x04010046, i, i, i)));
}

TEST(ForeignFunctionMessagesTest, TextsAsTheReportShowsThem) {
  EXPECT_EQ("无法找到指定DLL库文件“user32.dll”中的输出命令“#5”",
            ForeignFunctionNotFoundMessage("user32.dll", "#5"));
  EXPECT_EQ("无法找到指定DLL库文件中的输出命令“Nothing”",
            ForeignFunctionNotFoundMessage("", "Nothing"));
}

// Failed bindings, each in a process of its own: the report ends it.
CHILD_SCENARIO(BindMissingFunction) {
  SetTable(kProbe, "NoSuchFunction");
  CallForeign<int>(0, 0x04010046, 3);
}
CHILD_SCENARIO(BindMissingLibrary) {
  SetTable("no_such_library.dll", "OpenProcess");
  Entry().call_foreign_function(0);
}
CHILD_SCENARIO(BindMissingOrdinal) {
  SetTable(kProbe, "#77");
  Entry().call_foreign_function(0);
}
CHILD_SCENARIO(BindMissingEverywhere) {
  SetTable("", "NoSuchFunctionAnywhere");
  Entry().call_foreign_function(0);
}
CHILD_SCENARIO(BindOutsideTheTable) {
  SetTable(kProbe, "ProbeAdd");
  Entry().call_foreign_function(1);
}

std::string Report(const std::string& message) {
  return "运行时出错!\r\n\r\n错误信息：" + message + "\r\n\r\n0, 0\r\n";
}

TEST(ForeignFunctionErrorsTest, EachFailureEndsTheProgramWithItsMessage) {
  struct Case {
    const char* scenario;
    std::string message;
  } cases[] = {
      {"BindMissingFunction",
       "无法找到指定DLL库文件“sonoteca_probe.dll”中的输出命令“NoSuchFunction”"},
      {"BindMissingLibrary",
       "无法找到指定DLL库文件“no_such_library.dll”中的输出命令“OpenProcess”"},
      {"BindMissingOrdinal", "无法找到指定DLL库文件“sonoteca_probe.dll”中的输出命令“#77”"},
      {"BindMissingEverywhere", "无法找到指定DLL库文件中的输出命令“NoSuchFunctionAnywhere”"},
      {"BindOutsideTheTable", "无法找到指定DLL库文件中的输出命令“”"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    const test_support::ChildOutcome outcome = test_support::RunChild(c.scenario);
    ASSERT_TRUE(outcome.started);
    ASSERT_FALSE(outcome.timed_out);
    ASSERT_EQ(1u, outcome.dialogs.size());
    EXPECT_EQ("错误", outcome.dialogs[0].caption);
    EXPECT_EQ(Report(c.message), outcome.dialogs[0].text);
    EXPECT_EQ(0xFFFFFFFFu, outcome.exit_code);
  }
}

// Declared with one argument, the function takes two: a callee that cleans
// the stack leaves it four bytes off.
CHILD_SCENARIO(MismatchedDeclaration) {
  SetTable(kProbe, "ProbeAdd");
  CallForeign<int>(0, 0x04010046, 158, 7);
  ExitProcess(0);  // not reached when the check works
}

TEST(ForeignFunctionStackCheckTest, AMismatchedDeclarationIsRuntimeErrorSix) {
#if !defined(__i386__)
  GTEST_SKIP() << "only a 32-bit build can show it: on this processor the caller cleans "
                  "the stack, so a wrong declaration leaves the stack pointer as it was";
#else
  const test_support::ChildOutcome outcome = test_support::RunChild("MismatchedDeclaration");
  ASSERT_TRUE(outcome.started);
  ASSERT_EQ(1u, outcome.dialogs.size());
  EXPECT_EQ(
      "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n"
      "\r\n67174470, 158\r\n",
      outcome.dialogs[0].text);
  EXPECT_EQ(0xFFFFFFFFu, outcome.exit_code);
#endif
}

}  // namespace
}  // namespace rt
