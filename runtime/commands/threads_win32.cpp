#include <windows.h>

#include <type_traits>

#include "runtime/commands/threads.h"
#include "runtime/core/thread_stop.h"
#include "runtime/core/window_thread_call.h"

namespace rt {

// The convention declared for StartThread's subroutines is the platform's.
static_assert(std::is_same<WorkerRoutine, UINT(WINAPI*)(LPVOID)>::value, "a worker is a thread-start routine");

void StartThread(ArgValue* result, int32_t argc, ArgValue* args) {
  const uintptr_t routine = argc >= 1 ? args[0].AsAddress() : 0;
  const uintptr_t parameter = argc >= 2 && !args[1].IsOmitted() ? args[1].AsAddress() : 0;
  const uintptr_t handle = StartWorkerThread(routine, parameter);
  SetBool(result, handle != 0);
  int32_t* variable = nullptr;
  if (argc >= 3 && !args[2].IsOmitted()) {
    variable = reinterpret_cast<int32_t*>(args[2].AsAddress());
  }
  if (variable != nullptr) {
    // Thread handles fit 32 bits on every Windows (sign-extended on 64-bit).
    *variable = static_cast<int32_t>(static_cast<intptr_t>(handle));
  } else if (handle != 0) {
    CloseHandle(reinterpret_cast<HANDLE>(handle));
  }
}

void KillThread(ArgValue* result, int32_t argc, ArgValue* args) {
  const intptr_t handle = argc >= 1 ? static_cast<intptr_t>(args[0].AsInt()) : 0;
  SetBool(result, StopThread(static_cast<uintptr_t>(handle)));
}

void RunOnWindowThread(ArgValue* result, int32_t argc, ArgValue* args) {
  const uintptr_t routine = argc >= 1 ? args[0].AsAddress() : 0;
  const uintptr_t argument = argc >= 2 && !args[1].IsOmitted() ? args[1].AsAddress() : 0;
  SetBool(result, PostToWindowThread(reinterpret_cast<WindowThreadRoutine>(routine), argument));
}

namespace {

// Event handles fit 32 bits on every Windows (sign-extended on 64-bit).
HANDLE SignalOf(int32_t argc, const ArgValue* args) {
  return argc >= 1 ? reinterpret_cast<HANDLE>(static_cast<intptr_t>(args[0].AsInt())) : nullptr;
}

}  // namespace

void NewSignal(ArgValue* result, int32_t, ArgValue*) {
  const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetInt(result, static_cast<int32_t>(reinterpret_cast<intptr_t>(event)));
}

void RaiseSignal(ArgValue*, int32_t argc, ArgValue* args) {
  if (const HANDLE event = SignalOf(argc, args)) SetEvent(event);
}

void CloseSignal(ArgValue*, int32_t argc, ArgValue* args) {
  if (const HANDLE event = SignalOf(argc, args)) CloseHandle(event);
}

}  // namespace rt
