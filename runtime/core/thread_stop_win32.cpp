#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "runtime/core/message_loop.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/thread_stop.h"

namespace rt {

// One per thread started by StartWorkerThread. The worker reads it through
// its thread-local slot and never frees it; the block is freed once its
// thread has ended and no StopThread is using it.
struct WorkerControl {
  uintptr_t routine = 0;
  uintptr_t parameter = 0;
  HANDLE thread = nullptr;      // our own handle: keeps the thread id unique
  DWORD thread_id = 0;
  HANDLE stop_event = nullptr;  // manual reset, set with `stop`
  std::atomic<bool> stop{false};
  int32_t stoppers = 0;  // StopThread calls at work on this block (under the lock)
  // Open StopDeferral scopes of the worker.
  std::atomic<int32_t> deferrals{0};
  // When the last of them ended (GetTickCount), or when the thread was made.
  std::atomic<uint32_t> stretch_ended{0};
  // Only while the worker runs its own code may it be cut off: in its
  // start-up and its ending the loader holds its lock on the thread's behalf,
  // and a thread ended there takes that lock with it for good.
  enum Phase : int32_t { kStarting, kRunning, kEnding };
  std::atomic<int32_t> phase{kStarting};
  // Handles the worker holds across safe points. Touched by the worker while
  // it runs, and by a stopper only once the worker has been ended.
  struct Held {
    uintptr_t handle;
    HeldHandleKind kind;
  };
  std::vector<Held> held;
};

namespace {

constexpr DWORD kStoppedExitCode = 0xFFFFFFFFu;
// Safe points are reached within milliseconds; what is left of the second
// goes to ending a thread that reached none.
constexpr DWORD kSafePointWaitMs = 900;
constexpr DWORD kBoxPollMs = 15;
constexpr char kDialogClass[] = "#32770";  // the class of a message box
// After a worker is terminated, how long its end is waited for before the
// handles it held are left as they are.
constexpr DWORD kTerminatedEndWaitMs = 1000;

WorkerControl* CurrentWorker() {
  const uint32_t slot = Runtime().worker_slot.load(std::memory_order_acquire);
  if (slot == TLS_OUT_OF_INDEXES) return nullptr;
  // TlsGetValue clears the last error; the application may still want it.
  const DWORD saved = GetLastError();
  auto* control = static_cast<WorkerControl*>(TlsGetValue(slot));
  SetLastError(saved);
  return control;
}

void CloseHeldHandles(WorkerControl* control) {
  for (const WorkerControl::Held& h : control->held) {
    if (h.kind == HeldHandleKind::kFileSearch) {
      FindClose(reinterpret_cast<HANDLE>(h.handle));
    } else {
      CloseHandle(reinterpret_cast<HANDLE>(h.handle));
    }
  }
  control->held.clear();
}

DWORD WINAPI WorkerStart(LPVOID argument) {
  auto* control = static_cast<WorkerControl*>(argument);
  TlsSetValue(Runtime().worker_slot.load(std::memory_order_acquire), control);
  control->phase.store(WorkerControl::kRunning, std::memory_order_release);
  ThreadSafePoint();  // stopped before its first step
  using Routine = DWORD(WINAPI*)(LPVOID);
  const Routine routine = reinterpret_cast<Routine>(control->routine);
  const DWORD code = routine(reinterpret_cast<LPVOID>(control->parameter));
  control->phase.store(WorkerControl::kEnding, std::memory_order_release);
  return code;
}

void FreeControl(WorkerControl* control) {
  if (control->thread != nullptr) CloseHandle(control->thread);
  if (control->stop_event != nullptr) CloseHandle(control->stop_event);
  delete control;
}

// Under the lock: frees the blocks of threads that have ended.
void ReapEndedWorkers(RuntimeState& state) {
  std::vector<WorkerControl*>& list = state.workers;
  auto ended = [](WorkerControl* control) {
    if (control->stoppers != 0 || control->thread == nullptr) return false;
    if (WaitForSingleObject(control->thread, 0) != WAIT_OBJECT_0) return false;
    FreeControl(control);
    return true;
  };
  list.erase(std::remove_if(list.begin(), list.end(), ended), list.end());
}

BOOL CALLBACK CloseOneBox(HWND window, LPARAM) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, kDialogClass) == 0) {
    // Whichever answer the box knows closes it; the other arrives after
    // the box is gone and is dropped.
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}

