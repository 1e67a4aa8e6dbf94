#include "app/file_conversion.h"

#include <string>
#include <vector>

#include "app/converter.h"
#include "app/file_walk.h"
#include "app/runtime_access.h"

namespace app {
namespace {

// What our decoder's exit code says of an output it could not write.
constexpr uint32_t kDecoderCannotWrite = 7;
// A program that could not be waited for is looked at again after this.
constexpr uint32_t kRecheckMs = 50;
// A program that is there but did not start (the system short of something
// for a moment, a scanner holding the file) is tried once more after this.
constexpr uint32_t kStartAgainMs = 500;

// A real AMR recording, not SILK under an .amr name.
bool IsAmrRecording(const std::string& path) { return FileBeginsWith(path, kAmrHeader); }

// Our decoder writes "<folder>\.<pcm name>.<its process id>.tmp" and renames
// it at the end; one that was ended before leaves it. Only decoders of this
// intermediate file write names of that shape.
void RemoveDecoderTemporaries(const std::string& pcm) {
  const std::string folder = FolderOf(pcm);
  const std::string name = pcm.substr(folder.size() + 1);
  for (const std::string& file : FilesOf(folder, "." + name + ".*.tmp")) RemoveFile(file);
}

}  // namespace

bool RestoreSetAside(const std::string& mp3) {
  const std::string aside = mp3 + kSetAsideSuffix;
  const std::string replaced = mp3 + kReplacedSuffix;
  if (FileSize(replaced) >= 0) {
    if (FileSize(aside) >= 0 && !RemoveFile(aside)) return false;
    RemoveFile(replaced);
    return true;
  }
  if (FileSize(aside) < 0) return true;
  return RenameFile(aside, mp3);
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
  RemoveFile(plan_.pcm);
  stage_ = Stage::kDecoding;
  StartStage(plan_.decoder, plan_.decoder_parameters);
}

uint32_t FileConversion::MillisecondsLeft(uint32_t now) const {
  const uint32_t ran = now - started_at_;
  return ran >= settings_.limit_ms ? 0 : settings_.limit_ms - ran;
}

void FileConversion::StartStage(const std::string& executable, const std::string& parameters) {
  ProgramStart started = StartProgram(executable, parameters, &process_);
  if (started == ProgramStart::kNotStarted && FileSize(executable) >= 0) {
    Pause(kStartAgainMs);
    started = StartProgram(executable, parameters, &process_);
  }
  StageOutcome outcome;
  if (started == ProgramStart::kStarted) {
    started_at_ = Now();
    return;
  }
  process_ = 0;
  if (started == ProgramStart::kUnwaitable) {
    // Nothing to wait for: the program is given a fixed time instead.
    outcome.started = true;
    Pause(settings_.unwaited_pause_ms);
  }
  Judge(outcome);
}

void FileConversion::StartEncoder(const std::string& parameters) {
  if (SetAsideOldOutput()) {
    encoder_started_ = true;
    StartStage(plan_.encoder, parameters);
  } else if (!amr_recording_) {
    intermediate_left_ = !RemoveFile(plan_.pcm) && FileSize(plan_.pcm) >= 0;
  }
}

void FileConversion::Advance(uint32_t now) {
  if (done_ || process_ == 0) return;
  StageOutcome outcome;
  outcome.started = true;
  outcome.waited = true;
  if (!ProgramExitCode(process_, &outcome.exit_code)) {
    if (MillisecondsLeft(now) > 0) return;  // neither ended nor out of time
    // Past its bound: it is ended, so that its files can be cleared away.
    outcome.timed_out = true;
    EndProgram(process_);
  }
  CloseProgram(process_);
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
  switch (ProbeFolder(FolderOf(output), RoomNeededFor(FileSize(plan_.voice)))) {
    case FolderState::kFull: return mp3 ? Failure::kMp3DiskFull : Failure::kPcmDiskFull;
    case FolderState::kNotWritable: return mp3 ? Failure::kMp3FolderNotWritable : Failure::kPcmFolderNotWritable;
    case FolderState::kWritable: break;
  }
  return failure;
}

void FileConversion::AfterDecoder(const StageOutcome& outcome) {
  Failure failure = JudgeDecoder(outcome, FileSize(plan_.pcm));
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
    if (outcome.started) intermediate_left_ = !RemoveFile(plan_.pcm) && FileSize(plan_.pcm) >= 0;
    if (outcome.timed_out) RemoveDecoderTemporaries(plan_.pcm);
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
  Failure failure = JudgeEncoder(outcome, FileSize(plan_.mp3));
  if (failure == Failure::kNotProduced) failure = OutputSide(failure, plan_.mp3, true);
  if (failure == Failure::kNone) {
    // A copy that another program holds stays until a later start removes it.
    if (!set_aside_.empty() && !RemoveFile(set_aside_) && FileSize(set_aside_) >= 0) {
      WriteTextFile(plan_.mp3 + kReplacedSuffix, std::string());
    }
    set_aside_.clear();
    // Sorted by date, the MP3s of an account are in the order of the messages.
    CopyWriteTime(plan_.voice, plan_.mp3);
  } else {
    RemoveFile(plan_.mp3);  // what a failed run left is no MP3
    RestoreOldOutput();
  }
  if (!amr_recording_) intermediate_left_ = !RemoveFile(plan_.pcm) && FileSize(plan_.pcm) >= 0;
  Finish(failure);
}

void FileConversion::Abandon() {
  if (done_) return;
  if (process_ != 0) {
    EndProgram(process_);
    CloseProgram(process_);
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
  if (!amr_recording_) RemoveFile(plan_.pcm);
  if (stage_ == Stage::kDecoding) RemoveDecoderTemporaries(plan_.pcm);
  // Only an MP3 this run made goes; what was set aside comes back either way.
  if (encoder_started_) RemoveFile(plan_.mp3);
  RestoreOldOutput();
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
  const int32_t attributes = FileAttributesOf(plan_.mp3);
  // A folder of that name is no MP3 of the user's: the encoder finds it in
  // its way and makes none.
  if (attributes == -1 || (attributes & kAttributeFolder) != 0) return true;
  if ((attributes & kAttributeReadOnly) != 0) {
    Finish(Failure::kOldMp3ReadOnly);
    return false;
  }
  // Recorded before the move: a worker cut off in between still has its
  // copy put back (a rename of a copy that was never made changes nothing).
  set_aside_ = plan_.mp3 + kSetAsideSuffix;
  if (!RenameFile(plan_.mp3, set_aside_)) {
    set_aside_.clear();
    Finish(Failure::kOldMp3InUse);
    return false;
  }
  return true;
}

void FileConversion::RestoreOldOutput() {
  if (set_aside_.empty()) return;
  RenameFile(set_aside_, plan_.mp3);
  set_aside_.clear();
}

bool WaitAndAdvance(const std::vector<FileConversion*>& running, int32_t signal) {
  std::vector<int32_t> handles;
  uint32_t wait_ms = kConverterLimitMs;
  const uint32_t now = Now();
  for (const FileConversion* conversion : running) {
    handles.push_back(conversion->process());
    const uint32_t left = conversion->MillisecondsLeft(now);
    if (left < wait_ms) wait_ms = left;
  }
  if (signal != 0) handles.push_back(signal);
  const int32_t answer = WaitForAny(handles, wait_ms);
  if (signal != 0 && answer == static_cast<int32_t>(handles.size()) - 1) return false;
  // Not to be waited for after all: looked at again shortly, until its bound.
  if (answer == kWaitFailed) Pause(kRecheckMs);
  const uint32_t later = Now();
  for (FileConversion* conversion : running) conversion->Advance(later);
  return true;
}

}  // namespace app
