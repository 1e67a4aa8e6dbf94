// Exit routines and the orderly shutdown.
#pragma once

#include <cstdint>

#include "runtime/core/runtime_state.h"

namespace rt {

// Adds the routine once; a second registration of the same routine is ignored.
void RegisterExitRoutine(ExitRoutine routine);
// A runtime error drops the application's clean-up routines before it exits.
void DiscardExitRoutines();
// Orderly shutdown with the code, then the process ends with the same code.
[[noreturn]] void ExitProgram(int32_t exit_code);

}  // namespace rt
