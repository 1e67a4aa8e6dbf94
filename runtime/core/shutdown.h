// Exit routines and the orderly shutdown.
#pragma once

#include <cstdint>

#include "runtime/core/runtime_state.h"

namespace rt {

// The request a worker thread sends the hidden owner window to have the
// window thread shut the program down; wParam is the exit code.
constexpr uint32_t kShutdownRequest = 0x83E7;

// Adds the routine once; a second registration of the same routine is ignored.
void RegisterExitRoutine(ExitRoutine routine);
// A runtime error drops the application's clean-up routines before it exits.
void DiscardExitRoutines();
// The orderly shutdown without ending the process: events suppressed for
// good, windows released, exit routines run, libraries told, modules and
// the runtime's own objects released. Runs at most once.
void ShutDown();
// Orderly shutdown with the code, then the process ends with the same code.
// From a worker thread the shutdown is handed to the window thread.
[[noreturn]] void ExitProgram(int32_t exit_code);

}  // namespace rt
