#include "app/conversion_pipeline.h"

#include "app/converter.h"
#include "app/runtime_access.h"
#include "resources/constant_data.h"
#include "runtime/core/codepage936.h"

namespace app {
namespace {

constexpr int32_t kSuffixBytes = 4;  // ".slk" and ".amr"; the suffix itself is not examined

// A decoding reason names the voice file in a single-file message.
bool NamesVoiceFile(Failure failure) {
  return failure == Failure::kDecodeFailed || failure == Failure::kDecodeTimedOut ||
         failure == Failure::kVoiceUnreadable || failure == Failure::kVoiceTooLong;
}

// Our decoder's exit codes for a voice file it cannot read and one too long.
constexpr uint32_t kDecoderCannotRead = 1;
constexpr uint32_t kDecoderTooLong = 6;

}  // namespace

std::string FolderOf(const std::string& path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (rt::IsLeadByte936(static_cast<uint8_t>(path[i])) && i + 1 < path.size()) {
      ++i;  // its second byte may be 0x5C and is no separator
    } else if (path[i] == '\\') {
      last = i;
    }
  }
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

ConversionPlan PlanSingleFile(const char* voice_path, const char* program_folder) {
  const std::string d = program_folder != nullptr ? program_folder : "";
  // A path of four bytes or fewer leaves an empty base: the files are then
  // ".pcm" and ".mp3" in the current directory.
  const std::string base = LeftBytes(voice_path, TextBytes(voice_path) - kSuffixBytes);
  ConversionPlan plan;
  plan.voice = voice_path != nullptr ? voice_path : "";
  plan.decoder = DecoderPath(d);
  plan.encoder = EncoderPath(d);
  plan.decoder_parameters = SingleDecoderParameters(plan.voice, base);
  plan.pcm = base + ".pcm";
  plan.encoder_input = plan.pcm;
  plan.mp3 = base + ".mp3";
  return plan;
}

ConversionPlan PlanBatchFile(const std::string& voice, const std::string& name, const std::string& program_folder,
                             const std::string& account) {
  ConversionPlan plan;
  plan.voice = voice;
  plan.decoder = DecoderPath(program_folder);
  plan.encoder = EncoderPath(program_folder);
  plan.decoder_parameters = BatchDecoderParameters(voice, program_folder, name);
  plan.pcm = OutFolder(program_folder) + "\\" + name + ".pcm";
  // The encoder is told the same file with forward slashes.
  plan.encoder_input = program_folder + "/out/" + name + ".pcm";
  plan.mp3 = AccountOutFolder(program_folder, account) + "\\" + name + ".mp3";
  plan.name = name;
  return plan;
}

std::string EncoderParameters(const ConversionPlan& plan, const std::string& rate) {
  return EncoderParametersFor(rate, plan.encoder_input, plan.mp3);
}

Failure JudgeDecoder(const StageOutcome& decoder, int64_t pcm_size) {
  if (!decoder.started) return Failure::kDecoderNotStarted;
  if (decoder.timed_out) return Failure::kDecodeTimedOut;
  if (decoder.waited && decoder.exit_code == kDecoderCannotRead) return Failure::kVoiceUnreadable;
  if (decoder.waited && decoder.exit_code == kDecoderTooLong) return Failure::kVoiceTooLong;
  if (decoder.waited && decoder.exit_code != 0) return Failure::kDecodeFailed;
  return pcm_size > 0 ? Failure::kNone : Failure::kDecodeFailed;
}

Failure JudgeEncoder(const StageOutcome& encoder, int64_t mp3_size) {
  if (!encoder.started) return Failure::kEncoderNotStarted;
  if (encoder.timed_out) return Failure::kNotProduced;
  if (encoder.waited && encoder.exit_code != 0) return Failure::kNotProduced;
  return mp3_size > 0 ? Failure::kNone : Failure::kNotProduced;
}

std::string FailureReason(const ConversionPlan& plan, Failure failure) {
  const res::ConstantData& c = res::kConstantData;
  switch (failure) {
    case Failure::kNone: return std::string();
    case Failure::kDecoderNotStarted: return c.cannot_start + plan.decoder;
    case Failure::kDecodeFailed: return c.decode_failed;
    case Failure::kDecodeTimedOut: return c.decode_timed_out;
    case Failure::kVoiceUnreadable: return c.voice_unreadable;
    case Failure::kVoiceTooLong: return c.voice_too_long;
    case Failure::kEncoderNotStarted: return c.cannot_start + plan.encoder;
    case Failure::kNotProduced: return c.not_produced + plan.mp3;
    case Failure::kPcmFolderNotWritable: return c.cannot_write_folder + FolderOf(plan.pcm);
    case Failure::kPcmDiskFull: return c.disk_full + FolderOf(plan.pcm);
    case Failure::kMp3FolderNotWritable: return c.cannot_write_folder + FolderOf(plan.mp3);
    case Failure::kMp3DiskFull: return c.disk_full + FolderOf(plan.mp3);
    case Failure::kOldMp3ReadOnly: return c.old_mp3_read_only + plan.mp3;
    case Failure::kOldMp3InUse: return c.old_mp3_in_use + plan.mp3;
    case Failure::kNameUnusable: return c.unusable_name + plan.voice;
  }
  return std::string();
}

std::string FailureLine(const ConversionPlan& plan, Failure failure) {
  if (failure == Failure::kNameUnusable) return FailureReason(plan, failure);
  return plan.voice + res::kConstantData.colon + FailureReason(plan, failure);
}

std::string SingleFileReport(const ConversionPlan& plan, Failure failure, bool intermediate_left) {
  const res::ConstantData& c = res::kConstantData;
  if (failure == Failure::kNone && !intermediate_left) return c.converted;
  std::string report = failure == Failure::kNone ? std::string(c.converted) : c.failed + FailureReason(plan, failure);
  if (NamesVoiceFile(failure)) report += c.colon + plan.voice;
  if (intermediate_left) report += "\r\n" + (c.intermediate_left + plan.pcm);
  return report;
}

std::string BatchSummary(int32_t converted, const std::vector<std::string>& reasons,
                         const std::string& failure_list_path, bool list_written) {
  const res::ConstantData& c = res::kConstantData;
  if (reasons.empty()) {
    return list_written ? std::string(c.converted)
                        : c.converted + ("\r\n" + (c.failure_list_not_removed + failure_list_path));
  }
  std::string summary = c.summary_done + std::to_string(converted) + c.summary_failed +
                        std::to_string(reasons.size()) + c.summary_end;
  for (size_t i = 0; i < reasons.size() && i < kFailuresShown; ++i) summary += "\r\n" + reasons[i];
  if (reasons.size() > kFailuresShown) summary += "\r\n……";
  summary += "\r\n" + ((list_written ? c.failure_list : c.failure_list_not_written) + failure_list_path);
  return summary;
}

}  // namespace app
