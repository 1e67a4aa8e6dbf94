// Start-up: building the runtime from the program-info block, loading the
// start window, running the message loop; and the smallest application
// framework of our own (process entry, initialisation and exit hooks).
#pragma once

#include <cstdint>

#include "runtime/core/program_info.h"

namespace rt {

// Service 6: heap, program words, OLE, directories, hidden owner window,
// window thread, constant data, foreign functions, libraries, template.
void InitialiseRuntime(const ProgramInfo& info);
// Loads the window non-modal without owner; failure is a runtime error.
void LoadStartWindow(uint32_t window_id);
// Returns at once when no window is loaded, else when the quit message comes.
void RunMessageLoop();

// The framework: records the module directory, runs the application entry,
// then the orderly shutdown with code 0. Called from WinMain.
using ApplicationEntry = int32_t (*)();
[[noreturn]] void RunApplication(ApplicationEntry entry);

}  // namespace rt
