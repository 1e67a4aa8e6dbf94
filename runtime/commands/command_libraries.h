// The command libraries linked into the program. Each takes part through its
// record: the runtime sends it notify code 1 at start-up (it then registers
// its unit types) and code 6 at shutdown (it then unregisters the window
// classes of its own).
#pragma once

#include "runtime/core/program_info.h"

namespace rt {

extern const CommandLibraryRecord kCoreLibrary;    // window, edit box, button, list box
extern const CommandLibraryRecord kThreadLibrary;  // start and stop worker threads
extern const CommandLibraryRecord kProcessLibrary;  // the process list
extern const CommandLibraryRecord kShellLibrary;    // folder dialog, shell execution
extern const CommandLibraryRecord kInterfaceLibrary;   // the transparent label (library 4)
extern const CommandLibraryRecord kDropTargetLibrary;  // the drop target (library 5)

}  // namespace rt
