// The application's messages to the user: a message box with one OK button,
// no icon, the default title and no owner, that returns once it is closed.
// Windows builds only.
#pragma once

#include <string>

namespace app {

void Tell(const std::string& message);

}  // namespace app
