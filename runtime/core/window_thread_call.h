// Work a worker hands to the window thread without waiting for it: a sent
// message would block the worker for as long as the window thread is busy
// (in a conversion, in a stop that waits for this very worker), a posted
// one never does. Routines run on the window thread in the order posted.
#pragma once

#include <cstdint>

namespace rt {

// The message the hidden owner window takes: wParam the routine, lParam its argument.
constexpr uint32_t kWindowThreadCall = 0x83E8;

using WindowThreadRoutine = void (*)(uintptr_t argument);

// False when nothing could take it (no hidden owner yet, or the program is
// shutting down); the routine is then not run. Windows builds only.
bool PostToWindowThread(WindowThreadRoutine routine, uintptr_t argument);

// What the hidden owner does with the message: runs the routine, unless the
// shutdown has begun.
void RunWindowThreadCall(uintptr_t routine, uintptr_t argument);

}  // namespace rt
