// The click handler of the convert-one button: the voice file named in the
// path box becomes an MP3 beside it, through the two converter programs of
// the program folder.
#include <cstdint>
#include <string>

#include "app/conversion_pipeline.h"
#include "app/converter.h"
#include "app/handlers.h"
#include "app/window_ids.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/system_commands.h"
#include "runtime/core/heap.h"
#include "runtime/core/property_access.h"
#include "runtime/core/values.h"

namespace app {
namespace {

constexpr int32_t kContent = rt::kFirstTypeProperty + rt::kEditContent;
// Left for a program that could not be waited for, before its files are touched.
constexpr int32_t kUnwaitedPauseMs = 2000;
constexpr int32_t kNoFile = -1;
constexpr int32_t kFolderAttribute = 0x10;

class OwnedText {
 public:
  explicit OwnedText(const char* text) : text_(const_cast<char*>(text)) {}
  ~OwnedText() { rt::FreeMemory(text_); }
  OwnedText(const OwnedText&) = delete;
  OwnedText& operator=(const OwnedText&) = delete;
  const char* get() const { return text_; }
  std::string str() const { return text_ != nullptr ? text_ : ""; }

 private:
  char* text_;
};

const char* ReadContent(uint32_t control) {
  return reinterpret_cast<const char*>(static_cast<intptr_t>(rt::ReadProperty(kMainWindow, control, kContent, -1)));
}

bool IsFile(const std::string& path) {
  rt::ArgValue args[1] = {rt::ArgValue::Text(path.c_str())};
  const int32_t attributes = rt::CallCoreCommand(rt::FileAttributes, 1, args).AsInt();
  return attributes != kNoFile && (attributes & kFolderAttribute) == 0;
}

}  // namespace

bool ConvertSingleFile(const rt::EventWord*, int32_t, int64_t*) {
  SingleFilePlan plan;
  {
    const OwnedText path(ReadContent(kPathBox));
    const OwnedText folder(rt::CallCoreCommand(rt::ProgramFolder, 0, nullptr).AsText());
    plan = PlanSingleFile(path.get(), folder.get());
  }

  // Each start waits for its program, so the encoder never reads a
  // half-written intermediate file. Without a decoder there is nothing for
  // the encoder to read, so it is not started.
  const ConverterRun decoded = RunConverter(plan.decoder.c_str(), plan.decoder_parameters.c_str());
  ConverterRun encoded;
  if (decoded.started) {
    const OwnedText rate(ReadContent(kSampleRateBox));
    encoded = RunConverter(plan.encoder.c_str(), SingleEncoderParameters(rate.str(), plan.base).c_str());
  }
  // Both programs have ended when they could be waited for; only one that
  // could not be is given time before its files are removed and checked.
  if (MayStillRun(decoded) || MayStillRun(encoded)) {
    rt::ArgValue pause[1] = {rt::ArgValue::Int(kUnwaitedPauseMs)};
    rt::CallCoreCommand(rt::Pause, 1, pause);
  }
  TerminateConsoleHost();
  rt::ArgValue remove[1] = {rt::ArgValue::Text(plan.pcm.c_str())};
  rt::CallCoreCommand(rt::RemoveFile, 1, remove);

  const std::string report = SingleFileReport(plan, decoded, encoded, IsFile(plan.mp3));
  rt::ArgValue box[2] = {rt::ArgValue::Text(report.c_str()), rt::ArgValue::Int(0)};
  rt::CallCoreCommand(rt::ShowMessageBox, 2, box);
  return false;
}

}  // namespace app
