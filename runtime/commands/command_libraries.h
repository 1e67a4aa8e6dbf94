// The command libraries linked into the program. Each takes part through its
// record: the runtime sends it notify code 1 at start-up (it then registers
// its unit types) and code 6 at shutdown.
#pragma once

#include "runtime/core/program_info.h"

namespace rt {

extern const CommandLibraryRecord kCoreLibrary;    // window, edit box, button, list box
extern const CommandLibraryRecord kThreadLibrary;  // start and stop worker threads

}  // namespace rt
