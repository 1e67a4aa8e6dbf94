// The soak of `make soak`: the real program, with the recording stand-ins as
// its converters, driven through a storm of batches on one account of many
// voice files, some of them faulty, and checked after every step:
//   - faults: damaged files (their decoder exits 1), hung ones (their
//     decoder sleeps past the converter bound), the encoder missing for a
//     few seconds of the first batch; earlier MP3s that stops must put back;
//   - a first full batch, then seeded random cycles (a batch started or
//     restarted, a random wait, then 停止, a second double-click on the
//     account, or the main window closed and the program started again);
//   - after each cycle: no intermediate or set-aside file left, no converter
//     left running, the window answering, every MP3 its earlier content or
//     the new one; after the full batch the exact report and failure list,
//     every good file converted once.
// The figures go to stdout, the progress and each violation to stderr.
//
// Usage: soak.exe <program folder> <MobileQQ folder> <account> [seed]
// The program folder holds sonoteca.exe and the two stand-ins. Exits 0 when
// no violation was seen, 1 otherwise, 2 when it could not run.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/process_watch.h"
#include "tests/support/program_driver.h"
#include "tools/soak/soak_model.h"

namespace {

using soak::Fault;
using soak::Voice;
using test_support::PrivateBytes;
using test_support::RunningProgram;
using test_support::ScopedHandle;
using test_support::Seconds;
using test_support::TextOf;
using test_support::ToUtf8;
using test_support::VisibleWindow;

constexpr char kBatchButton[] = "批量转换";
constexpr char kStopButton[] = "停止";
constexpr char kStopped[] = "已停止";
constexpr char kFailureList[] = "转换失败.txt";
constexpr char kSetAside[] = ".sonoteca-old";
constexpr char kMainCaption[] = "Sonoteca[支持QQ、微信]";
constexpr int kDamaged = 50;
constexpr int kHung = 5;
// Each cycle starts its batch from the first file again: the faults and
// earlier MP3s that the cycles are to meet lie among these first files.
constexpr size_t kEarly = 60;
constexpr int kEarlyDamaged = 5;
constexpr int kEarlyHung = 2;
constexpr size_t kEarlierBeforeFirst = 30;
constexpr size_t kEarlierEarly = 24;
constexpr size_t kEarlierLate = 6;
constexpr int kCycles = 100;
constexpr int kConversions = 4;
constexpr DWORD kConverterLimitMs = 1500;
constexpr double kEncoderAwaySeconds = 3;
// The caption shows progress at most every 100 ms and two files are in
// flight: files this far either side of the encoder's absence may miss it.
constexpr int kAwaySlack = 20;
constexpr uint32_t kMostWaitMs = 1200;
constexpr uint32_t kMostWaitFiles = 10;
constexpr DWORD kAnswerMs = 1000;
constexpr double kProbeEverySeconds = 0.25;
// Far more than a batch takes on an idle machine; a busy one is slower.
constexpr double kBatchLimitSeconds = 900;
constexpr char kHangOrder[] = "sleep 600000";
constexpr char kDamageOrder[] = "exit 5";  // the decoder's "damaged block"

void Progress(const std::string& ansi) {
  std::fprintf(stderr, "soak: %s\n", ToUtf8(ansi).c_str());
  std::fflush(stderr);
}

std::string Format(double value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

// The whole file; *found says whether there was one.
std::string ReadWhole(const std::string& path, bool* found) {
  *found = false;
  const ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  if (file.h == INVALID_HANDLE_VALUE) return std::string();
  *found = true;
  std::string content;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.h, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  return content;
}

std::string ReadWhole(const std::string& path) {
  bool found = false;
  return ReadWhole(path, &found);
}

bool WriteWhole(const std::string& path, const std::string& content) {
  const ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (file.h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  return WriteFile(file.h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
         written == content.size();
}

long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The names of the entries of `pattern`, in the order the file system gives
// them (the order the program collects them in), and whether each is a folder.
std::vector<std::pair<std::string, bool>> Entries(const std::string& pattern) {
  std::vector<std::pair<std::string, bool>> entries;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") entries.emplace_back(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

// The running processes: id and executable name.
std::map<DWORD, std::string> Processes() {
  std::map<DWORD, std::string> processes;
  const ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.h == INVALID_HANDLE_VALUE) return processes;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.h, &entry); more; more = Process32Next(snapshot.h, &entry)) {
    processes[entry.th32ProcessID] = entry.szExeFile;
  }
  return processes;
}

// The kinds of violation, in the order they are printed.
const char* const kKinds[] = {
    "intermediate .pcm left",          "set-aside MP3 left",
    "converter left running",          "window not answering within 1 s",
    "earlier MP3 lost or wrong",       "stray file in out",
    "stop not answered with 已停止",   "unexpected message box",
    "exit code of a close not 0",      "restart left the old converters running",
    "failure list after a stop",       "report of a full batch",
    "failure list of a full batch",    "encoder runs of a full batch",
    "decoder runs of a full batch",    "MP3 content after a full batch",
    "stand-in log unreadable",         "the program did not do as driven",
};

// A line of the figures, formatted in the program's code page and printed in UTF-8.
__attribute__((format(printf, 1, 2))) void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text(static_cast<size_t>(std::max(n, 0)) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(&text[0], text.size(), format, args);
  va_end(args);
  text.resize(text.size() - 1);
  std::fputs(ToUtf8(text).c_str(), stdout);
  std::fflush(stdout);
}

class Violations {
 public:
  void Add(const std::string& kind, const std::string& where, const std::string& detail) {
    ++counts_[kind];
    Progress("VIOLATION (" + where + ") " + kind + ": " + detail);
    if (details_.size() < 40) details_.push_back(where + ": " + kind + ": " + detail);
  }
  int Count(const std::string& kind) const {
    const auto found = counts_.find(kind);
    return found == counts_.end() ? 0 : found->second;
  }
  int Total() const {
    int total = 0;
    for (const auto& kind : counts_) total += kind.second;
    return total;
  }
  const std::vector<std::string>& details() const { return details_; }

 private:
  std::map<std::string, int> counts_;
  std::vector<std::string> details_;
};

struct MemoryReading {
  double bytes;
  int cycle;     // 0 before the cycles
  int instance;  // 1 for the first program started
};

struct FullBatch {
  double seconds = 0;
  int converted = 0;
  int damaged = 0, hung = 0, not_started = 0;
  int encoder_away_from = -1, encoder_away_to = -1;  // files done when the encoder went and came back
};

struct Figures {
  uint32_t seed = 0;
  int files = 0;
  int earlier_first = 0, earlier_cycles = 0, earlier_refreshed = 0;
  FullBatch first;
  std::map<std::string, int> cycles;  // by action
  int waits_by_time = 0, waits_by_files = 0;
  int instances = 0;
  double longest_stop = 0;
  int longest_stop_cycle = 0;
  double longest_restart = 0;
  int longest_restart_cycle = 0;
  double longest_answer = 0;
  int probes = 0;
  std::vector<MemoryReading> memory;
  bool memory_from_pagefile = false;
  double before_first = 0, after_first = 0;
};

class Soak {
 public:
  Soak(const std::string& program, const std::string& data, const std::string& account, uint32_t seed)
      : d_(program),
        data_(data),
        account_(account),
        ptt_(data + "\\" + account + "\\ptt"),
        out_(program + "\\out"),
        account_out_(program + "\\out\\" + account),
        draws_(seed) {
    figures_.seed = seed;
  }

  bool Prepare();
  bool Run();
  void Print(double seconds) const;
  int violations() const { return violations_.Total(); }

 private:
  RunningProgram& program() { return *instances_.back(); }
  bool StartProgram();
  bool ShowAccount();
  bool DoubleClick(double* seconds);
  int Done();
  void Probe();
  template <class Condition>
  void WaitProbing(double seconds, Condition done);
  bool MoveEncoder(bool away);
  bool RunFullBatch(bool encoder_goes, FullBatch* batch);
  void CheckOut();
  void CheckMp3sAtRest();
  void CheckAtRest(int done_before);
  void CheckConverters(bool current_at_rest);
  void CheckNoBox();
  void RefreshEarlier(int cycle);
  void RecordMemory(int cycle);
  bool Stop(int cycle);
  bool Restart(int cycle);
  bool CloseAndStart();
  void Fail(const std::string& kind, const std::string& detail) { violations_.Add(kind, where_, detail); }

  std::string d_, data_, account_, ptt_, out_, account_out_;
  soak::Draws draws_;
  std::vector<Voice> voices_;
  std::vector<size_t> cycle_earlier_;  // the files given earlier MP3s before the cycles
  std::vector<std::unique_ptr<RunningProgram>> instances_;
  std::vector<DWORD> instance_ids_;  // kept after each has ended
  std::set<DWORD> reported_converters_;
  Violations violations_;
  Figures figures_;
  std::string where_ = "set-up";
};

bool Soak::Prepare() {
  for (const auto& entry : Entries(ptt_ + "\\*.slk")) {
    if (entry.second) continue;
    Voice voice;
    voice.path = ptt_ + "\\" + entry.first;
    voice.mp3_name = entry.first.substr(0, entry.first.size() - 4) + ".mp3";
    voice.mp3 = account_out_ + "\\" + voice.mp3_name;
    voices_.push_back(voice);
  }
  figures_.files = static_cast<int>(voices_.size());
  if (voices_.size() < 2 * kEarly) {
    Progress("only " + std::to_string(voices_.size()) + " voice files in " + ptt_);
    return false;
  }
  // The orders of an earlier soak go; then this seed's faults.
  for (const auto& entry : Entries(ptt_ + "\\*.control")) DeleteFileA((ptt_ + "\\" + entry.first).c_str());
  soak::AddFaults(&voices_, 0, kEarly, kEarlyDamaged, Fault::kDamaged, &draws_);
  soak::AddFaults(&voices_, 0, kEarly, kEarlyHung, Fault::kHung, &draws_);
  soak::AddFaults(&voices_, kEarly, voices_.size(), kDamaged - kEarlyDamaged, Fault::kDamaged, &draws_);
  soak::AddFaults(&voices_, kEarly, voices_.size(), kHung - kEarlyHung, Fault::kHung, &draws_);
  for (const Voice& voice : voices_) {
    if (voice.fault == Fault::kNone) continue;
    if (!WriteWhole(voice.path + ".control", voice.fault == Fault::kHung ? kHangOrder : kDamageOrder)) {
      Progress("cannot write " + voice.path + ".control");
      return false;
    }
  }
  // Earlier MP3s for the first batch to replace, or to keep where it fails.
  CreateDirectoryA(out_.c_str(), nullptr);
  CreateDirectoryA(account_out_.c_str(), nullptr);
  for (size_t i : soak::Choose(voices_, 0, voices_.size(), kEarlierBeforeFirst, &draws_)) {
    Voice& voice = voices_[i];
    voice.earlier = "earlier MP3 of " + voice.mp3_name + " before the first batch";
    voice.has_mp3 = true;
    if (!WriteWhole(voice.mp3, voice.earlier)) return false;
  }
  figures_.earlier_first = static_cast<int>(kEarlierBeforeFirst);
  // The files that get earlier MP3s before the cycles, mostly where the cycles reach.
  cycle_earlier_ = soak::Choose(voices_, 0, kEarly, kEarlierEarly, &draws_);
  for (size_t i : soak::Choose(voices_, kEarly, voices_.size(), kEarlierLate, &draws_)) cycle_earlier_.push_back(i);
  return true;
}

bool Soak::StartProgram() {
  instances_.push_back(std::make_unique<RunningProgram>());
  ++figures_.instances;
  const bool started = program().Start(
      d_ + "\\sonoteca.exe", data_,
      {"SONOTECA_MAX_CONVERSIONS=" + std::to_string(kConversions),
       "SONOTECA_CONVERTER_LIMIT_MS=" + std::to_string(kConverterLimitMs)});
  instance_ids_.push_back(program().process_id());
  if (!started) {
    Fail("the program did not do as driven", "it did not start (instance " + std::to_string(instances_.size()) + ")");
    return false;
  }
  // The argument is taken once the main window has been made.
  std::string path;
  if (!test_support::WaitUntil([&] { return (path = TextOf(program().path_box())) == data_; }, 10000)) {
    Fail("the program did not do as driven", "its path box holds \"" + path + "\", not " + data_);
  }
  return true;
}

// The batch button pressed (it returns once the listing is done) and the
// account in the list.
bool Soak::ShowAccount() {
  DWORD_PTR ignored = 0;
  if (SendMessageTimeoutA(program().Control(kBatchButton), BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &ignored) == 0) {
    Fail("the program did not do as driven", "the batch button did not answer within 30 s");
    return false;
  }
  const bool listed = test_support::WaitUntil(
      [&] {
        const std::vector<std::string> accounts = program().Accounts();
        return accounts.size() == 1 && accounts[0] == account_;
      },
      10000);
  if (!listed) Fail("the program did not do as driven", "the list does not show the account " + account_);
  return listed;
}

// What the list box tells its window on a double-click, sent rather than
// posted: it returns once the program has handled it (an earlier batch
// stopped and the new one's files collected), which takes *seconds.
bool Soak::DoubleClick(double* seconds) {
  const HWND box = program().list();
  SendMessageA(box, LB_SETCURSEL, 0, 0);
  const double start = Seconds();
  DWORD_PTR ignored = 0;
  const LRESULT sent = SendMessageTimeoutA(program().list_window(), WM_COMMAND,
                                           MAKEWPARAM(GetDlgCtrlID(box), LBN_DBLCLK), reinterpret_cast<LPARAM>(box),
                                           SMTO_NORMAL, 30000, &ignored);
  *seconds = Seconds() - start;
  if (sent == 0) Fail("the program did not do as driven", "the double-click was not handled within 30 s");
  return sent != 0;
}

// The files done as the caption shows them ("… 12/340"); -1 at rest.
int Soak::Done() {
  const std::string caption = TextOf(program().main());
  const size_t space = caption.rfind(' ');
  const size_t slash = caption.rfind('/');
  if (space == std::string::npos || slash == std::string::npos || slash < space) return -1;
  return std::atoi(caption.c_str() + space + 1);
}

void Soak::Probe() {
  const double start = Seconds();
  DWORD_PTR ignored = 0;
  const LRESULT answered =
      SendMessageTimeoutA(program().main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &ignored);
  const double took = Seconds() - start;
  ++figures_.probes;
  figures_.longest_answer = std::max(figures_.longest_answer, took);
  if (answered == 0) Fail("window not answering within 1 s", "WM_NULL unanswered after " + Format(took, 2) + " s");
}

// Waits until `done` holds or `seconds` have passed, asking the window
// every so often whether it answers.
template <class Condition>
void Soak::WaitProbing(double seconds, Condition done) {
  const double start = Seconds();
  double probe_at = start;
  while (!done() && Seconds() - start < seconds) {
    if (Seconds() >= probe_at) {
      Probe();
      probe_at = Seconds() + kProbeEverySeconds;
    }
    Sleep(50);
  }
}

// The encoder renamed away from the program folder, or back.
bool Soak::MoveEncoder(bool away) {
  const std::string there = d_ + "\\ffmpeg.exe", aside = d_ + "\\ffmpeg.exe.away";
  const std::string from = away ? there : aside, to = away ? aside : there;
  const bool moved = test_support::WaitUntil([&] { return MoveFileA(from.c_str(), to.c_str()) != FALSE; }, 5000);
  if (!moved) Progress("cannot rename " + from + " to " + to);
  return moved;
}

// Nothing under out but the account's MP3s and its failure list: no
// intermediate file, nothing set aside, nothing else.
void Soak::CheckOut() {
  const std::vector<std::string> pcm = test_support::FilesBelow(out_, ".pcm");
  if (!pcm.empty()) Fail("intermediate .pcm left", std::to_string(pcm.size()) + ", " + pcm.front() + " the first");
  const std::vector<std::string> aside = test_support::FilesBelow(out_, kSetAside);
  if (!aside.empty()) Fail("set-aside MP3 left", std::to_string(aside.size()) + ", " + aside.front() + " the first");
  std::set<std::string> allowed = {kFailureList};
  for (const Voice& voice : voices_) allowed.insert(voice.mp3_name);
  // Intermediate and set-aside files are counted above.
  const auto counted = [](const std::string& name) {
    return (name.size() > 4 && name.compare(name.size() - 4, 4, ".pcm") == 0) || name.find(kSetAside) != std::string::npos;
  };
  for (const auto& entry : Entries(account_out_ + "\\*")) {
    if ((entry.second || allowed.count(entry.first) == 0) && !counted(entry.first)) {
      Fail("stray file in out", account_out_ + "\\" + entry.first);
    }
  }
  for (const auto& entry : Entries(out_ + "\\*")) {
    if (!(entry.first == account_ && entry.second) && !counted(entry.first)) Fail("stray file in out", out_ + "\\" + entry.first);
  }
}

// Every MP3 that a file had is still there, as it was or as the new one;
// a faulty file never gets a new one.
void Soak::CheckMp3sAtRest() {
  for (Voice& voice : voices_) {
    bool exists = false;
    const std::string content = ReadWhole(voice.mp3, &exists);
    const bool is_new = voice.fault == Fault::kNone && content == soak::NewMp3(voice);
    if (voice.has_mp3 && !exists) {
      Fail("earlier MP3 lost or wrong", voice.mp3 + " is gone");
    } else if (exists && !is_new && (voice.earlier.empty() || content != voice.earlier)) {
      Fail("earlier MP3 lost or wrong", voice.mp3 + " holds \"" + content.substr(0, 200) + "\"");
    }
    if (is_new) voice.earlier.clear();  // replaced for good
    voice.has_mp3 = exists;
  }
}

// Converters still running: those of every program that has ended, those of
// the running one when it has no batch, and, at rest, any process of a
// converter's name at all (this soak's Wine server runs nothing else).
void Soak::CheckConverters(bool current_at_rest) {
  const std::map<DWORD, std::string> processes = Processes();
  for (size_t i = 0; i < instances_.size(); ++i) {
    const RunningProgram* instance = instances_[i].get();
    const bool running = instance->process() != nullptr;
    // The running program's batch may have converters going.
    if (running && !current_at_rest) continue;
    // An ended program's id may since have gone to another process, whose
    // children these would be.
    if (!running && processes.count(instance_ids_[i]) != 0) continue;
    for (DWORD child : instance->RunningChildren()) {
      if (!reported_converters_.insert(child).second) continue;
      const auto found = processes.find(child);
      Fail("converter left running", "process " + std::to_string(child) + " (" +
                                         (found != processes.end() ? found->second : std::string("?")) + ")");
    }
  }
  if (!current_at_rest) return;
  for (const auto& process : processes) {
    const std::string& name = process.second;
    if ((_stricmp(name.c_str(), "silk_v3_decoder.exe") == 0 || _stricmp(name.c_str(), "ffmpeg.exe") == 0) &&
        reported_converters_.insert(process.first).second) {
      Fail("converter left running", name + " (process " + std::to_string(process.first) + ") at rest");
    }
  }
}

void Soak::CheckNoBox() {
  for (const std::string& text : program().OpenBoxes()) {
    Fail("unexpected message box", "\"" + text.substr(0, 300) + "\"");
    program().AnswerBox(1000);
  }
}

// After a stop or a close: the batch ended everything it started, cleared
// its files, put back every MP3 it had set aside and listed its failures up
// to the stop (all of those among the first `done_before` files, which had
// ended but those in flight).
void Soak::CheckAtRest(int done_before) {
  CheckOut();
  CheckMp3sAtRest();
  bool exists = false;
  const std::string list = ReadWhole(account_out_ + "\\" + kFailureList, &exists);
  const std::string wrong = soak::CheckStoppedList(voices_, list, exists, static_cast<size_t>(std::max(done_before, 0)),
                                                   kConversions);
  if (!wrong.empty()) Fail("failure list after a stop", wrong);
  CheckConverters(true);
}

// The files given earlier MP3s before the cycles get them again once a
// cycle has replaced them, so that every cycle has some to set aside.
void Soak::RefreshEarlier(int cycle) {
  for (size_t i : cycle_earlier_) {
    Voice& voice = voices_[i];
    if (!voice.earlier.empty() && voice.has_mp3) continue;
    voice.earlier = "earlier MP3 of " + voice.mp3_name + " before cycle " + std::to_string(cycle);
    if (!WriteWhole(voice.mp3, voice.earlier)) {
      Fail("the program did not do as driven", "cannot write " + voice.mp3);
      voice.earlier.clear();
      continue;
    }
    voice.has_mp3 = true;
    if (cycle == 1) {
      ++figures_.earlier_cycles;
    } else {
      ++figures_.earlier_refreshed;
    }
  }
}

void Soak::RecordMemory(int cycle) {
  if (program().process() == nullptr) return;
  const double bytes = PrivateBytes(program().process_id(), &figures_.memory_from_pagefile);
  figures_.memory.push_back({bytes, cycle, static_cast<int>(instances_.size())});
}

bool Soak::RunFullBatch(bool encoder_goes, FullBatch* batch) {
  const std::string decoder_log = d_ + "\\silk_v3_decoder.log", encoder_log = d_ + "\\ffmpeg.log";
  const size_t decoder_from = static_cast<size_t>(std::max(FileSize(decoder_log), 0LL));
  const size_t encoder_from = static_cast<size_t>(std::max(FileSize(encoder_log), 0LL));
  double handled = 0;
  if (!ShowAccount() || !DoubleClick(&handled)) return false;
  const double start = Seconds() - handled;
  const DWORD pid = program().process_id();
  const int files = static_cast<int>(voices_.size());
  bool away = false, back = false;
  double away_at = 0, probe_at = 0;
  HWND box = nullptr;
  while ((box = VisibleWindow(pid, "#32770", nullptr)) == nullptr && Seconds() - start < kBatchLimitSeconds) {
    const double now = Seconds();
    if (now >= probe_at) {
      Probe();
      probe_at = Seconds() + kProbeEverySeconds;
    }
    if (encoder_goes && !away) {
      const int done = Done();
      if (done >= files * 3 / 10 && MoveEncoder(true)) {
        away = true;
        away_at = Seconds();
        batch->encoder_away_from = done;
        Progress("ffmpeg.exe renamed away at " + std::to_string(done) + " files done");
      }
    } else if (away && !back && now - away_at >= kEncoderAwaySeconds) {
      if (!MoveEncoder(false)) return false;
      back = true;
      batch->encoder_away_to = Done();
      Progress("ffmpeg.exe back at " + std::to_string(batch->encoder_away_to) + " files done");
    }
    // Each look goes through the Wine server, which the converters need more.
    Sleep(encoder_goes && !back ? 20 : 100);
  }
  if (away && !back) {
    if (!MoveEncoder(false)) return false;
    batch->encoder_away_to = files;
  }
  batch->seconds = Seconds() - start;
  if (box == nullptr) {
    Fail("the program did not do as driven", "the batch showed no message within " +
                                                 Format(kBatchLimitSeconds, 0) + " s");
    return false;
  }
  const std::string report = program().AnswerBox(5000);
  if (!test_support::WaitUntil([&] { return TextOf(program().main()) == kMainCaption; }, 10000)) {
    Fail("the program did not do as driven", "the caption is not back at rest: " + TextOf(program().main()));
  }

  soak::LogCounts logs;
  soak::CountDecoderLog(ReadWhole(decoder_log).substr(decoder_from), &logs);
  soak::CountEncoderLog(ReadWhole(encoder_log).substr(encoder_from), &logs);
  if (logs.torn_lines > 0) Fail("stand-in log unreadable", std::to_string(logs.torn_lines) + " lines of no known form");
  std::vector<std::string> lines;
  int encoders_started = 0;
  for (size_t i = 0; i < voices_.size(); ++i) {
    Voice& voice = voices_[i];
    const int decoded = logs.decoder_starts[voice.path];
    const int decoder_ended = logs.decoder_ended[voice.path];
    const int encoded = logs.encoder_starts[voice.mp3];
    const int read = logs.encoder_inputs["pcm of " + voice.path];
    encoders_started += encoded;
    if (decoded != 1 || decoder_ended != (voice.fault == Fault::kHung ? 0 : 1)) {
      Fail("decoder runs of a full batch", voice.path + ": started " + std::to_string(decoded) + ", ended " +
                                               std::to_string(decoder_ended));
    }
    const int index = static_cast<int>(i);
    const bool while_away = encoder_goes && batch->encoder_away_from >= 0 &&
                            index >= batch->encoder_away_from - kAwaySlack && index <= batch->encoder_away_to + kAwaySlack;
    bool exists = false;
    const std::string content = ReadWhole(voice.mp3, &exists);
    std::string expected = voice.earlier;  // a failed file keeps what it had
    if (voice.fault != Fault::kNone) {
      lines.push_back(soak::FailureLine(voice, soak::FaultReason(voice.fault)));
      ++(voice.fault == Fault::kHung ? batch->hung : batch->damaged);
      if (encoded != 0) Fail("encoder runs of a full batch", voice.path + ": an encoder for a faulty file");
    } else if (while_away && encoded == 0) {
      lines.push_back(soak::FailureLine(voice, "无法启动：" + d_ + "\\ffmpeg.exe"));
      ++batch->not_started;
    } else {
      ++batch->converted;
      expected = soak::NewMp3(voice);
      if (encoded != 1 || read != 1) {
        Fail("encoder runs of a full batch", voice.path + ": started " + std::to_string(encoded) + ", read " +
                                                 std::to_string(read) + " times, not once");
      }
    }
    if (exists != !expected.empty() || content != expected) {
      Fail("MP3 content after a full batch", voice.mp3 + (exists ? " holds \"" + content.substr(0, 200) + "\"" : " is missing") +
                                                 (expected.empty() ? ", none wanted" : ", not \"" + expected + "\""));
    }
    if (expected == soak::NewMp3(voice)) voice.earlier.clear();
    voice.has_mp3 = exists;
  }
  if (logs.encoder_ended != encoders_started) {
    Fail("encoder runs of a full batch", std::to_string(encoders_started) + " encoders of this batch's files started, " +
                                             std::to_string(logs.encoder_ended) + " ended");
  }
  const std::string list_path = account_out_ + "\\" + kFailureList;
  const std::string wanted = soak::ExpectedReport(batch->converted, lines, list_path);
  if (report != wanted) Fail("report of a full batch", soak::LineDifference(report, wanted));
  bool listed = false;
  const std::string list = ReadWhole(list_path, &listed);
  // Kept beside the program for a look afterwards: the cycles rewrite it.
  CopyFileA(list_path.c_str(), (d_ + "\\full-batch-failures.txt").c_str(),
            FALSE);
  if (!listed || list != soak::ExpectedList(lines)) {
    Fail("failure list of a full batch", listed ? soak::LineDifference(list, soak::ExpectedList(lines)) : "missing");
  }
  CheckOut();
  CheckConverters(true);
  CheckNoBox();
  Progress("full batch of " + std::to_string(files) + " in " + Format(batch->seconds, 1) + " s: " +
           std::to_string(batch->converted) + " converted, " + std::to_string(lines.size()) + " failed");
  return true;
}

bool Soak::Stop(int cycle) {
  CheckNoBox();
  const int done = Done();
  const DWORD pid = program().process_id();
  const double start = Seconds();
  if (!program().Click(kStopButton)) {
    Fail("the program did not do as driven", "no stop button");
    return false;
  }
  while (VisibleWindow(pid, "#32770", nullptr) == nullptr && Seconds() - start < 30) Sleep(2);
  const double waited = Seconds() - start;
  if (waited > figures_.longest_stop) {
    figures_.longest_stop = waited;
    figures_.longest_stop_cycle = cycle;
  }
  const std::string text = program().AnswerBox(1000);
  if (text != kStopped) Fail("stop not answered with 已停止", "\"" + text + "\" after " + Format(waited, 2) + " s");
  if (!test_support::WaitUntil([&] { return TextOf(program().main()) == kMainCaption; }, 5000)) {
    Fail("stop not answered with 已停止", "the caption stays \"" + TextOf(program().main()) + "\"");
  }
  CheckNoBox();
  CheckAtRest(done);
  Probe();
  return true;
}

// A second double-click while the batch runs: the old batch is stopped
// without a word, its converters ended, and a new one runs.
bool Soak::Restart(int cycle) {
  CheckNoBox();
  std::vector<std::unique_ptr<ScopedHandle>> old;
  for (DWORD child : program().RunningChildren()) {
    if (HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, child)) old.push_back(std::make_unique<ScopedHandle>(h));
  }
  double handled = 0;
  if (!ShowAccount() || !DoubleClick(&handled)) return false;
  if (handled > figures_.longest_restart) {
    figures_.longest_restart = handled;
    figures_.longest_restart_cycle = cycle;
  }
  int running = 0;
  for (const auto& process : old) running += WaitForSingleObject(process->h, 2000) == WAIT_OBJECT_0 ? 0 : 1;
  if (running > 0) {
    Fail("restart left the old converters running", std::to_string(running) + " of " + std::to_string(old.size()) +
                                                          " still running 2 s after the double-click was handled");
  }
  Probe();
  return true;
}

bool Soak::CloseAndStart() {
  CheckNoBox();
  const int done = Done();
  RunningProgram& closed = program();
  const bool ended = closed.Stop();
  if (!ended || closed.exit_code() != 0) {
    Fail("exit code of a close not 0", ended ? "exit code " + std::to_string(closed.exit_code())
                                             : "it did not end within 15 s and was terminated");
  }
  CheckAtRest(done);
  if (!StartProgram()) return false;
  Probe();
  return true;
}

bool Soak::Run() {
  where_ = "start";
  if (!StartProgram()) return false;
  Probe();
  RecordMemory(0);
  figures_.before_first = figures_.memory.back().bytes;
  where_ = "first full batch";
  if (!RunFullBatch(true, &figures_.first)) return false;
  RecordMemory(0);
  figures_.after_first = figures_.memory.back().bytes;

  bool running = false;
  for (int cycle = 1; cycle <= kCycles; ++cycle) {
    where_ = "cycle " + std::to_string(cycle);
    // Drawn whatever happens, so that a seed gives the same cycles.
    const bool by_files = draws_.Below(2) == 1;
    const uint32_t wait_ms = draws_.Below(kMostWaitMs + 1);
    const int wait_files = 1 + static_cast<int>(draws_.Below(kMostWaitFiles));
    const uint32_t action = draws_.Below(3);
    std::string how = running ? "restarted" : "started";
    if (!running) {
      RefreshEarlier(cycle);
      double handled = 0;
      if (!ShowAccount() || !DoubleClick(&handled)) return false;
      running = true;
    }
    const double start = Seconds();
    if (by_files) {
      ++figures_.waits_by_files;
      WaitProbing(10, [&] { return Done() >= wait_files; });
    } else {
      ++figures_.waits_by_time;
      WaitProbing(wait_ms / 1000.0, [] { return false; });
    }
    const double waited = Seconds() - start;
    const int done = Done();
    const char* const actions[] = {"stop", "restart", "close"};
    const std::string name = actions[action];
    ++figures_.cycles[name];
    const int before = violations_.Total();
    bool ok = true;
    if (action == 0) {
      ok = Stop(cycle);
      running = false;
    } else if (action == 1) {
      ok = Restart(cycle);
    } else {
      ok = CloseAndStart();
      running = false;
    }
    if (!ok) return false;
    CheckConverters(!running);
    RecordMemory(cycle);
    const int found = violations_.Total() - before;
    Progress(where_ + ": " + how + ", waited " + Format(waited, 2) + " s (" +
             (by_files ? "for " + std::to_string(wait_files) + " files" : std::to_string(wait_ms) + " ms") + ", " +
             std::to_string(done) + " done), " + name + (found == 0 ? ": ok" : ": " + std::to_string(found) + " violations"));
  }
  where_ = "after the cycles";
  if (running && !Stop(kCycles + 1)) return false;
  CheckMp3sAtRest();
  where_ = "end";
  RunningProgram& last = program();
  const bool ended = last.Stop();
  if (!ended || last.exit_code() != 0) {
    Fail("exit code of a close not 0", ended ? "exit code " + std::to_string(last.exit_code()) : "it did not end");
  }
  CheckConverters(true);
  return true;
}

void Soak::Print(double seconds) const {
  int damaged = 0, hung = 0;
  for (const Voice& voice : voices_) {
    damaged += voice.fault == Fault::kDamaged ? 1 : 0;
    hung += voice.fault == Fault::kHung ? 1 : 0;
  }
  const double mb = 1024.0 * 1024.0;
  Say("Sonoteca soak (Wine %s, seed %u, %d conversions at once, converter bound %lu ms)\n",
              sizeof(void*) == 8 ? "x86_64" : "i686", figures_.seed, kConversions,
              static_cast<unsigned long>(kConverterLimitMs));
  Say("files: %d voice files of account %s\n", figures_.files, account_.c_str());
  Say("faults: %d damaged (decoder exits 1), %d hung (decoder sleeps 600 s), ffmpeg.exe away %.0f s in the "
              "first batch (files %d to %d done): %d files could not start it\n",
              damaged, hung, kEncoderAwaySeconds, figures_.first.encoder_away_from,
              figures_.first.encoder_away_to, figures_.first.not_started);
  Say("earlier MP3s: %d before the first batch, %d before the cycles, %d put in again after a cycle replaced them\n",
              figures_.earlier_first, figures_.earlier_cycles, figures_.earlier_refreshed);
  const auto batch = [](const char* what, const FullBatch& b) {
    Say("%s: %.1f s, %d converted, %d failed (%d 解码失败, %d 解码超时, %d 无法启动)\n", what, b.seconds,
                b.converted, b.damaged + b.hung + b.not_started, b.damaged, b.hung, b.not_started);
  };
  batch("first full batch", figures_.first);
  const auto kind = [this](const char* name) {
    const auto found = figures_.cycles.find(name);
    return found == figures_.cycles.end() ? 0 : found->second;
  };
  Say("cycles: %d: stop %d, restart %d, close and start again %d (waits: %d by time, %d by files done); "
              "program started %d times\n",
              kCycles, kind("stop"), kind("restart"), kind("close"), figures_.waits_by_time, figures_.waits_by_files,
              figures_.instances);
  Say("longest wait for 已停止 after a press: %.3f s (cycle %d)\n", figures_.longest_stop,
              figures_.longest_stop_cycle);
  Say("longest double-click handled while a batch ran (old one stopped, files collected): %.3f s (cycle %d)\n",
              figures_.longest_restart, figures_.longest_restart_cycle);
  Say("window: %d probes, longest answer %.3f s\n", figures_.probes, figures_.longest_answer);
  const MemoryReading* most = nullptr;
  for (const MemoryReading& r : figures_.memory) {
    if (most == nullptr || r.bytes > most->bytes) most = &r;
  }
  if (most != nullptr) {
    const MemoryReading& end = figures_.memory.back();
    Say("private bytes%s: at start %.1f MB, after the first batch %.1f MB, after the last cycle %.1f MB "
                "(program %d), max %.1f MB (cycle %d, program %d)\n",
                figures_.memory_from_pagefile ? " (PagefileUsage)" : "", figures_.before_first / mb,
                figures_.after_first / mb, end.bytes / mb, end.instance, most->bytes / mb, most->cycle, most->instance);
    // The trend of each program that lived through several cycles.
    Say("private bytes by program (MB, first and last reading, readings):");
    for (size_t at = 0; at < figures_.memory.size();) {
      size_t to = at;
      while (to + 1 < figures_.memory.size() && figures_.memory[to + 1].instance == figures_.memory[at].instance) ++to;
      if (to - at >= 4) {
        Say(" #%d %.1f->%.1f (%d)", figures_.memory[at].instance, figures_.memory[at].bytes / mb,
            figures_.memory[to].bytes / mb, static_cast<int>(to - at + 1));
      }
      at = to + 1;
    }
    Say("\n");
  }
  Say("violations: %d\n", violations_.Total());
  for (const char* name : kKinds) Say("  %-42s %d\n", name, violations_.Count(name));
  for (const std::string& detail : violations_.details()) Say("  - %s\n", detail.c_str());
  Say("soak %.0f s\n", seconds);
  }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: soak.exe <program folder> <MobileQQ folder> <account> [seed]\n");
    return 2;
  }
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // The program gets its settings from this soak alone.
  SetEnvironmentVariableA("SONOTECA_MAX_CONVERSIONS", nullptr);
  SetEnvironmentVariableA("SONOTECA_CONVERTER_LIMIT_MS", nullptr);
  uint32_t seed = 0;
  if (argc == 5) {
    char* end = nullptr;
    seed = static_cast<uint32_t>(std::strtoul(argv[4], &end, 10));
    if (end == argv[4] || *end != '\0') {
      std::fprintf(stderr, "soak: the seed \"%s\" is no number\n", argv[4]);
      return 2;
    }
  } else {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    seed = static_cast<uint32_t>(now.QuadPart ^ (now.QuadPart >> 32) ^ GetCurrentProcessId());
  }
  Progress("seed " + std::to_string(seed));
  const double start = Seconds();
  Soak soak(argv[1], argv[2], argv[3], seed);
  if (!soak.Prepare()) return 2;
  const bool ran = soak.Run();
  soak.Print(Seconds() - start);
  if (!ran) std::printf("the soak stopped early: the program did not do as driven\n");
  return ran && soak.violations() == 0 ? 0 : 1;
}
