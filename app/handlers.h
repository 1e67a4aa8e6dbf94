// The application's event handlers, in the order of the handler table.
#pragma once

#include <cstdint>

#include "runtime/core/events.h"

namespace app {

#define SONOTECA_HANDLER(name) bool name(const rt::EventWord* args, int32_t count, int64_t* value);
#include "resources/handlers.def"
#undef SONOTECA_HANDLER

// The handler table: its start is the code base of the window template's
// handler offsets; it ends with a null entry.
extern const rt::HandlerFn kHandlerTable[];

}  // namespace app
