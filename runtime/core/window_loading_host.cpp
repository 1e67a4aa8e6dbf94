#include "runtime/core/registry.h"
#include "runtime/core/window_loading.h"
#include "runtime/core/window_loading_platform.h"

namespace rt {

// The host has no platform windows: no window can be created, so a load
// fails and nothing is ever shown.
int32_t LoadWindow(uint32_t, uintptr_t, bool) { return -1; }
void ShowLoadedWindow(Window&) {}

namespace platform {

void DestroyAcceleratorTable(uintptr_t) {}
void DestroyMenuHandle(uintptr_t) {}
void PostQuit() {}

}  // namespace platform
}  // namespace rt
