#include "app/user_message.h"

#include "runtime/commands/system_commands.h"
#include "runtime/core/values.h"

namespace app {

void Tell(const std::string& message) {
  rt::ArgValue args[2] = {rt::ArgValue::Text(message.c_str()), rt::ArgValue::Int(0)};
  rt::CallCoreCommand(rt::ShowMessageBox, 2, args);
}

}  // namespace app
