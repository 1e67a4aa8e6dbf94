// The handlers of the two windows that belong to no other part of the
// application, and the ids of what they touch.
#include "app/batch_state.h"
#include "app/handlers.h"
#include "app/window_ids.h"
#include "runtime/commands/threads.h"
#include "runtime/core/property_access.h"
#include "runtime/core/shutdown.h"
#include "runtime/core/values.h"

namespace app {

void StopWorker() {
  rt::ArgValue handle = rt::ArgValue::Int(static_cast<int32_t>(Batch().worker_thread_handle));
  rt::ArgValue* arg = &handle;
  // Ignored: with no batch started the handle is 0 and nothing is stopped.
  rt::CallLibraryCommand(rt::KillThread, 1, arg);
}

void BringMainWindowToFront() {
  rt::WriteProperty(kMainWindow, 0, rt::kPropDisabled, -1, 0, 0);
  rt::WriteProperty(kMainWindow, 0, kPropAlwaysOnTop, -1, 1, 0);
  rt::WriteProperty(kMainWindow, 0, kPropAlwaysOnTop, -1, 0, 0);
}

bool OnMainWindowCloseQuery(const rt::EventWord*, int32_t, int64_t*) {
  StopWorker();
  rt::ExitProgram(0);
}

bool OnAccountListCloseQuery(const rt::EventWord*, int32_t, int64_t* value) {
  rt::WriteProperty(kAccountListWindow, 0, rt::kPropVisible, -1, 0, 0);
  rt::WriteProperty(kAccountListWindow, 0, rt::kPropDisabled, -1, 1, 0);
  BringMainWindowToFront();
  *value = 0;  // the window stays loaded, hidden, with its list
  return true;
}

}  // namespace app
