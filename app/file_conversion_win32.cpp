#include "app/file_conversion.h"

#include "app/converter.h"
#include "app/tick_count.h"
#include "runtime/commands/shell_commands.h"
#include "runtime/commands/system_commands.h"
#include "runtime/core/values.h"

namespace app {
namespace {

constexpr char kSetAsideSuffix[] = ".sonoteca-old";

int64_t FileSizeOf(const std::string& path) {
  rt::ArgValue arg = rt::ArgValue::Text(path.c_str());
  return rt::CallCoreCommand(rt::FileSize, 1, &arg).AsInt64();
}

bool Remove(const std::string& path) {
  rt::ArgValue arg = rt::ArgValue::Text(path.c_str());
  return rt::CallCoreCommand(rt::RemoveFile, 1, &arg).AsInt() != 0;
}

bool Rename(const std::string& from, const std::string& to) {
  rt::ArgValue args[2] = {rt::ArgValue::Text(from.c_str()), rt::ArgValue::Text(to.c_str())};
  return rt::CallCoreCommand(rt::RenameFile, 2, args).AsInt() != 0;
}

bool BeginsWith(const std::string& path, const char* prefix) {
  rt::ArgValue args[2] = {rt::ArgValue::Text(path.c_str()), rt::ArgValue::Text(prefix)};
  return rt::CallCoreCommand(rt::FileBeginsWith, 2, args).AsInt() != 0;
}

// A real AMR recording, not SILK under an .amr name.
bool IsAmrRecording(const std::string& path) {
  return BeginsWith(path, kAmrNbHeader) || BeginsWith(path, kAmrWbHeader);
}

void KeepWriteTime(const std::string& from, const std::string& to) {
  rt::ArgValue args[2] = {rt::ArgValue::Text(from.c_str()), rt::ArgValue::Text(to.c_str())};
  rt::CallCoreCommand(rt::CopyWriteTime, 2, args);
}

void PauseFor(uint32_t ms) {
  rt::ArgValue arg = rt::ArgValue::Int(static_cast<int32_t>(ms));
  rt::CallCoreCommand(rt::Pause, 1, &arg);
}

}  // namespace

FileConversion::FileConversion(const ConversionPlan& plan, const ConversionSettings& settings)
    : plan_(plan), settings_(settings) {}

void FileConversion::Start() {
  if (IsAmrRecording(plan_.voice)) {
    // No decoder and no intermediate file: the encoder reads it itself.
    amr_recording_ = true;
    SetAsideOldOutput();
    stage_ = Stage::kEncoding;
    StartStage(plan_.encoder, AmrEncoderParameters(plan_.voice, plan_.mp3));
    return;
  }
  Remove(plan_.pcm);
  stage_ = Stage::kDecoding;
  StartStage(plan_.decoder, plan_.decoder_parameters);
}

uint32_t FileConversion::MillisecondsLeft(uint32_t now) const {
  const uint32_t ran = now - started_at_;
  return ran >= settings_.limit_ms ? 0 : settings_.limit_ms - ran;
}

void FileConversion::StartStage(const std::string& executable, const std::string& parameters) {
  int32_t handle = 0;
  const int32_t started = StartConverter(executable.c_str(), parameters.c_str(), &handle);
  StageOutcome outcome;
  if (started == rt::kProgramStarted) {
    process_ = handle;
    started_at_ = Now();
    return;
  }
  if (started == rt::kProgramUnwaitable) {
    // Nothing to wait for: the program is given a fixed time instead.
    outcome.started = true;
    PauseFor(settings_.unwaited_pause_ms);
  }
  Judge(outcome);
}

void FileConversion::Advance(uint32_t now) {
  if (done_ || process_ == 0) return;
  StageOutcome outcome;
  outcome.started = true;
  outcome.waited = true;
  if (!ConverterExitCode(process_, &outcome.exit_code)) {
    if (MillisecondsLeft(now) > 0) return;  // neither ended nor out of time
    // Past its bound: it is ended, so that its files can be cleared away.
    outcome.timed_out = true;
    EndConverter(process_);
  }
  CloseConverter(process_);
  process_ = 0;
  Judge(outcome);
}

void FileConversion::Judge(const StageOutcome& outcome) {
  if (stage_ == Stage::kDecoding) {
    AfterDecoder(outcome);
  } else {
    AfterEncoder(outcome);
  }
}

void FileConversion::AfterDecoder(const StageOutcome& outcome) {
  const Failure failure = JudgeDecoder(outcome, FileSizeOf(plan_.pcm));
  if (failure != Failure::kNone) {
    // A decoder that could not be ended may keep the file open: then it
    // stays, and the user is told.
    if (outcome.started) intermediate_left_ = !Remove(plan_.pcm) && FileSizeOf(plan_.pcm) >= 0;
    Finish(failure);
    return;
  }
  // The encoder reads only what a decoder that has ended wrote.
  SetAsideOldOutput();
  stage_ = Stage::kEncoding;
  StartStage(plan_.encoder, EncoderParameters(plan_, settings_.read_rate()));
}

void FileConversion::AfterEncoder(const StageOutcome& outcome) {
  const Failure failure = JudgeEncoder(outcome, FileSizeOf(plan_.mp3));
  if (failure == Failure::kNone) {
    if (!set_aside_.empty()) Remove(set_aside_);
    // Sorted by date, the MP3s of an account are in the order of the messages.
    KeepWriteTime(plan_.voice, plan_.mp3);
  } else if (!old_in_place_) {
    Remove(plan_.mp3);  // what a failed run left is no MP3
    RestoreOldOutput();
  }
  if (!amr_recording_) intermediate_left_ = !Remove(plan_.pcm) && FileSizeOf(plan_.pcm) >= 0;
  Finish(failure);
}

void FileConversion::Finish(Failure failure) {
  failure_ = failure;
  done_ = true;
}

void FileConversion::SetAsideOldOutput() {
  set_aside_.clear();
  old_in_place_ = false;
  if (FileSizeOf(plan_.mp3) < 0) return;
  const std::string aside = plan_.mp3 + kSetAsideSuffix;
  if (Rename(plan_.mp3, aside)) {
    set_aside_ = aside;
  } else {
    old_in_place_ = true;  // then only the encoder's exit code can tell
  }
}

void FileConversion::RestoreOldOutput() {
  if (set_aside_.empty()) return;
  Rename(set_aside_, plan_.mp3);
  set_aside_.clear();
}

}  // namespace app
