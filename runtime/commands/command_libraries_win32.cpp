#include "runtime/commands/command_libraries.h"

#include "runtime/commands/window_type.h"

namespace rt {
namespace {

intptr_t CoreNotify(int32_t code, intptr_t, intptr_t) {
  if (code == kNotifyStart) RegisterWindowType();
  return 0;
}

// The thread library keeps nothing that needs the runtime or a shutdown.
intptr_t ThreadNotify(int32_t, intptr_t, intptr_t) { return 0; }

}  // namespace

const CommandLibraryRecord kCoreLibrary = {CoreNotify, 0};
const CommandLibraryRecord kThreadLibrary = {ThreadNotify, 0};

}  // namespace rt
