#include "resources/program_info.h"

#include "resources/constant_data.h"
#include "resources/window_template.h"
#include "runtime/commands/command_libraries.h"
#include "runtime/core/events.h"

namespace app {
extern const rt::HandlerFn kHandlerTable[];
}

namespace res {
namespace {

const rt::CommandLibraryRecord* const kLibraries[] = {&rt::kCoreLibrary, &rt::kThreadLibrary,
                                                      &rt::kProcessLibrary, &rt::kShellLibrary,
                                                      &rt::kInterfaceLibrary, &rt::kDropTargetLibrary};

// The operating-system functions the application calls directly.
const char* const kForeignLibraries[] = {
    "kernel32.dll", "kernel32.dll", "kernel32.dll", "kernel32.dll", "kernel32.dll",
    "user32.dll",   "user32.dll",   "user32.dll",   "shlwapi.dll",  "dbghelp.dll",
};
const char* const kForeignFunctions[] = {
    "OpenProcess",      "TerminateProcess", "CloseHandle",      "GetCurrentProcessId",
    "lstrcpyn",         "PeekMessageA",     "TranslateMessage", "DispatchMessageA",
    "PathIsDirectoryA", "MakeSureDirectoryPathExists",
};
static_assert(sizeof kForeignLibraries == sizeof kForeignFunctions, "one library per function");

const rt::ProgramInfo kProgramInfo = {
    3,       // windows apply their start position when shown
    0,
    100497,
    app::kHandlerTable,
    &kConstantData,
    sizeof kConstantData,
    rt::kWindowTemplate,
    rt::kWindowTemplateSize,
    sizeof kLibraries / sizeof kLibraries[0],
    kLibraries,
    sizeof kForeignFunctions / sizeof kForeignFunctions[0],
    kForeignLibraries,
    kForeignFunctions,
};

}  // namespace

const rt::ProgramInfo& ProgramInfoBlock() { return kProgramInfo; }

}  // namespace res
