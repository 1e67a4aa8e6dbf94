// For what is still being built: ends the program with a runtime error
// that names what is missing.
#pragma once

#include <cstdint>

namespace rt {

[[noreturn]] void ReportNotBuilt(const char* what);

}  // namespace rt
