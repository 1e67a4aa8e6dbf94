#include <cstdlib>
#include <thread>

#include "runtime/core/platform_process.h"

namespace rt::platform {

void EndProcess(int32_t exit_code) { std::_Exit(exit_code); }

// Worker threads of the program exist only on Windows.
void EndCurrentThread(int32_t exit_code) { std::_Exit(exit_code); }

uint32_t CurrentThreadId() {
  return static_cast<uint32_t>(std::hash<std::thread::id>()(std::this_thread::get_id()));
}

// Nothing below exists on the host.
void SendShutdownRequest(uintptr_t, int32_t) {}
void DestroyLoadedWindows() {}
void DestroyIconHandle(uintptr_t) {}
void DestroyWindowHandle(uintptr_t) {}
void UninitialiseOle() {}

}  // namespace rt::platform
