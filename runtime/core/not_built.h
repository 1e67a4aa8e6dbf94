// Entry operations whose subsystems are still being built: each ends the
// program with a runtime error that names what is missing.
#pragma once

#include <cstdint>

namespace rt {

[[noreturn]] void ReportNotBuilt(const char* what);
void NotBuiltRunMessageLoop();
void NotBuiltLoadStartWindow(uint32_t window);

}  // namespace rt
