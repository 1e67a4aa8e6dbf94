// Handlers whose application parts are still being built: each ends the
// program with a runtime error that names it, so that nothing silently does
// less than it should.
#include "app/handlers.h"
#include "runtime/core/not_built.h"

namespace app {

#define PENDING_HANDLER(name) \
  bool name(const rt::EventWord*, int32_t, int64_t*) { rt::ReportNotBuilt(#name); }

PENDING_HANDLER(OnBatchConvertClick)
PENDING_HANDLER(StartBatchConversion)

#undef PENDING_HANDLER

}  // namespace app
