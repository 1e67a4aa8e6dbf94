// One voice file taken through the decoder and the encoder a step at a
// time, so that one thread can keep several conversions going: Start()
// starts the decoder; whenever the program it waits for has ended, or its
// bound has passed, Advance() judges that stage and starts the next.
// Abandon() ends it where it stands, as a stop or a close does. Whatever
// happens, the user's earlier MP3 of the same name is either replaced by a
// good new one or back in place. Windows builds only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/conversion_pipeline.h"

namespace app {

// Reads the sample rate text when an encoder starts.
using RateReader = std::string (*)();

struct ConversionSettings {
  uint32_t limit_ms;          // how long one program may run
  uint32_t unwaited_pause_ms; // given to a program that cannot be waited for
  RateReader read_rate;
};

// The room a conversion of a voice file of `voice_bytes` needs: its
// intermediate file is at most about 48 times its size (24,000 two-byte
// samples a second against SILK's lowest rate of 1 KB a second), its MP3
// far less.
constexpr int64_t RoomNeededFor(int64_t voice_bytes) { return voice_bytes > 0 ? voice_bytes * 64 : 0; }

// An earlier MP3 waits under this name while the encoder writes a new one.
constexpr char kSetAsideSuffix[] = ".sonoteca-old";
// Beside such a copy, this mark says that a good new MP3 has replaced it:
// the copy is to be removed, never put back (it was held open by another
// program when the conversion tried to remove it).
constexpr char kReplacedSuffix[] = ".sonoteca-replaced";

class FileConversion {
 public:
  FileConversion(const ConversionPlan& plan, const ConversionSettings& settings);
  // A conversion still running when it goes is abandoned.
  ~FileConversion();
  FileConversion(const FileConversion&) = delete;
  FileConversion& operator=(const FileConversion&) = delete;

  // Starts the decoder (an intermediate file left from before is removed
  // first, so that it cannot pass for the decoder's output), or for a real
  // AMR recording the encoder, which reads it directly.
  void Start();
  // The program to wait for, as the shell commands take it; 0 once done.
  int32_t process() const { return process_; }
  // Milliseconds until that program's bound, counted from `now` (the
  // program's clock).
  uint32_t MillisecondsLeft(uint32_t now) const;
  // Goes on after the program ended or its bound passed.
  void Advance(uint32_t now);
  // Ends the running program by its own handle and waits for it (bounded),
  // removes what this conversion wrote (its intermediate file, a partial
  // MP3) and puts back the earlier MP3 it had set aside. Done afterwards,
  // with no failure of its own to report.
  void Abandon();
  // The same after the worker running it was cut off: its handle went with
  // the worker, so the program is not ended here.
  void AbandonWithoutHandle();

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
  // Starts the encoder once the earlier MP3 of the name is out of its way.
  void StartEncoder(const std::string& parameters);
  void Judge(const StageOutcome& outcome);
  void AfterDecoder(const StageOutcome& outcome);
  void AfterEncoder(const StageOutcome& outcome);
  // Whether a failed stage failed for want of room or of the right to
  // write in the folder of its output; else `failure` as it was.
  Failure OutputSide(Failure failure, const std::string& output, bool mp3) const;
  void Finish(Failure failure);
  // Removes what this conversion wrote and puts the earlier MP3 back.
  void ClearOutputs();
  // An MP3 of the same name from an earlier run is moved aside before the
  // encoder runs, so only this run's output can count, and put back when
  // this run makes none. False when it cannot be (then the encoder does
  // not run and the MP3 stays as it is).
  bool SetAsideOldOutput();
  void RestoreOldOutput();

  ConversionPlan plan_;
  ConversionSettings settings_;
  std::string set_aside_;  // where the old MP3 waits; empty when there was none
  // The MP3's name holds this run's output only once its encoder started;
  // before that, whatever is there is the user's.
  bool encoder_started_ = false;
  Stage stage_ = Stage::kDecoding;
  bool amr_recording_ = false;  // converted by the encoder alone
  int32_t process_ = 0;
  uint32_t started_at_ = 0;
  bool done_ = false;
  bool intermediate_left_ = false;
  Failure failure_ = Failure::kNone;
};

// An earlier MP3 that a conversion had set aside and that was never put
// back (the program was ended while the encoder ran, or the PC went off):
// `aside` is put back as `mp3`, over what the interrupted run left there,
// which is no MP3 to trust. A copy marked as replaced is removed instead.
// True when nothing is left set aside.
bool RestoreSetAside(const std::string& mp3);

// Waits until the program of one of `running` has ended, the earliest of
// their bounds has passed, or `signal` (0: none) is raised, and lets each
// conversion go on. False when the signal was raised: nothing went on. The
// single file and the batch both wait with it.
bool WaitAndAdvance(const std::vector<FileConversion*>& running, int32_t signal);

}  // namespace app
