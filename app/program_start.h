// The application's entry.
#pragma once

#include <cstdint>

namespace app {

int32_t ProgramStart();

}  // namespace app
