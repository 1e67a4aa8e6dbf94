// What the soak expects of the program, apart from how it drives it: the
// voice files with the faults chosen for them, the MP3 each may have at
// rest, the report and failure list of a full batch, and what the recording
// stand-ins' logs say of one batch. Texts are in the program's code page.
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace soak {

enum class Fault { kNone, kDamaged, kHung };

struct Voice {
  std::string path;  // as the program names it: <data>\<account>\ptt\<file>
  std::string mp3;   // <program folder>\out\<account>\<base>.mp3
  std::string mp3_name;
  Fault fault = Fault::kNone;
  // The MP3 it had before this program's conversion: what a stop must put
  // back. Empty once a conversion has replaced it, or when there was none.
  std::string earlier;
  bool has_mp3 = false;  // as seen at the last check
};

// What the encoder stand-in writes for the decoder stand-in's output.
std::string NewMp3(const Voice& voice);

// The seeded draws of the whole soak, in one place so that a seed repeats them.
class Draws {
 public:
  explicit Draws(uint32_t seed) : engine_(seed) {}
  // 0 .. n-1
  uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(engine_() % n); }

 private:
  std::mt19937 engine_;
};

// Chooses `count` indices from [from, to) that have no fault yet and gives
// them `fault`.
void AddFaults(std::vector<Voice>* voices, size_t from, size_t to, int count, Fault fault, Draws* draws);
// Indices from [from, to) chosen `count` times (no index twice).
std::vector<size_t> Choose(const std::vector<Voice>& voices, size_t from, size_t to, size_t count, Draws* draws);

// The reasons of the program's failure lines.
std::string FaultReason(Fault fault);
// "<voice>：<reason>"
std::string FailureLine(const Voice& voice, const std::string& reason);

// The message that ends a batch with these failure lines (in collection
// order) and this many converted, and the list file's text.
std::string ExpectedReport(int converted, const std::vector<std::string>& lines, const std::string& list_path);
std::string ExpectedList(const std::vector<std::string>& lines);

// Two texts of CRLF lines compared: the lines only the first has, then
// those only the second has, a few of each; "in another order" when they
// hold the same lines.
std::string LineDifference(const std::string& got, const std::string& wanted);

// What the stand-ins logged in one stretch of their logs.
struct LogCounts {
  std::map<std::string, int> decoder_starts;  // by voice path (its first argument)
  std::map<std::string, int> decoder_ended;   // by voice path
  std::map<std::string, int> encoder_starts;  // by MP3 path (its last argument)
  std::map<std::string, int> encoder_inputs;  // by what it read: "pcm of <voice>"
  int encoder_ended = 0;                      // its "ended=" lines
  int torn_lines = 0;                         // lines of neither program's form
};
void CountDecoderLog(const std::string& text, LogCounts* counts);
void CountEncoderLog(const std::string& text, LogCounts* counts);

// A failure list written by a stopped batch, checked against the faults:
// every line names a faulty file with its reason, in collection order, once;
// and of the faulty files among the first `finished_at_least` (which had
// all been started, and all ended but those in flight) at most `in_flight`
// are missing. Empty when it holds, else what is wrong.
std::string CheckStoppedList(const std::vector<Voice>& voices, const std::string& list, bool list_exists,
                             size_t finished_at_least, size_t in_flight);

}  // namespace soak
