#include <windows.h>
#include <ole2.h>

#include "runtime/core/control_object.h"
#include "runtime/core/platform_process.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/shutdown.h"

namespace rt::platform {

void EndProcess(int32_t exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }

void EndCurrentThread(int32_t exit_code) { ExitThread(static_cast<DWORD>(exit_code)); }

uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

void SendShutdownRequest(uintptr_t hidden_owner, int32_t exit_code) {
  SendMessageA(reinterpret_cast<HWND>(hidden_owner), kShutdownRequest,
               static_cast<WPARAM>(static_cast<uint32_t>(exit_code)), 0);
}

void DestroyLoadedWindows() {
  for (Window& window : Runtime().windows) {
    if (window.record.units.empty()) continue;
    ControlObject* own = window.record.units.front().live;
    if (own != nullptr && IsWindow(reinterpret_cast<HWND>(own->hwnd))) {
      DestroyWindow(reinterpret_cast<HWND>(own->hwnd));
    }
  }
}

void DestroyIconHandle(uintptr_t icon) {
  if (icon != 0) DestroyIcon(reinterpret_cast<HICON>(icon));
}

void DestroyWindowHandle(uintptr_t hwnd) {
  if (hwnd != 0 && IsWindow(reinterpret_cast<HWND>(hwnd))) DestroyWindow(reinterpret_cast<HWND>(hwnd));
}

void UninitialiseOle() { OleUninitialize(); }

}  // namespace rt::platform
