#include "app/program_info.h"

#include "app/foreign_functions.h"
#include "app/handlers.h"
#include "resources/constant_data.h"
#include "resources/window_template.h"
#include "runtime/commands/command_libraries.h"

namespace app {

// The operating-system functions the application calls directly.
const char* const kForeignLibraries[] = {
#define SONOTECA_FOREIGN(name, library) library,
#include "app/foreign_functions.def"
#undef SONOTECA_FOREIGN
};
const char* const kForeignFunctionNames[] = {
#define SONOTECA_FOREIGN(name, library) #name,
#include "app/foreign_functions.def"
#undef SONOTECA_FOREIGN
};
const int32_t kForeignFunctionCount = sizeof kForeignFunctionNames / sizeof kForeignFunctionNames[0];
static_assert(sizeof kForeignLibraries == sizeof kForeignFunctionNames, "one library per function");

namespace {

const rt::CommandLibraryRecord* const kLibraries[] = {&rt::kCoreLibrary, &rt::kThreadLibrary,
                                                      &rt::kProcessLibrary, &rt::kShellLibrary,
                                                      &rt::kInterfaceLibrary, &rt::kDropTargetLibrary};

// Word 0: not 0, so windows apply their start position when shown.
constexpr uint32_t kProgramWord = 3;
// Words 1 and 2, which the runtime stores (the second with 1 added).
constexpr uint32_t kStoredWord = 0;
constexpr uint32_t kCountedWord = 100497;

const rt::ProgramInfo kProgramInfo = {
    kProgramWord,
    kStoredWord,
    kCountedWord,
    kHandlerTable,
    &res::kConstantData,
    sizeof res::kConstantData,
    res::kWindowTemplate,
    res::kWindowTemplateSize,
    sizeof kLibraries / sizeof kLibraries[0],
    kLibraries,
    kForeignFunctionCount,
    kForeignLibraries,
    kForeignFunctionNames,
};

}  // namespace

const rt::ProgramInfo& ProgramInfoBlock() { return kProgramInfo; }

}  // namespace app
