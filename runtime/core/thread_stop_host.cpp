// The host build starts no worker threads, so no stop can be requested.
#include <chrono>
#include <thread>

#include "runtime/core/thread_stop.h"

namespace rt {

bool StopRequested() { return false; }

void ThreadSafePoint() {}

StopDeferral::StopDeferral() = default;
StopDeferral::~StopDeferral() = default;

bool PauseOrStop(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  return true;
}

}  // namespace rt
