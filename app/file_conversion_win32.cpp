#include "app/file_conversion.h"

#include "app/converter.h"
#include "app/tick_count.h"
#include "runtime/commands/shell_commands.h"
#include "runtime/commands/system_commands.h"
#include "runtime/core/values.h"

namespace app {
namespace {

constexpr int32_t kReadOnlyBit = 0x01;
constexpr int32_t kFolderBit = 0x10;
// What our decoder's exit code says of an output it could not write.
constexpr uint32_t kDecoderCannotWrite = 7;

int64_t FileSizeOf(const std::string& path) {
  rt::ArgValue arg = rt::ArgValue::Text(path.c_str());
  return rt::CallCoreCommand(rt::FileSize, 1, &arg).AsInt64();
}

int32_t AttributesOf(const std::string& path) {
  rt::ArgValue arg = rt::ArgValue::Text(path.c_str());
  return rt::CallCoreCommand(rt::FileAttributes, 1, &arg).AsInt();
}

bool Remove(const std::string& path) {
  rt::ArgValue arg = rt::ArgValue::Text(path.c_str());
  return rt::CallCoreCommand(rt::RemoveFile, 1, &arg).AsInt() != 0;
}

bool Rename(const std::string& from, const std::string& to) {
  rt::ArgValue args[2] = {rt::ArgValue::Text(from.c_str()), rt::ArgValue::Text(to.c_str())};
  return rt::CallCoreCommand(rt::RenameFile, 2, args).AsInt() != 0;
}

int32_t FolderStateOf(const std::string& folder) {
  rt::ArgValue arg = rt::ArgValue::Text(folder.c_str());
  return rt::CallCoreCommand(rt::ProbeFolder, 1, &arg).AsInt();
}

bool BeginsWith(const std::string& path, const char* prefix) {
  rt::ArgValue args[2] = {rt::ArgValue::Text(path.c_str()), rt::ArgValue::Text(prefix)};
  return rt::CallCoreCommand(rt::FileBeginsWith, 2, args).AsInt() != 0;
}

// A real AMR recording, not SILK under an .amr name.
bool IsAmrRecording(const std::string& path) {
  return BeginsWith(path, kAmrHeader);
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

bool RestoreSetAside(const std::string& mp3) {
  const std::string aside = mp3 + kSetAsideSuffix;
  if (FileSizeOf(aside) < 0) return true;
  return Rename(aside, mp3);
}

FileConversion::FileConversion(const ConversionPlan& plan, const ConversionSettings& settings)
    : plan_(plan), settings_(settings) {}

FileConversion::~FileConversion() {
  if (!done_) Abandon();
}

void FileConversion::Start() {
  if (IsAmrRecording(plan_.voice)) {
    // No decoder and no intermediate file: the encoder reads it itself.
    amr_recording_ = true;
    stage_ = Stage::kEncoding;
    StartEncoder(AmrEncoderParameters(plan_.voice, plan_.mp3));
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
  const int32_t started = StartConverter(executable.c_str(), parameters.c_str(), &process_);
  StageOutcome outcome;
  if (started == rt::kProgramStarted) {
    started_at_ = Now();
    return;
  }
  process_ = 0;
  if (started == rt::kProgramUnwaitable) {
    // Nothing to wait for: the program is given a fixed time instead.
    outcome.started = true;
    PauseFor(settings_.unwaited_pause_ms);
  }
  Judge(outcome);
}

void FileConversion::StartEncoder(const std::string& parameters) {
  if (SetAsideOldOutput()) {
    StartStage(plan_.encoder, parameters);
  } else if (!amr_recording_) {
    intermediate_left_ = !Remove(plan_.pcm) && FileSizeOf(plan_.pcm) >= 0;
  }
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

Failure FileConversion::OutputSide(Failure failure, const std::string& output, bool mp3) const {
  switch (FolderStateOf(FolderOf(output))) {
    case rt::kFolderFull: return mp3 ? Failure::kMp3DiskFull : Failure::kPcmDiskFull;
    case rt::kFolderNotWritable: return mp3 ? Failure::kMp3FolderNotWritable : Failure::kPcmFolderNotWritable;
    default: return failure;
  }
}

void FileConversion::AfterDecoder(const StageOutcome& outcome) {
  Failure failure = JudgeDecoder(outcome, FileSizeOf(plan_.pcm));
  if (failure == Failure::kDecodeFailed) {
    failure = OutputSide(failure, plan_.pcm, false);
    // Our decoder says so itself when it could not write its output.
    if (failure == Failure::kDecodeFailed && outcome.waited && outcome.exit_code == kDecoderCannotWrite) {
      failure = Failure::kPcmFolderNotWritable;
    }
  }
  if (failure != Failure::kNone) {
    // A decoder that could not be ended may keep the file open: then it
    // stays, and the user is told.
    if (outcome.started) intermediate_left_ = !Remove(plan_.pcm) && FileSizeOf(plan_.pcm) >= 0;
    Finish(failure);
    return;
  }
  // The rate is read before anything is moved: reading it may wait for the
  // window thread.
  const std::string parameters = EncoderParameters(plan_, settings_.read_rate());
  stage_ = Stage::kEncoding;
  StartEncoder(parameters);
}

void FileConversion::AfterEncoder(const StageOutcome& outcome) {
  Failure failure = JudgeEncoder(outcome, FileSizeOf(plan_.mp3));
  if (failure == Failure::kNotProduced) failure = OutputSide(failure, plan_.mp3, true);
  if (failure == Failure::kNone) {
    if (!set_aside_.empty()) Remove(set_aside_);
    set_aside_.clear();
    // Sorted by date, the MP3s of an account are in the order of the messages.
    KeepWriteTime(plan_.voice, plan_.mp3);
  } else {
    Remove(plan_.mp3);  // what a failed run left is no MP3
    RestoreOldOutput();
  }
  if (!amr_recording_) intermediate_left_ = !Remove(plan_.pcm) && FileSizeOf(plan_.pcm) >= 0;
  Finish(failure);
}

void FileConversion::Abandon() {
  if (done_) return;
  if (process_ != 0) {
    EndConverter(process_);
    CloseConverter(process_);
    process_ = 0;
  }
  ClearOutputs();
}

void FileConversion::AbandonWithoutHandle() {
  if (done_) return;
  process_ = 0;
  ClearOutputs();
}

void FileConversion::ClearOutputs() {
  if (!amr_recording_) Remove(plan_.pcm);
  if (stage_ == Stage::kEncoding && !set_aside_.empty()) {
    Remove(plan_.mp3);
    RestoreOldOutput();
  } else if (stage_ == Stage::kEncoding) {
    Remove(plan_.mp3);  // there was none before: what is there is partial
  }
  Finish(Failure::kNone);
}

void FileConversion::Finish(Failure failure) {
  failure_ = failure;
  done_ = true;
}

bool FileConversion::SetAsideOldOutput() {
  set_aside_.clear();
  // An earlier run that never came back leaves the user's MP3 aside: it is
  // theirs, and goes back before anything else.
  RestoreSetAside(plan_.mp3);
  const int32_t attributes = AttributesOf(plan_.mp3);
  // A folder of that name is no MP3 of the user's: the encoder finds it in
  // its way and makes none.
  if (attributes == -1 || (attributes & kFolderBit) != 0) return true;
  if ((attributes & kReadOnlyBit) != 0) {
    Finish(Failure::kOldMp3ReadOnly);
    return false;
  }
  const std::string aside = plan_.mp3 + kSetAsideSuffix;
  if (!Rename(plan_.mp3, aside)) {
    Finish(Failure::kOldMp3InUse);
    return false;
  }
  set_aside_ = aside;
  return true;
}

void FileConversion::RestoreOldOutput() {
  if (set_aside_.empty()) return;
  Rename(set_aside_, plan_.mp3);
  set_aside_.clear();
}

}  // namespace app
