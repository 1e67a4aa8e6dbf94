// Safe points of worker threads. A worker started by the thread commands is
// never cut off where it stands: a request to stop it is honoured at the
// next safe point (every command call, foreign call, pause, wait for a
// started program and step of a file search), where it holds no lock, and
// the thread then ends with exit code 0xFFFFFFFF. On threads that no thread
// command started, and in a build without worker threads, all of this is a
// no-op.
#pragma once

#include <cstdint>

namespace rt {

// Whether a stop was requested for the calling thread.
bool StopRequested();

// Ends the calling thread with exit code 0xFFFFFFFF if a stop was requested
// for it; returns at once otherwise.
void ThreadSafePoint();

// Waits `ms` milliseconds; on a worker the wait is cut short by a stop
// request. Returns false when it was cut short (the caller then releases
// what it holds and reaches a safe point), true after the full time.
bool PauseOrStop(uint32_t ms);

// Waits up to `ms` milliseconds for a platform object such as a started
// program (0xFFFFFFFF: no limit); on a worker the wait is cut short by a
// stop request. Windows builds only.
enum class WaitOutcome { kSignalled, kTimedOut, kStopRequested, kFailed };
WaitOutcome WaitForObjectOrStop(uintptr_t object, uint32_t ms);

// Waits up to `ms` milliseconds until one of `count` objects (at most 63)
// is signalled and returns its index; kWaitTimedOut, kWaitStopRequested (a
// worker asked to stop) or kWaitFailed otherwise. On the window thread the
// thread's messages are handled meanwhile, so its windows keep answering.
// Windows builds only.
constexpr int32_t kWaitTimedOut = -1;
constexpr int32_t kWaitStopRequested = -2;
constexpr int32_t kWaitFailed = -3;
int32_t WaitForAnyOrStop(const uintptr_t* objects, uint32_t count, uint32_t ms);

// A stretch of a worker that must not be cut off: inside a program start the
// shell and the loader hold locks that the rest of the process needs, and a
// handle must not be lost between its opening and its closing. While one is
// open, safe points do not end the worker, and a stop waits for its end (a
// bounded time) instead of ending the thread where it stands. Nests; a no-op
// on other threads.
class StopDeferral {
 public:
  StopDeferral();
  ~StopDeferral();
  StopDeferral(const StopDeferral&) = delete;
  StopDeferral& operator=(const StopDeferral&) = delete;
};

// Handles a worker keeps across safe points (a file search, a started
// program): should a stop end the worker, the runtime closes the ones still
// held. HoldWorkerHandle on another thread does nothing. Windows builds only.
enum class HeldHandleKind { kKernelObject, kFileSearch };
void HoldWorkerHandle(uintptr_t handle, HeldHandleKind kind);
void ReleaseWorkerHandle(uintptr_t handle);

// Worker threads (Windows builds only). StartWorkerThread runs the
// application subroutine at `routine` (platform thread-start convention:
// one parameter, its result becomes the exit code) on a new thread with
// `parameter` and returns the platform's thread handle, 0 on failure; the
// caller owns that handle. StopThread stops the thread of `handle`: one that
// StartWorkerThread started ends at its next safe point, and a message box
// it shows is closed; StopThread returns once it has ended. One that reaches
// no safe point within a second of the stop, or of the end of its last
// stretch that must not be cut, is ended where it stands, but never in its
// start-up or its own ending, where the loader holds its lock for it. Any
// other thread is terminated where it stands with exit code 0xFFFFFFFF. Returns the platform's answer: true when the thread was
// stopped, false for 0 or an invalid handle.
constexpr uint32_t kDeferredStopLimitMs = 10000;
uintptr_t StartWorkerThread(uintptr_t routine, uintptr_t parameter);
bool StopThread(uintptr_t handle);

}  // namespace rt
