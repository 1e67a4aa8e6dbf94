#include "app/conversion_pipeline.h"

#include <cstdint>

#include "resources/constant_data.h"
#include "runtime/commands/text_commands.h"
#include "runtime/core/heap.h"
#include "runtime/core/values.h"

namespace app {
namespace {

constexpr int32_t kSuffixBytes = 4;  // ".slk" and ".amr"; the suffix itself is not examined

std::string TakeText(const rt::ArgValue& value) {
  char* text = const_cast<char*>(value.AsText());
  std::string copy = text != nullptr ? text : "";
  rt::FreeMemory(text);
  return copy;
}

}  // namespace

SingleFilePlan PlanSingleFile(const char* voice_path, const char* program_folder) {
  const std::string p = voice_path != nullptr ? voice_path : "";
  const std::string d = program_folder != nullptr ? program_folder : "";
  // A path of four bytes or fewer leaves an empty base: the files are then
  // ".pcm" and ".mp3" in the current directory.
  rt::ArgValue length_args[1] = {rt::ArgValue::Text(voice_path)};
  const int32_t length = rt::CallCoreCommand(rt::TextLength, 1, length_args).AsInt();
  rt::ArgValue left_args[2] = {rt::ArgValue::Text(voice_path), rt::ArgValue::Int(length - kSuffixBytes)};
  SingleFilePlan plan;
  plan.base = TakeText(rt::CallCoreCommand(rt::LeftOfText, 2, left_args));
  plan.decoder = DecoderPath(d);
  plan.encoder = EncoderPath(d);
  plan.decoder_parameters = SingleDecoderParameters(p, plan.base);
  plan.pcm = plan.base + ".pcm";
  plan.mp3 = plan.base + ".mp3";
  return plan;
}

std::string SingleFileReport(const SingleFilePlan& plan, const ConverterRun& decoder,
                             const ConverterRun& encoder, bool output_exists) {
  if (!decoder.started) return res::kConstantData.cannot_start + plan.decoder;
  if (!encoder.started) return res::kConstantData.cannot_start + plan.encoder;
  if (!output_exists) return res::kConstantData.not_produced + plan.mp3;
  return res::kConstantData.converted;
}

bool MayStillRun(const ConverterRun& run) { return run.started && !run.ended; }

}  // namespace app
