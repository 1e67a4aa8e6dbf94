#include <windows.h>

#include "runtime/core/platform_process.h"

namespace rt::platform {

void EndProcess(int32_t exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }

}  // namespace rt::platform
