#include <cstdlib>

#include "runtime/core/platform_process.h"

namespace rt::platform {

void EndProcess(int32_t exit_code) { std::_Exit(exit_code); }

}  // namespace rt::platform
