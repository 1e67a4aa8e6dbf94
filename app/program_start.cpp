#include "app/program_start.h"

#include "app/batch_state.h"
#include "app/window_ids.h"
#include "app/program_info.h"
#include "runtime/core/shutdown.h"
#include "runtime/core/startup.h"

namespace app {

int32_t ProgramStart() {
  rt::InitialiseRuntime(ProgramInfoBlock());
  Batch() = BatchState();  // the globals, empty
  rt::RegisterExitRoutine(CleanUpBatchState);
  rt::LoadStartWindow(kMainWindow);
  rt::RunMessageLoop();
  return 0;
}

}  // namespace app
