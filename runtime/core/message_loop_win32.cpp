#include <windows.h>

#include <cstddef>
#include <vector>

#include "runtime/core/message_filter.h"
#include "runtime/core/message_loop.h"
#include "runtime/core/registry.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/window_loading.h"
#include "runtime/core/window_ops.h"

namespace rt {
namespace {

constexpr UINT kSystemTimer = 0x0118;

// Retrieves the next message (waiting for one) and handles it; false for
// the quit message, whose code goes to *quit_code. *user_action tells
// whether the message counts as an action of the user.
bool PumpOne(bool* user_action, int* quit_code) {
  MSG msg;
  const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    *quit_code = got == 0 ? static_cast<int>(msg.wParam) : 0;
    return false;
  }
  if (!FilterMessage(&msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // A move of the mouse to where it already was, a paint and the caret's
  // timer are not user actions: they must not restart the idle phase.
  RuntimeState& state = Runtime();
  *user_action = msg.message != WM_PAINT && msg.message != kSystemTimer;
  if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
    const intptr_t at = static_cast<intptr_t>(static_cast<uint32_t>(msg.lParam));
    if (at == state.loop_last_mouse_position) *user_action = false;
    state.loop_last_mouse_position = at;
  }
  return true;
}

bool MessageWaiting(MSG* peeked) { return PeekMessageA(peeked, nullptr, 0, 0, PM_NOREMOVE) != FALSE; }

// One step of idle work: every idle routine, from the last registered to
// the first; one whose window is gone is dropped instead of called. The
// counter is what a framework's idle processing would be given; nothing
// here asks for another step.
bool IdleStep(int32_t counter) {
  (void)counter;
  std::vector<RuntimeState::IdleRoutine>& routines = Runtime().idle_routines;
  for (size_t i = routines.size(); i-- > 0;) {
    if (i >= routines.size()) continue;  // a routine removed others
    const RuntimeState::IdleRoutine entry = routines[i];
    if (!IsWindow(reinterpret_cast<HWND>(entry.window))) {
      routines.erase(routines.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (entry.routine != nullptr) entry.routine(entry.argument);
  }
  return false;
}

bool ModalDone(uint32_t window_id) {
  if (Runtime().modal_marker != window_id) return true;
  Window* window = LookupWindow(window_id);
  return window == nullptr || LoadedWindowHandle(*window) == 0;
}

// The loop: an idle phase while nothing waits, then a message phase while
// messages wait. modal_window 0 is the main loop, which ends with the quit
// message; otherwise it is the nested loop of that modal window.
void RunLoop(uint32_t modal_window) {
  bool more_idle = true;
  int32_t idle_counter = 0;
  for (;;) {
    MSG peeked;
    while (!MessageWaiting(&peeked)) {
      if (modal_window != 0 && ModalDone(modal_window)) return;
      if (!more_idle) break;
      more_idle = IdleStep(idle_counter++);
    }
    do {
      if (modal_window != 0) {
        if (ModalDone(modal_window)) return;
        if (MessageWaiting(&peeked) && peeked.message == WM_QUIT) return;
      }
      bool user_action = false;
      int quit_code = 0;
      if (!PumpOne(&user_action, &quit_code)) {
        // A nested loop leaves the quit message to the loop that owns it.
        if (modal_window != 0) PostQuitMessage(quit_code);
        return;
      }
      if (user_action) {
        more_idle = true;
        idle_counter = 0;
      }
    } while (MessageWaiting(&peeked));
  }
}

}  // namespace

void RunLoopUntilQuit() { RunLoop(0); }

void RunModalLoop(uint32_t window_id) {
  if (window_id != 0) RunLoop(window_id);
}

void ProcessWaitingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (msg.message == WM_QUIT) {
      // Taken between the two peeks: put it back for the loop that owns it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!FilterMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

namespace platform {

void ProcessPendingMessages() { ProcessWaitingMessages(); }

}  // namespace platform
}  // namespace rt
