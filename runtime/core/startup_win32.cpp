#include "runtime/core/startup.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include "runtime/core/ansi_path.h"
#include "runtime/core/foreign_functions.h"
#include "runtime/core/events.h"
#include "runtime/core/heap.h"
#include "runtime/core/message_loop.h"
#include "runtime/core/platform_process.h"
#include "runtime/core/program_path.h"
#include "runtime/core/registry.h"
#include "runtime/core/requests.h"
#include "runtime/core/runtime_error.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/shutdown.h"
#include "runtime/core/window_loading.h"
#include "runtime/core/window_ops.h"
#include "runtime/core/window_thread_call.h"

namespace rt {
namespace {

constexpr char kHiddenOwnerClass[] = "_KL_HideOwner";

LRESULT CALLBACK HiddenOwnerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // A worker's ExitProgram: the shutdown runs here, on the window thread.
  if (message == kShutdownRequest) ExitProgram(static_cast<int32_t>(wparam));
  if (message == kWindowThreadCall) {
    RunWindowThreadCall(static_cast<uintptr_t>(wparam), static_cast<uintptr_t>(lparam));
    return 0;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

HWND CreateHiddenOwner() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA existing;
  if (!GetClassInfoA(instance, kHiddenOwnerClass, &existing)) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HiddenOwnerProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kHiddenOwnerClass;
    RegisterClassA(&wc);
  }
  return CreateWindowExA(WS_EX_TOOLWINDOW, kHiddenOwnerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                         nullptr, instance, nullptr);
}

// The handler table is ended by a null entry.
int32_t CountHandlers(const void* code_base) {
  const auto* handlers = static_cast<const HandlerFn*>(code_base);
  int32_t count = 0;
  while (handlers != nullptr && handlers[count] != nullptr) ++count;
  return count;
}

// The arguments after the program's own name, read wide so that a name
// outside the code page can still be turned into one the program can use.
std::vector<std::string> CommandLineArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(AnsiPath(argv[i]));
  LocalFree(argv);
  return arguments;
}

// The standard controls of common controls version 6 (visual styles, chosen
// by the program's manifest), registered before the first window is made.
void RegisterCommonControls() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
}

bool AnyWindowLive() {
  for (const Window& window : Runtime().windows) {
    if (LoadedWindowHandle(window) != 0) return true;
  }
  return false;
}

}  // namespace

void InitialiseRuntime(const ProgramInfo& info) {
  RuntimeState& state = Runtime();
  state.program_info = &info;
  state.program_words[0] = info.program_word;
  state.program_words[1] = info.stored_word;
  state.program_words[2] = info.counted_word + 1;

  if (!state.ole_initialised) {
    const HRESULT hr = OleInitialize(nullptr);
    state.ole_initialised = SUCCEEDED(hr);
  }

  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  SplitProgramPath(path, &state.program_directory, &state.program_file_name);
  state.program_arguments = CommandLineArguments();
  if (!state.program_directory.empty()) SetCurrentDirectoryA(state.program_directory.c_str());

  RegisterCommonControls();
  state.hidden_owner = reinterpret_cast<uintptr_t>(CreateHiddenOwner());
  state.window_thread = GetCurrentThreadId();

  if (info.constant_length > 0) SetConstantDataRange(info.constant_data, info.constant_length);

  InitialiseForeignFunctions(info.foreign_libraries, info.foreign_functions,
                             static_cast<int32_t>(info.foreign_count));

  state.libraries.clear();
  for (uint32_t i = 0; i < info.library_count; ++i) {
    const CommandLibraryRecord* record = info.libraries != nullptr ? info.libraries[i] : nullptr;
    if (record != nullptr && record->notify != nullptr) {
      record->notify(kNotifyStart, reinterpret_cast<intptr_t>(&RuntimeRequest), 0);
    }
    state.libraries.push_back({record, 0});
  }

  SetHandlerTable(static_cast<const HandlerFn*>(info.code_base), CountHandlers(info.code_base));
  if (info.template_length > 0) ReadTemplateIntoRegistry(info.window_template, info.template_length);
}

void LoadStartWindow(uint32_t window_id) {
  if (LookupWindow(window_id) == nullptr || LoadWindow(window_id, 0, false) != 0) {
    ReportErrorMessage("载入启动窗口失败", 0, static_cast<int32_t>(window_id), 0);
  }
}

void RunMessageLoop() {
  Runtime().loop_entered = true;
  if (!AnyWindowLive()) return;
  RunLoopUntilQuit();
}

void RunApplication(ApplicationEntry entry) {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory, name;
  SplitProgramPath(path, &directory, &name);
  Runtime().module_directory = directory.empty() ? std::string() : directory + "\\";
  entry();
  // The entry returned: the framework skips its own loop and exits.
  ExitProgram(0);
}

}  // namespace rt
