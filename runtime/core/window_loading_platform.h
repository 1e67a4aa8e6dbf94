// The few platform operations of window unloading that the portable part
// of window loading needs (window_ops.h has the rest).
#pragma once

#include <cstdint>

namespace rt::platform {

void DestroyAcceleratorTable(uintptr_t table);
void DestroyMenuHandle(uintptr_t menu);
// Posts the quit message (code 0) that ends the message loop.
void PostQuit();

}  // namespace rt::platform
