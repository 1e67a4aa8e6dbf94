// The handlers of the two windows that belong to no other part of the
// application.
#include <string>

#include "app/batch_conversion.h"
#include "app/batch_state.h"
#include "app/converter.h"
#include "app/file_conversion.h"
#include "app/handlers.h"
#include "app/pending_batches.h"
#include "app/runtime_access.h"
#include "app/source_selection.h"
#include "app/window_ids.h"
#include "resources/constant_data.h"
#include "runtime/core/shutdown.h"

namespace app {

bool OnMainWindowCreated(const rt::EventWord*, int32_t, int64_t*) {
  // Only the path box takes drops; a failed registration just leaves the
  // program without them.
  RegisterPathBoxDropTarget();
  // The list window is loaded once, hidden by its template, and only shown
  // and hidden from then on.
  LoadAccountListWindow();

  Batch().converter_limit_ms = ConverterLimit(EnvironmentVariable("SONOTECA_CONVERTER_LIMIT_MS"));

  // An earlier run that was ended while an encoder ran (by the system, a
  // power cut) may have left a user's MP3 set aside in out: it goes back.
  RestoreWhatEndedBatchesSetAside(ProgramFolder());

  // A folder or voice file the program was started with (a double-click in
  // the shell's "Open with") is taken as if it had been dropped.
  const std::string argument = ProgramArgument();
  if (!argument.empty()) TakeSource(argument.c_str());
  return false;
}

bool OnMainWindowCloseQuery(const rt::EventWord*, int32_t, int64_t*) {
  // The worker has ended, and so have the converters of both forms, with
  // their files cleared, before the clean-up frees what they work from.
  StopBatch();
  if (FileConversion* single = Batch().single_conversion) single->Abandon();
  rt::ExitProgram(0);
}

bool OnStopClick(const rt::EventWord*, int32_t, int64_t*) {
  // The button stays enabled and the handle is kept: a second press, or a
  // press with no batch running, stops nothing and says the same; but a
  // batch that has finished was not stopped, and its report stands alone.
  if (StopBatch()) Tell(res::kConstantData.stopped);
  return false;
}

bool OnAccountListMouseDown(const rt::EventWord*, int32_t, int64_t*) {
  // As if the caption had been grabbed: the window follows the mouse until
  // the button is released. No value is returned, so the list still gets
  // the press.
  DragAccountListWindow();
  return false;
}

bool OnAccountListCloseQuery(const rt::EventWord*, int32_t, int64_t* value) {
  ++Batch().listing_serial;  // a listing still running ends with the window
  SetWindowShown(kAccountListWindow, false);
  SetWindowUsable(kAccountListWindow, false);
  BringMainWindowToFront();
  *value = 0;  // the window stays loaded, hidden, with its list
  return true;
}

}  // namespace app
