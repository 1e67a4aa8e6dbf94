#include "runtime/core/shutdown.h"

#include <algorithm>
#include <vector>

#include "runtime/core/platform_process.h"

namespace rt {

void RegisterExitRoutine(ExitRoutine routine) {
  std::vector<ExitRoutine>& list = Runtime().exit_routines;
  if (routine == nullptr || std::find(list.begin(), list.end(), routine) != list.end()) return;
  list.push_back(routine);
}

void DiscardExitRoutines() { Runtime().exit_routines.clear(); }

void ExitProgram(int32_t exit_code) {
  RuntimeState& state = Runtime();
  ++state.suspension;
  if (!state.shutdown_in_progress.exchange(true)) {
    // Moved out first so that a routine that registers or exits again
    // cannot make the list run twice.
    std::vector<ExitRoutine> routines;
    routines.swap(state.exit_routines);
    for (ExitRoutine routine : routines) routine();
  }
  platform::EndProcess(exit_code);
}

}  // namespace rt
