// The host build has no Windows libraries to load: every load fails, so a
// binding there ends in the runtime error for a missing function.
#include "runtime/core/foreign_functions_platform.h"

namespace rt::platform {

uintptr_t LoadForeignModule(const char*) { return 0; }
uintptr_t FindForeignExport(uintptr_t, const char*, uint16_t) { return 0; }
void UnloadForeignModule(uintptr_t) {}

}  // namespace rt::platform
