#include "runtime/commands/command_libraries.h"

#include "runtime/commands/button.h"
#include "runtime/commands/drop_target.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/list_box.h"
#include "runtime/commands/trans_label.h"
#include "runtime/commands/window_type.h"

namespace rt {
namespace {

// At start-up a library registers its unit types; at shutdown, when the
// windows are gone, it unregisters the window classes of its own.
intptr_t CoreNotify(int32_t code, intptr_t, intptr_t) {
  if (code == kNotifyStart) {
    RegisterWindowType();
    RegisterEditBoxType();
    RegisterButtonType();
    RegisterListBoxType();
  }
  if (code == kNotifyShutdown) ReleaseWindowClass();
  return 0;
}

intptr_t InterfaceNotify(int32_t code, intptr_t, intptr_t) {
  if (code == kNotifyStart) RegisterTransLabelType();
  if (code == kNotifyShutdown) ReleaseTransLabelClass();
  return 0;
}

intptr_t DropTargetNotify(int32_t code, intptr_t, intptr_t) {
  if (code == kNotifyStart) RegisterDropTargetType();
  if (code == kNotifyShutdown) ReleaseDropTargetClass();
  return 0;
}

// The thread library keeps nothing that needs the runtime or a shutdown.
intptr_t ThreadNotify(int32_t, intptr_t, intptr_t) { return 0; }

}  // namespace

const CommandLibraryRecord kCoreLibrary = {CoreNotify, 0};
const CommandLibraryRecord kThreadLibrary = {ThreadNotify, 0};
const CommandLibraryRecord kInterfaceLibrary = {InterfaceNotify, 0};
const CommandLibraryRecord kDropTargetLibrary = {DropTargetNotify, 0};
// Neither keeps state nor defines a unit type: nothing to notify.
const CommandLibraryRecord kProcessLibrary = {nullptr, 0};
const CommandLibraryRecord kShellLibrary = {nullptr, 0};

}  // namespace rt