// Whether a worker that has not yet ended may now be cut off where it
// stands: it runs its own code outside any stretch that must not be cut, and
// has had its time to reach a safe point since the stop was asked at
// `asked`, or since its last such stretch ended, whichever came later.
bool MayCutOff(const WorkerControl& control, DWORD asked) {
  if (control.phase.load(std::memory_order_acquire) != WorkerControl::kRunning) return false;
  if (control.deferrals.load(std::memory_order_acquire) != 0) return false;
  const DWORD now = GetTickCount();
  const DWORD since_asked = now - asked;
  const DWORD since_stretch = now - control.stretch_ended.load(std::memory_order_acquire);
  return (since_asked < since_stretch ? since_asked : since_stretch) >= kSafePointWaitMs;
}

// Waits for the worker to end, closing its message boxes and answering
// messages other threads send to this one (a worker writing a property of a
// window of this thread waits for that). False when it did not end in time:
// a second after the stop or after the end of a stretch that must not be
// cut, whichever is later, and never longer than kDeferredStopLimitMs.
bool WaitForWorkerEnd(WorkerControl* control) {
  const DWORD start = GetTickCount();
  for (;;) {
    EnumThreadWindows(control->thread_id, CloseOneBox, 0);
    const DWORD r =
        MsgWaitForMultipleObjects(1, &control->thread, FALSE, kBoxPollMs, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return true;
    if (r == WAIT_OBJECT_0 + 1) {
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } else if (r == WAIT_FAILED) {
      return false;
    }
    if (GetTickCount() - start >= kDeferredStopLimitMs) return false;
    if (MayCutOff(*control, start)) return false;
  }
}

}  // namespace

bool StopRequested() {
  const WorkerControl* control = CurrentWorker();
  return control != nullptr && control->stop.load(std::memory_order_acquire);
}

void ThreadSafePoint() {
  WorkerControl* control = CurrentWorker();
  if (control == nullptr || !control->stop.load(std::memory_order_acquire)) return;
  if (control->deferrals.load(std::memory_order_acquire) != 0) return;
  control->phase.store(WorkerControl::kEnding, std::memory_order_release);
  CloseHeldHandles(control);
  ExitThread(kStoppedExitCode);
}

StopDeferral::StopDeferral() {
  if (WorkerControl* control = CurrentWorker()) control->deferrals.fetch_add(1, std::memory_order_acq_rel);
}

StopDeferral::~StopDeferral() {
  if (WorkerControl* control = CurrentWorker()) {
    // Stamped first: a stopper that sees the count fall sees the new time.
    control->stretch_ended.store(GetTickCount(), std::memory_order_release);
    control->deferrals.fetch_sub(1, std::memory_order_acq_rel);
  }
}

void HoldWorkerHandle(uintptr_t handle, HeldHandleKind kind) {
  WorkerControl* control = CurrentWorker();
  if (control == nullptr || handle == 0) return;
  // Deferred: an allocation must not be cut off while it holds the heap.
  StopDeferral deferral;
  control->held.push_back({handle, kind});
}

void ReleaseWorkerHandle(uintptr_t handle) {
  WorkerControl* control = CurrentWorker();
  if (control == nullptr || handle == 0) return;
  std::vector<WorkerControl::Held>& held = control->held;
  held.erase(std::remove_if(held.begin(), held.end(),
                            [handle](const WorkerControl::Held& h) { return h.handle == handle; }),
             held.end());
}

bool PauseOrStop(uint32_t ms) {
  const WorkerControl* control = CurrentWorker();
  if (control == nullptr) {
    Sleep(ms);
    return true;
  }
  return WaitForSingleObject(control->stop_event, ms) != WAIT_OBJECT_0;
}

WaitOutcome WaitForObjectOrStop(uintptr_t object, uint32_t ms) {
  HANDLE handles[2] = {reinterpret_cast<HANDLE>(object), nullptr};
  DWORD count = 1;
  if (const WorkerControl* control = CurrentWorker()) {
    handles[1] = control->stop_event;
    count = 2;
  }
  switch (WaitForMultipleObjects(count, handles, FALSE, ms)) {
    case WAIT_OBJECT_0:
      return WaitOutcome::kSignalled;
    case WAIT_OBJECT_0 + 1:
      return WaitOutcome::kStopRequested;
    case WAIT_TIMEOUT:
      return WaitOutcome::kTimedOut;
    default:
      return WaitOutcome::kFailed;
  }
}

