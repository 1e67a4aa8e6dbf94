// The program's icon on its windows: the window type hands the icons that the
// runtime loads (request 1000) to every window it makes, for the caption and
// the task-bar button. Here the icons come from sonoteca.exe itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/window_template.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/template_format.h"
#include "runtime/core/window_loading.h"
#include "tests/support/runtime_fixture.h"

namespace rt {
namespace {

bool Ignore(const EventWord*, int32_t, int64_t*) { return false; }

// The program's icons, loaded from its file, as the runtime's own while the
// object lives.
class ProgramIcons {
 public:
  ProgramIcons() {
    std::string exe = SONOTECA_EXE;
    for (char& c : exe) c = c == '/' ? '\\' : c;
    module_ = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module_ == nullptr) return;
    large_ = static_cast<HICON>(LoadImageA(module_, "DEFAULT_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                           GetSystemMetrics(SM_CYICON), 0));
    small_ = static_cast<HICON>(LoadImageA(module_, "DEFAULT_ICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                           GetSystemMetrics(SM_CYSMICON), 0));
    Runtime().icon_large = reinterpret_cast<uintptr_t>(large_);
    Runtime().icon_small = reinterpret_cast<uintptr_t>(small_);
  }
  ~ProgramIcons() {
    Runtime().icon_large = Runtime().icon_small = 0;
    if (large_ != nullptr) DestroyIcon(large_);
    if (small_ != nullptr) DestroyIcon(small_);
    if (module_ != nullptr) FreeLibrary(module_);
  }
  ProgramIcons(const ProgramIcons&) = delete;
  ProgramIcons& operator=(const ProgramIcons&) = delete;

  HICON large() const { return large_; }
  HICON small_icon() const { return small_; }

 private:
  HMODULE module_ = nullptr;
  HICON large_ = nullptr;
  HICON small_ = nullptr;
};

TEST(WindowIconTest, BothWindowsOfTheTemplateShowTheProgramsIcon) {
  ProgramIcons icons;
  ASSERT_NE(nullptr, icons.large());
  ASSERT_NE(nullptr, icons.small_icon());
  ASSERT_NE(icons.large(), icons.small_icon());

  std::vector<WindowRecord> windows;
  ASSERT_TRUE(ReadWindowTemplate(res::kWindowTemplate, res::kWindowTemplateSize, &windows));
  for (WindowRecord& w : windows) w.units.resize(1);  // each window's own unit only
  const std::vector<HandlerFn> handlers(64, Ignore);
  {
    test_support::RuntimeFixture fixture(windows, handlers.data(), 64);
    ASSERT_TRUE(fixture.ok());
    for (uint32_t id : {0x52010001u, 0x5201002Au}) {
      SCOPED_TRACE(id);
      ASSERT_EQ(0, LoadWindow(id, 0, false));
      HWND hwnd = test_support::WindowHandle(id);
      ASSERT_NE(nullptr, hwnd);
      EXPECT_EQ(reinterpret_cast<LRESULT>(icons.large()), SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0));
      EXPECT_EQ(reinterpret_cast<LRESULT>(icons.small_icon()), SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0));
    }
  }  // the windows go before the icons
}

}  // namespace
}  // namespace rt
