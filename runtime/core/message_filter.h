// The program windows' filtering of messages before dispatch: keyboard
// navigation, accelerators, unit type filters and the common mouse,
// keyboard and character events of every unit.
#pragma once

#include <cstdint>

struct tagMSG;  // the platform's MSG

namespace rt {

// Offers a retrieved message to every loaded
// program window that is the target or one of its ancestors. True means
// the message is finished and must not be translated or dispatched: it was
// taken, swallowed by a handler, or its window went away while a handler
// ran. A handler may have replaced a character in the message.
bool FilterMessage(tagMSG* message);

}  // namespace rt
