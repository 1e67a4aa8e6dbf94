// sonoteca.exe on screen: the common controls it runs with and its layout on
// screens of 96 and 144 DPI. The program is started and read from outside;
// for the 144-DPI run the system DPI setting is changed for the program's
// start and put back afterwards. Every program of the Wine prefix sees that
// setting, so ctest runs that test alone in a prefix of its own
// (tests/CMakeLists.txt).
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "runtime/core/display_scale.h"
#include "tests/support/program_folder.h"

namespace {

constexpr char kDesktopKey[] = "Control Panel\\Desktop";

// The system DPI of newly started programs while the object lives (Wine reads
// it when a process starts); the earlier setting, or its absence, comes back.
class SystemDpiSetting {
 public:
  explicit SystemDpiSetting(DWORD dpi) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    DWORD size = sizeof old_;
    DWORD type = 0;
    had_value_ = RegQueryValueExA(key_, "LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&old_), &size) ==
                     ERROR_SUCCESS &&
                 type == REG_DWORD;
    set_ = RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) ==
           ERROR_SUCCESS;
  }
  ~SystemDpiSetting() {
    if (key_ == nullptr) return;
    if (had_value_) {
      RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
    } else {
      RegDeleteValueA(key_, "LogPixels");
    }
    RegCloseKey(key_);
  }
  SystemDpiSetting(const SystemDpiSetting&) = delete;
  SystemDpiSetting& operator=(const SystemDpiSetting&) = delete;

  bool ok() const { return set_; }

 private:
  HKEY key_ = nullptr;
  bool had_value_ = false;
  bool set_ = false;
  DWORD old_ = 0;
};

using test_support::ChildAt;
using test_support::TextOf;

RECT R(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// A place and size of the template on a screen of `dpi`: each grows by itself,
// so that controls of one size stay of one size.
RECT Scaled(const RECT& r, int dpi) {
  return R(rt::ScaleToDpi(r.left, dpi), rt::ScaleToDpi(r.top, dpi), rt::ScaleToDpi(r.right - r.left, dpi),
           rt::ScaleToDpi(r.bottom - r.top, dpi));
}

// A window's client size for a template outer size, by the frame that its
// styles have at 96 DPI (the DPI of this test process).
SIZE ClientAt96(HWND hwnd, int width, int height) {
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)));
  return {width - (frame.right - frame.left), height - (frame.bottom - frame.top)};
}

class ProgramOnScreenTest : public ::testing::Test {
 protected:
  void Start() {
    std::string exe = SONOTECA_EXE;
    for (char& c : exe) c = c == '/' ? '\\' : c;
    ASSERT_TRUE(program_.Start(exe));
    main_ = program_.main();
    list_window_ = program_.list_window();
  }

  // Every control where the template puts it, grown with the DPI, and both
  // windows' client areas grown from the template's size at 96 DPI.
  void ExpectLayout(int dpi) {
    const SIZE main96 = ClientAt96(main_, 678, 93);
    RECT client;
    GetClientRect(main_, &client);
    EXPECT_EQ(rt::ScaleToDpi(main96.cx, dpi), client.right);
    EXPECT_EQ(rt::ScaleToDpi(main96.cy, dpi), client.bottom);
    const RECT controls[] = {R(8, 8, 376, 25),   R(400, 8, 60, 25), R(352, 8, 26, 26),
                             R(469, 8, 60, 25),  R(538, 8, 60, 25), R(608, 8, 60, 25),
                             R(7, 39, 48, 25),   R(54, 40, 40, 20), R(96, 39, 430, 25)};
    for (const RECT& r : controls) {
      EXPECT_NE(nullptr, ChildAt(main_, Scaled(r, dpi))) << r.left << "," << r.top << " at " << dpi;
    }
    const SIZE list96 = ClientAt96(list_window_, 160, 320);
    GetClientRect(list_window_, &client);
    EXPECT_EQ(rt::ScaleToDpi(list96.cx, dpi), client.right);
    EXPECT_EQ(rt::ScaleToDpi(list96.cy, dpi), client.bottom);
    EXPECT_NE(nullptr, ChildAt(list_window_, Scaled(R(0, 0, 160, 320), dpi)));
  }

