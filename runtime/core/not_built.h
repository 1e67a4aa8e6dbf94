// Entry operations whose subsystems are still being built: each ends the
// program with a runtime error that names what is missing.
#pragma once

#include <cstdint>

namespace rt {

[[noreturn]] void ReportNotBuilt(const char* what);
uintptr_t NotBuiltCallForeignFunction(int32_t index);
int64_t NotBuiltReadProperty(uint32_t window, uint32_t control, int32_t property, int32_t element);
void NotBuiltWriteProperty(uint32_t window, uint32_t control, int32_t property, int32_t element,
                           intptr_t value_low, int32_t value_high);
void NotBuiltRunMessageLoop();
void NotBuiltLoadStartWindow(uint32_t window);

}  // namespace rt
