// The click handler of the convert-one button: the voice file named in the
// path box becomes an MP3 beside it, through the two converter programs of
// the program folder.
#include <cstdint>
#include <string>

#include "app/batch_state.h"
#include "app/conversion_pipeline.h"
#include "app/file_conversion.h"
#include "app/handlers.h"
#include "app/runtime_access.h"
#include "app/source_selection.h"
#include "app/window_ids.h"
#include "resources/constant_data.h"

namespace app {
namespace {

// Given to a program that cannot be waited for, before its files are looked at.
constexpr uint32_t kUnwaitedPauseMs = 2000;

// Whether the folder of `file` can take the converters' files for `voice`.
Failure OutputFolderState(const std::string& file, const std::string& voice) {
  switch (ProbeFolder(FolderOf(file), RoomNeededFor(FileSize(voice)))) {
    case FolderState::kFull: return Failure::kPcmDiskFull;
    case FolderState::kNotWritable: return Failure::kPcmFolderNotWritable;
    case FolderState::kWritable: break;
  }
  return Failure::kNone;
}

// The main window takes no input while a conversion runs on its thread;
// its messages are still handled, so it paints and can be closed.
// Closing the window meanwhile abandons the conversion.
class MainWindowBusy {
 public:
  explicit MainWindowBusy(FileConversion* conversion) {
    Batch().single_conversion_running = true;
    Batch().single_conversion = conversion;
    SetWindowUsable(kMainWindow, false);
  }
  ~MainWindowBusy() {
    SetWindowUsable(kMainWindow, true);
    Batch().single_conversion = nullptr;
    Batch().single_conversion_running = false;
  }
  MainWindowBusy(const MainWindowBusy&) = delete;
  MainWindowBusy& operator=(const MainWindowBusy&) = delete;
};

}  // namespace

bool ConvertSingleFile(const rt::EventWord*, int32_t, int64_t*) {
  if (Batch().single_conversion_running) return false;
  const std::string path = PathBoxText();
  // Nothing is started for a path box that names no voice file.
  if (!IsVoiceFilePath(path.c_str())) {
    Tell(res::kConstantData.choose_folder_or_file);
    return false;
  }
  if (FileSize(path) < 0) {
    Tell(res::kConstantData.missing_voice_file + path);
    return false;
  }
  const ConversionPlan plan = PlanSingleFile(path.c_str(), ProgramFolder().c_str());
  // Nothing is started where the converters could not write their files.
  const Failure output_side = OutputFolderState(plan.pcm, plan.voice);
  if (output_side != Failure::kNone) {
    Tell(SingleFileReport(plan, output_side, false));
    return false;
  }
  const ConversionSettings settings = {Batch().converter_limit_ms, kUnwaitedPauseMs, SampleRateText};
  FileConversion conversion(plan, settings);
  {
    const MainWindowBusy busy(&conversion);
    conversion.Start();
    while (!conversion.done()) WaitAndAdvance({&conversion}, 0);
  }
  Tell(SingleFileReport(plan, conversion.failure(), conversion.intermediate_left()));
  return false;
}

}  // namespace app
