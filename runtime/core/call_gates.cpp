#include "runtime/core/thread_stop.h"
#include "runtime/core/values.h"

namespace rt {

// Both gates are safe points: a worker asked to stop ends before the
// command runs, or after it and before its caller sees the result.
ArgValue CallCoreCommand(CommandFn command, int32_t argc, ArgValue* args) {
  ThreadSafePoint();
  ArgValue result{};
  command(&result, argc, args);
  ThreadSafePoint();
  return result;
}

ArgValue CallLibraryCommand(CommandFn command, int32_t argc, ArgValue* args) {
  ThreadSafePoint();
  ArgValue result{};
  command(&result, argc, args);
  ThreadSafePoint();
  return result;
}

}  // namespace rt
