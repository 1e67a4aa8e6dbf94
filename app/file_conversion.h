// One voice file taken through the decoder and the encoder a step at a
// time, so that one thread can keep several conversions going: Start()
// starts the decoder; whenever the program it waits for has ended, or its
// bound has passed, Advance() judges that stage and starts the next. Windows
// builds only.
#pragma once

#include <cstdint>
#include <string>

#include "app/conversion_pipeline.h"

namespace app {

// Reads the sample rate text when an encoder starts.
using RateReader = std::string (*)();

struct ConversionSettings {
  uint32_t limit_ms;          // how long one program may run
  uint32_t unwaited_pause_ms; // given to a program that cannot be waited for
  RateReader read_rate;
};

class FileConversion {
 public:
  FileConversion(const ConversionPlan& plan, const ConversionSettings& settings);
  // Nothing is closed here: a stop that ends the worker has the runtime
  // close what the worker held, so a handle closed again could be another's.
  ~FileConversion() = default;
  FileConversion(const FileConversion&) = delete;
  FileConversion& operator=(const FileConversion&) = delete;

  // Starts the decoder (an intermediate file left from before is removed
  // first, so that it cannot pass for the decoder's output), or for a real
  // AMR recording the encoder, which reads it directly.
  void Start();
  // The program to wait for, as the shell commands take it; 0 once done.
  int32_t process() const { return process_; }
  // Milliseconds until that program's bound, counted from `now` (GetTickCount).
  uint32_t MillisecondsLeft(uint32_t now) const;
  // Goes on after the program ended or its bound passed.
  void Advance(uint32_t now);

  bool done() const { return done_; }
  Failure failure() const { return failure_; }
  // The intermediate file could not be removed (a decoder still running).
  bool intermediate_left() const { return intermediate_left_; }
  const ConversionPlan& plan() const { return plan_; }

 private:
  enum class Stage { kDecoding, kEncoding };
  // Starts the program of the current stage; a program without a process is
  // given its pause and judged at once.
  void StartStage(const std::string& executable, const std::string& parameters);
  void Judge(const StageOutcome& outcome);
  void AfterDecoder(const StageOutcome& outcome);
  void AfterEncoder(const StageOutcome& outcome);
  void Finish(Failure failure);
  // An MP3 of the same name from an earlier run is moved aside before the
  // encoder runs, so only this run's output can count, and put back when
  // this run makes none.
  void SetAsideOldOutput();
  void RestoreOldOutput();

  ConversionPlan plan_;
  ConversionSettings settings_;
  std::string set_aside_;  // where the old MP3 waits; empty when there was none
  bool old_in_place_ = false;  // an old MP3 that could not be moved aside
  Stage stage_ = Stage::kDecoding;
  bool amr_recording_ = false;  // converted by the encoder alone
  int32_t process_ = 0;
  uint32_t started_at_ = 0;
  bool done_ = false;
  bool intermediate_left_ = false;
  Failure failure_ = Failure::kNone;
};

}  // namespace app
