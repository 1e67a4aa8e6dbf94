// The indices of the application's foreign-function table, from the one
// list in foreign_functions.def, and its two name tables.
#pragma once

#include <cstdint>

namespace app {

enum class Foreign : int32_t {
#define SONOTECA_FOREIGN(name, library) k##name,
#include "app/foreign_functions.def"
#undef SONOTECA_FOREIGN
};

// The library and the function name of each entry, in the order of Foreign.
extern const char* const kForeignLibraries[];
extern const char* const kForeignFunctionNames[];
extern const int32_t kForeignFunctionCount;

}  // namespace app
