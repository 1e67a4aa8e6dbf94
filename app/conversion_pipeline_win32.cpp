// The click handler of the convert-one button: the voice file named in the
// path box becomes an MP3 beside it, through the two converter programs of
// the program folder.
#include <cstdint>
#include <string>

#include "app/batch_state.h"
#include "app/conversion_pipeline.h"
#include "app/file_conversion.h"
#include "app/handlers.h"
#include "app/owned_text.h"
#include "app/tick_count.h"
#include "app/user_message.h"
#include "app/source_selection.h"
#include "app/window_ids.h"
#include "resources/constant_data.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/shell_commands.h"
#include "runtime/commands/system_commands.h"
#include "runtime/core/property_access.h"
#include "runtime/core/thread_stop.h"
#include "runtime/core/values.h"

namespace app {
namespace {

constexpr int32_t kContent = rt::kFirstTypeProperty + rt::kEditContent;
// Given to a program that cannot be waited for, before its files are looked at.
constexpr uint32_t kUnwaitedPauseMs = 2000;
constexpr int32_t kRecheckMs = 50;

const char* ReadContent(uint32_t control) {
  return reinterpret_cast<const char*>(static_cast<intptr_t>(rt::ReadProperty(kMainWindow, control, kContent, -1)));
}

std::string ReadSampleRate() { return OwnedText(ReadContent(kSampleRateBox)).str(); }

// Whether the folder of `file` can take the converters' files.
Failure OutputFolderState(const std::string& file) {
  const std::string folder = FolderOf(file);
  rt::ArgValue arg = rt::ArgValue::Text(folder.c_str());
  switch (rt::CallCoreCommand(rt::ProbeFolder, 1, &arg).AsInt()) {
    case rt::kFolderFull: return Failure::kPcmDiskFull;
    case rt::kFolderNotWritable: return Failure::kPcmFolderNotWritable;
    default: return Failure::kNone;
  }
}

bool IsFile(const char* path) {
  rt::ArgValue arg = rt::ArgValue::Text(path);
  return rt::CallCoreCommand(rt::FileSize, 1, &arg).AsInt64() >= 0;
}

// The main window takes no input while a conversion runs on its thread;
// its messages are still handled, so it paints and can be closed.
// Closing the window meanwhile abandons the conversion.
class MainWindowBusy {
 public:
  explicit MainWindowBusy(FileConversion* conversion) {
    Batch().single_conversion_running = true;
    Batch().single_conversion = conversion;
    rt::WriteProperty(kMainWindow, 0, rt::kPropDisabled, -1, 1, 0);
  }
  ~MainWindowBusy() {
    rt::WriteProperty(kMainWindow, 0, rt::kPropDisabled, -1, 0, 0);
    Batch().single_conversion = nullptr;
    Batch().single_conversion_running = false;
  }
  MainWindowBusy(const MainWindowBusy&) = delete;
  MainWindowBusy& operator=(const MainWindowBusy&) = delete;
};

// Runs the conversion to its end, waiting for each program in turn.
void RunToEnd(FileConversion* conversion) {
  conversion->Start();
  while (!conversion->done()) {
    int32_t handle = conversion->process();
    rt::ArgValue args[3] = {rt::ArgValue::Int(1), rt::ArgValue::Address(&handle, rt::kTagInt),
                            rt::ArgValue::Int(static_cast<int32_t>(conversion->MillisecondsLeft(Now())))};
    if (rt::CallLibraryCommand(rt::WaitForPrograms, 3, args).AsInt() == rt::kWaitFailed) {
      // Not to be waited for after all: looked at again shortly, until its bound.
      rt::ArgValue pause = rt::ArgValue::Int(kRecheckMs);
      rt::CallCoreCommand(rt::Pause, 1, &pause);
    }
    conversion->Advance(Now());
  }
}

}  // namespace

bool ConvertSingleFile(const rt::EventWord*, int32_t, int64_t*) {
  if (Batch().single_conversion_running) return false;
  ConversionPlan plan;
  {
    const OwnedText path(ReadContent(kPathBox));
    // Nothing is started for a path box that names no voice file.
    if (!IsVoiceFilePath(path.get())) {
      Tell(res::kConstantData.choose_folder_or_file);
      return false;
    }
    if (!IsFile(path.get())) {
      Tell(res::kConstantData.missing_voice_file + path.str());
      return false;
    }
    const OwnedText folder(rt::CallCoreCommand(rt::ProgramFolder, 0, nullptr).AsText());
    plan = PlanSingleFile(path.get(), folder.get());
  }

  // Nothing is started where the converters could not write their files.
  const Failure output_side = OutputFolderState(plan.pcm);
  if (output_side != Failure::kNone) {
    Tell(SingleFileReport(plan, output_side, false));
    return false;
  }
  const ConversionSettings settings = {Batch().converter_limit_ms, kUnwaitedPauseMs, ReadSampleRate};
  FileConversion conversion(plan, settings);
  {
    const MainWindowBusy busy(&conversion);
    RunToEnd(&conversion);
  }
  Tell(SingleFileReport(plan, conversion.failure(), conversion.intermediate_left()));
  return false;
}

}  // namespace app