  // "12000" stands whole in the sample-rate box, also with the caret after
  // its last digit (a box too narrow would scroll its first digit away).
  void ExpectRateShownWhole(int dpi) {
    HWND rate = ChildAt(main_, Scaled(R(54, 40, 40, 20), dpi));
    ASSERT_NE(nullptr, rate);
    ASSERT_EQ("12000", TextOf(rate));
    SendMessageA(rate, EM_SETSEL, 0, 0);
    SendMessageA(rate, EM_SCROLLCARET, 0, 0);
    const int first = static_cast<short>(LOWORD(SendMessageA(rate, EM_POSFROMCHAR, 0, 0)));
    const int last = static_cast<short>(LOWORD(SendMessageA(rate, EM_POSFROMCHAR, 4, 0)));
    const int digit = (last - first) / 4;  // the digits of a font are equally wide
    const int right_margin = HIWORD(SendMessageA(rate, EM_GETMARGINS, 0, 0));
    RECT client;
    GetClientRect(rate, &client);
    EXPECT_GE(first, 0);
    EXPECT_GT(digit, 0);
    EXPECT_LE(last + digit, client.right - right_margin) << "the last digit is cut";
    SendMessageA(rate, EM_SETSEL, 5, 5);
    SendMessageA(rate, EM_SCROLLCARET, 0, 0);
    EXPECT_EQ(first, static_cast<short>(LOWORD(SendMessageA(rate, EM_POSFROMCHAR, 0, 0))));
  }

  test_support::TestedProgram program_;
  HWND main_ = nullptr;
  HWND list_window_ = nullptr;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

TEST_F(ProgramOnScreenTest, RunsWithCommonControls6) {
  Start();
  ASSERT_FALSE(HasFatalFailure());
  // The comctl32 of the program's process is the one of the side-by-side
  // assembly that its manifest names, not the system folder's version 5.
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, program_.process_id());
  ASSERT_NE(INVALID_HANDLE_VALUE, snapshot);
  std::vector<std::string> comctl;
  MODULEENTRY32 module = {};
  module.dwSize = sizeof module;
  for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module)) {
    if (Lower(module.szModule) == "comctl32.dll") comctl.push_back(Lower(module.szExePath));
  }
  CloseHandle(snapshot);
  ASSERT_EQ(1u, comctl.size());
  EXPECT_NE(std::string::npos, comctl[0].find("\\winsxs\\")) << comctl[0];
  EXPECT_NE(std::string::npos, comctl[0].find("microsoft.windows.common-controls_6595b64144ccf1df_6.0.")) << comctl[0];
}

TEST_F(ProgramOnScreenTest, At96DpiEverythingIsWhereTheTemplatePutsIt) {
  Start();
  ASSERT_FALSE(HasFatalFailure());
  RECT outer;
  GetWindowRect(main_, &outer);
  EXPECT_EQ(678, outer.right - outer.left);
  EXPECT_EQ(93, outer.bottom - outer.top);
  GetWindowRect(list_window_, &outer);
  EXPECT_EQ(160, outer.right - outer.left);
  EXPECT_EQ(320, outer.bottom - outer.top);
  ExpectLayout(96);
  ExpectRateShownWhole(96);
}

TEST_F(ProgramOnScreenTest, At144DpiTheWindowsGrowByHalf) {
  {
    SystemDpiSetting dpi(144);
    ASSERT_TRUE(dpi.ok());
    Start();
  }  // the program has read the setting; the next run starts at 96 DPI again
  ASSERT_FALSE(HasFatalFailure());
  ExpectLayout(144);
  ExpectRateShownWhole(144);
  // Around the grown client area lies the frame that a window of its styles
  // has at 144 DPI (a higher caption than at 96).
  using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  const auto adjust_for_dpi = reinterpret_cast<AdjustForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
  ASSERT_NE(nullptr, adjust_for_dpi);
  for (HWND window : {main_, list_window_}) {
    RECT outer, expected;
    GetWindowRect(window, &outer);
    GetClientRect(window, &expected);
    ASSERT_TRUE(adjust_for_dpi(&expected, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                               static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)), 144));
    EXPECT_EQ(expected.right - expected.left, outer.right - outer.left);
    EXPECT_EQ(expected.bottom - expected.top, outer.bottom - outer.top);
  }
}

}  // namespace
