// The thread commands: run an application subroutine on a worker thread,
// and stop such a thread. Both are commands of their own library, reached
// through the library call gate.
#pragma once

#include <cstdint>

#include "runtime/commands/thread_routine.h"
#include "runtime/core/values.h"

namespace rt {

// (subroutine (a WorkerRoutine), parameter (int, may be omitted), handle
// variable (address of the caller's 32-bit variable, may be omitted)) ->
// bool. The subroutine runs at once; its result is the thread's exit code.
// With a handle variable the open handle is stored there (0 on failure);
// without one the handle is closed and the thread runs on.
void StartThread(ArgValue* result, int32_t argc, ArgValue* args);

// (thread handle) -> bool. A thread that StartThread started ends at its
// next safe point (exit code 0xFFFFFFFF) before this returns; any other is
// terminated with exit code 0xFFFFFFFF. False for 0 or an invalid handle.
// The handle stays open.
void KillThread(ArgValue* result, int32_t argc, ArgValue* args);

// (subroutine, argument int?) -> bool. Hands the subroutine (one
// pointer-sized parameter) to the window thread, which runs it with the
// argument when it next handles its messages; returns at once, never waits
// for the window thread. False when it cannot be handed over (the program is
// shutting down).
void RunOnWindowThread(ArgValue* result, int32_t argc, ArgValue* args);

// Signals that a worker's waits can take among the programs they wait for
// (WaitForPrograms), so that the window thread can ask a worker to wind
// down its work itself. () -> int: a new signal, not raised; 0 when none
// can be made.
void NewSignal(ArgValue* result, int32_t argc, ArgValue* args);
// (signal int): raises it; it stays raised.
void RaiseSignal(ArgValue* result, int32_t argc, ArgValue* args);
// (signal int): closes it; 0 is ignored.
void CloseSignal(ArgValue* result, int32_t argc, ArgValue* args);

}  // namespace rt
