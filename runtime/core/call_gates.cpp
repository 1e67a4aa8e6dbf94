#include "runtime/core/values.h"

namespace rt {

ArgValue CallCoreCommand(CommandFn command, int32_t argc, ArgValue* args) {
  ArgValue result{};
  command(&result, argc, args);
  return result;
}

ArgValue CallLibraryCommand(CommandFn command, int32_t argc, ArgValue* args) {
  ArgValue result{};
  command(&result, argc, args);
  return result;
}

}  // namespace rt
