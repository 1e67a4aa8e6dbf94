// The module loader behind the foreign-function table; one implementation per platform.
#pragma once

#include <cstdint>

namespace rt::platform {

// Loads a library by path or bare name; 0 when it cannot be loaded.
uintptr_t LoadForeignModule(const char* name);
// The address of a function of a loaded module by name, or by ordinal when
// `name` is null; 0 when the module has no such function.
uintptr_t FindForeignExport(uintptr_t module, const char* name, uint16_t ordinal);
void UnloadForeignModule(uintptr_t module);

}  // namespace rt::platform