int32_t WaitForAnyOrStop(const uintptr_t* objects, uint32_t count, uint32_t ms) {
  HANDLE handles[MAXIMUM_WAIT_OBJECTS];
  if (count == 0 || count >= MAXIMUM_WAIT_OBJECTS) return kWaitFailed;
  for (uint32_t i = 0; i < count; ++i) handles[i] = reinterpret_cast<HANDLE>(objects[i]);
  if (const WorkerControl* control = CurrentWorker()) {
    handles[count] = control->stop_event;
    const DWORD r = WaitForMultipleObjects(count + 1, handles, FALSE, ms);
    if (r < WAIT_OBJECT_0 + count) return static_cast<int32_t>(r - WAIT_OBJECT_0);
    if (r == WAIT_OBJECT_0 + count) return kWaitStopRequested;
    return r == WAIT_TIMEOUT ? kWaitTimedOut : kWaitFailed;
  }
  if (GetCurrentThreadId() != Runtime().window_thread) {
    const DWORD r = WaitForMultipleObjects(count, handles, FALSE, ms);
    if (r < WAIT_OBJECT_0 + count) return static_cast<int32_t>(r - WAIT_OBJECT_0);
    return r == WAIT_TIMEOUT ? kWaitTimedOut : kWaitFailed;
  }
  // The window thread keeps its windows answering: paint, input to windows
  // that are enabled, the close request, and messages sent by workers.
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD left = ms;
    if (ms != INFINITE) {
      const DWORD waited = GetTickCount() - start;
      left = waited >= ms ? 0 : ms - waited;
    }
    const DWORD r = MsgWaitForMultipleObjects(count, handles, FALSE, left, QS_ALLINPUT);
    if (r < WAIT_OBJECT_0 + count) return static_cast<int32_t>(r - WAIT_OBJECT_0);
    if (r == WAIT_TIMEOUT) return kWaitTimedOut;
    if (r != WAIT_OBJECT_0 + count) return kWaitFailed;
    ProcessWaitingMessages();
  }
}

uintptr_t StartWorkerThread(uintptr_t routine, uintptr_t parameter) {
  if (routine == 0) return 0;
  RuntimeState& state = Runtime();
  std::lock_guard<std::mutex> lock(state.workers_lock);
  ReapEndedWorkers(state);
  if (state.worker_slot.load() == TLS_OUT_OF_INDEXES) {
    const DWORD slot = TlsAlloc();
    if (slot == TLS_OUT_OF_INDEXES) return 0;
    state.worker_slot.store(slot, std::memory_order_release);
  }
  auto* control = new (std::nothrow) WorkerControl;
  if (control == nullptr) return 0;
  control->routine = routine;
  control->parameter = parameter;
  control->stretch_ended.store(GetTickCount(), std::memory_order_relaxed);
  control->stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (control->stop_event == nullptr) {
    FreeControl(control);
    return 0;
  }
  HANDLE thread = CreateThread(nullptr, 0, WorkerStart, control, 0, &control->thread_id);
  if (thread == nullptr) {
    FreeControl(control);
    return 0;
  }
  const HANDLE process = GetCurrentProcess();
  if (!DuplicateHandle(process, thread, process, &control->thread, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    control->thread = nullptr;  // cannot be waited for: the block stays for good
  }
  state.workers.push_back(control);
  return reinterpret_cast<uintptr_t>(thread);
}

bool StopThread(uintptr_t handle) {
  if (handle == 0) return false;
  const HANDLE thread = reinterpret_cast<HANDLE>(handle);
  RuntimeState& state = Runtime();
  const DWORD id = GetThreadId(thread);
  WorkerControl* control = nullptr;
  if (id != 0) {
    std::lock_guard<std::mutex> lock(state.workers_lock);
    for (WorkerControl* candidate : state.workers) {
      if (candidate->thread_id == id && candidate->thread != nullptr) {
        control = candidate;
        ++control->stoppers;
        break;
      }
    }
  }
  // A thread that has ended stays as it ended (some platforms would let a
  // late TerminateThread overwrite its exit code): nothing was stopped.
  if (id != 0 && WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) {
    if (control != nullptr) {
      std::lock_guard<std::mutex> lock(state.workers_lock);
      --control->stoppers;
    }
    return false;
  }
  // Not a worker of ours: ended where it stands.
  if (control == nullptr) return TerminateThread(thread, kStoppedExitCode) != 0;
  control->stop.store(true, std::memory_order_release);
  SetEvent(control->stop_event);
  bool answer = true;
  if (id == GetCurrentThreadId()) {
    // Stopping itself: this is a safe point too.
    {
      std::lock_guard<std::mutex> lock(state.workers_lock);
      --control->stoppers;
    }
    control->phase.store(WorkerControl::kEnding, std::memory_order_release);
    ExitThread(kStoppedExitCode);
  }
  if (!WaitForWorkerEnd(control)) {
    // No safe point in time (a long foreign call or a loop that calls
    // nothing): it is ended where it stands, as for any other thread, and
    // what it held is closed for it.
    answer = TerminateThread(control->thread, kStoppedExitCode) != 0;
    if (WaitForSingleObject(control->thread, kTerminatedEndWaitMs) == WAIT_OBJECT_0) CloseHeldHandles(control);
  }
  std::lock_guard<std::mutex> lock(state.workers_lock);
  --control->stoppers;
  return answer;
}

}  // namespace rt
