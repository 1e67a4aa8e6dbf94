// The program's millisecond clock, for the bounds and pauses of the window
// thread and the worker: time the PC was awake, so a conversion running
// when the PC goes to sleep does not time out on its resume.
#pragma once

#include <cstdint>

#include "runtime/commands/system_commands.h"
#include "runtime/core/values.h"

namespace app {

// Wraps after 49.7 days; differences of two counts stay right across the wrap.
inline uint32_t Now() { return static_cast<uint32_t>(rt::CallCoreCommand(rt::AwakeMilliseconds, 0, nullptr).AsInt()); }

}  // namespace app
