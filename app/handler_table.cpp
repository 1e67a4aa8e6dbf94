#include "app/handlers.h"

namespace app {

const rt::HandlerFn kHandlerTable[] = {
#define SONOTECA_HANDLER(name) name,
#include "resources/handlers.def"
#undef SONOTECA_HANDLER
    nullptr,
};

}  // namespace app
