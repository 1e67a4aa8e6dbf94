#include <windows.h>

#include "runtime/core/foreign_functions_platform.h"

namespace rt::platform {

uintptr_t LoadForeignModule(const char* name) {
  return reinterpret_cast<uintptr_t>(LoadLibraryA(name));
}

uintptr_t FindForeignExport(uintptr_t module, const char* name, uint16_t ordinal) {
  HMODULE handle = reinterpret_cast<HMODULE>(module);
  // Ordinal 0 names nothing; handed over it would read as a null name.
  if (name == nullptr && ordinal == 0) return 0;
  FARPROC address = GetProcAddress(handle, name != nullptr ? name : MAKEINTRESOURCEA(ordinal));
  return reinterpret_cast<uintptr_t>(address);
}

void UnloadForeignModule(uintptr_t module) {
  if (module != 0) FreeLibrary(reinterpret_cast<HMODULE>(module));
}

}  // namespace rt::platform
