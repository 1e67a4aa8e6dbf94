// The handlers of the two windows that belong to no other part of the
// application, and the ids of what they touch.
#include "app/batch_conversion.h"
#include "app/batch_state.h"
#include "app/converter.h"
#include "app/file_conversion.h"
#include "app/file_walk.h"
#include "app/handlers.h"
#include "app/owned_text.h"
#include "app/source_selection.h"
#include "app/user_message.h"
#include "app/window_ids.h"
#include "resources/constant_data.h"
#include "runtime/commands/control_commands.h"
#include "runtime/commands/system_commands.h"
#include "runtime/commands/threads.h"
#include "runtime/core/property_access.h"
#include "runtime/core/shutdown.h"
#include "runtime/core/unit_record.h"
#include "runtime/core/values.h"

namespace app {

void StopWorker() {
  rt::ArgValue handle = rt::ArgValue::Int(static_cast<int32_t>(Batch().worker_thread_handle));
  rt::ArgValue* arg = &handle;
  // Ignored: with no batch started the handle is 0 and nothing is stopped.
  rt::CallLibraryCommand(rt::KillThread, 1, arg);
}

void ForgetWorker() {
  BatchState& batch = Batch();
  if (batch.worker_thread_handle == 0) return;
  CloseHandleOf(batch.worker_thread_handle);
  batch.worker_thread_handle = 0;
}

void BringMainWindowToFront() {
  rt::WriteProperty(kMainWindow, 0, rt::kPropDisabled, -1, 0, 0);
  rt::WriteProperty(kMainWindow, 0, kPropAlwaysOnTop, -1, 1, 0);
  rt::WriteProperty(kMainWindow, 0, kPropAlwaysOnTop, -1, 0, 0);
}

namespace {

// A callback of the file walk: an MP3 found set aside goes back.
void RestoreFoundSetAside(uintptr_t folder, uintptr_t name) {
  const char* f = reinterpret_cast<const char*>(folder);
  const char* n = reinterpret_cast<const char*>(name);
  const std::string aside = std::string(f != nullptr ? f : "") + (n != nullptr ? n : "");
  const size_t suffix = sizeof kSetAsideSuffix - 1;
  if (aside.size() > suffix) RestoreSetAside(aside.substr(0, aside.size() - suffix));
}

}  // namespace

bool OnMainWindowCreated(const rt::EventWord*, int32_t, int64_t*) {
  // Only the path box takes drops; a failed registration just leaves the
  // program without them.
  rt::ArgValue path_box = rt::MakeControlRef(kMainWindow, kPathBox, rt::kTypeEditBox);
  const rt::ArgValue handle = rt::CallCoreCommand(rt::ControlWindowHandle, 1, &path_box);
  rt::ArgValue drop[2] = {rt::MakeControlRef(kMainWindow, kDropTarget, rt::kTypeDropTarget),
                          rt::ArgValue::Int(handle.AsInt())};
  rt::CallLibraryCommand(rt::RegisterDropTarget, 2, drop);

  // The list window is loaded once, hidden by its template, and only shown
  // and hidden from then on.
  rt::ArgValue load[3] = {rt::MakeControlRef(kAccountListWindow, 0, rt::kTypeWindow), rt::ArgValue::Omitted(),
                          rt::ArgValue::Bool(false)};
  rt::CallCoreCommand(rt::LoadWindowCommand, 3, load);

  rt::ArgValue limit = rt::ArgValue::Text("SONOTECA_CONVERTER_LIMIT_MS");
  Batch().converter_limit_ms =
      ConverterLimit(OwnedText(rt::CallCoreCommand(rt::EnvironmentVariable, 1, &limit).AsText()).str());

  // An earlier run that was ended while an encoder ran (by the system, a
  // power cut) may have left a user's MP3 set aside in out: it goes back.
  const OwnedText folder(rt::CallCoreCommand(rt::ProgramFolder, 0, nullptr).AsText());
  WalkFiles(folder.str() + "\\out", std::string("*") + kSetAsideSuffix, RestoreFoundSetAside);

  // A folder or voice file the program was started with (a double-click in
  // the shell's "Open with") is taken as if it had been dropped.
  const OwnedText argument(rt::CallCoreCommand(rt::ProgramArgument, 0, nullptr).AsText());
  if (!argument.empty()) TakeSource(argument.get());
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
  rt::ArgValue message[4] = {rt::MakeControlRef(kAccountListWindow, 0x0601002B, rt::kTypeWindow),
                             rt::ArgValue::Int(0xA1 /* WM_NCLBUTTONDOWN */),
                             rt::ArgValue::Int(2 /* HTCAPTION */), rt::ArgValue::Int(0)};
  rt::CallCoreCommand(rt::SendControlMessage, 4, message);
  return false;
}

bool OnAccountListCloseQuery(const rt::EventWord*, int32_t, int64_t* value) {
  ++Batch().listing_serial;  // a listing still running ends with the window
  rt::WriteProperty(kAccountListWindow, 0, rt::kPropVisible, -1, 0, 0);
  rt::WriteProperty(kAccountListWindow, 0, rt::kPropDisabled, -1, 1, 0);
  BringMainWindowToFront();
  *value = 0;  // the window stays loaded, hidden, with its list
  return true;
}

}  // namespace app
