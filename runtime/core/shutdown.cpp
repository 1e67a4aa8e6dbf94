#include "runtime/core/shutdown.h"

#include <algorithm>
#include <vector>

#include "runtime/core/foreign_functions.h"
#include "runtime/core/heap.h"
#include "runtime/core/platform_process.h"
#include "runtime/core/program_info.h"

namespace rt {

void RegisterExitRoutine(ExitRoutine routine) {
  std::vector<ExitRoutine>& list = Runtime().exit_routines;
  if (routine == nullptr || std::find(list.begin(), list.end(), routine) != list.end()) return;
  list.push_back(routine);
}

void DiscardExitRoutines() { Runtime().exit_routines.clear(); }

void ShutDown() {
  RuntimeState& state = Runtime();
  ++state.suspension;
  if (state.shutdown_in_progress.exchange(true)) return;
  state.idle_routines.clear();

  platform::DestroyLoadedWindows();
  state.windows.clear();

  // Moved out first, so that a routine that registers again or exits
  // cannot make the list run twice.
  std::vector<ExitRoutine> routines;
  routines.swap(state.exit_routines);
  for (ExitRoutine routine : routines) routine();

  for (const RuntimeState::LibraryEntry& library : state.libraries) {
    if (library.record != nullptr && library.record->notify != nullptr) {
      library.record->notify(kNotifyShutdown, library.data_word, 0);
    }
  }
  state.libraries.clear();

  UnloadForeignFunctions();
  ClearConstantDataRange();

  platform::DestroyIconHandle(state.icon_large);
  platform::DestroyIconHandle(state.icon_small);
  state.icon_large = state.icon_small = 0;
  platform::DestroyWindowHandle(state.hidden_owner);
  state.hidden_owner = 0;

  // The runtime's own objects; sound, sockets and control libraries are
  // never started by this program.
  state.library_objects.clear();
  state.image_records.clear();
  if (state.ole_initialised) {
    platform::UninitialiseOle();
    state.ole_initialised = false;
  }
}

void ExitProgram(int32_t exit_code) {
  RuntimeState& state = Runtime();
  ++state.suspension;
  const bool on_window_thread =
      state.window_thread == 0 || state.window_thread == platform::CurrentThreadId();
  if (!on_window_thread) {
    // The window thread owns the windows, libraries and modules; it runs
    // the shutdown and ends the process. Should it not, end it from here.
    if (state.hidden_owner != 0) platform::SendShutdownRequest(state.hidden_owner, exit_code);
    if (state.shutdown_in_progress) platform::EndCurrentThread(exit_code);
    platform::EndProcess(exit_code);
  }
  ShutDown();
  platform::EndProcess(exit_code);
}

}  // namespace rt
