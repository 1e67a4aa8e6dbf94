#include <windows.h>

#include "runtime/core/runtime_state.h"
#include "runtime/core/window_thread_call.h"

namespace rt {

bool PostToWindowThread(WindowThreadRoutine routine, uintptr_t argument) {
  const RuntimeState& state = Runtime();
  if (routine == nullptr || state.hidden_owner == 0 || state.shutdown_in_progress) return false;
  return PostMessageA(reinterpret_cast<HWND>(state.hidden_owner), kWindowThreadCall,
                      reinterpret_cast<WPARAM>(routine), static_cast<LPARAM>(argument)) != FALSE;
}

void RunWindowThreadCall(uintptr_t routine, uintptr_t argument) {
  if (routine == 0 || Runtime().shutdown_in_progress) return;
  reinterpret_cast<WindowThreadRoutine>(routine)(argument);
}

}  // namespace rt
