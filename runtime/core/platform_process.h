// Ending the process; one implementation per platform.
#pragma once

#include <cstdint>

namespace rt::platform {

[[noreturn]] void EndProcess(int32_t exit_code);

}  // namespace rt::platform
