// The benchmark of `make bench`: Sonoteca's figures measured beside those of
// bare programs doing the same work with plain platform calls, in one run, as
// the median of several runs each:
//   - a batch of voice files, timed from the double-click on the account to
//     the final message box, one conversion at a time and two at once
//     (SONOTECA_MAX_CONVERSIONS), each beside bare_loop.exe with as many
//     programs in flight; with each, the processor time per file of
//     sonoteca.exe and of bare_loop.exe;
//   - the listing of a data folder of many accounts, beside a bare
//     FindFirstFile loop over the same folder;
//   - the start to the main window visible, beside bare_window.exe;
//   - the program's private bytes before a batch, after it and after another.
//
// Usage: bench.exe <program folder> <batch MobileQQ> <account> <listing MobileQQ>
//                  [startup] [listing] [batch]
// Naming parts measures only those; the default is all.
// The program folder holds sonoteca.exe and the converters; bare_loop.exe and
// bare_window.exe lie beside bench.exe. Prints the table on stdout and its
// progress on stderr; exits 0 when every run did its work, 1 otherwise.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/process_watch.h"
#include "tests/support/program_driver.h"

namespace {

using test_support::PrivateBytes;
using test_support::RunningProgram;
using test_support::ScopedHandle;
using test_support::Seconds;
using test_support::TextOf;
using test_support::ToUtf8;
using test_support::VisibleWindow;

constexpr char kMainCaption[] = "Sonoteca[支持QQ、微信]";
constexpr char kConverted[] = "转换成功";
constexpr char kBatchButton[] = "批量转换";
// The main window's class in Sonoteca and in bare_window.exe.
constexpr char kSonotecaClass[] = "RtProgramWindow";
constexpr char kBareClass[] = "BareSonotecaWindow";
constexpr int kRuns = 3;
constexpr int kNoisyStartupRuns = 5;
// Start-up runs whose spread exceeds this share of their median get more runs.
constexpr double kNoisySpread = 0.10;
// The batch modes: Sonoteca's conversions at once, and the bare loop's
// programs in flight beside it.
constexpr int kModes[] = {1, 2};
constexpr int kModeCount = sizeof kModes / sizeof kModes[0];
// Sonoteca's batch may take at most this many times the bare loop's.
constexpr double kBatchTarget = 1.10;
constexpr DWORD kBatchLimitMs = 10 * 60 * 1000;
constexpr DWORD kBoxPollMs = 5;
constexpr DWORD kListPollMs = 2;

struct SearchCloser {
  HANDLE h;
  explicit SearchCloser(HANDLE handle) : h(handle) {}
  ~SearchCloser() {
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
  }
  SearchCloser(const SearchCloser&) = delete;
  SearchCloser& operator=(const SearchCloser&) = delete;
};

// The caller closes both handles of *pi.
bool StartProcess(const std::string& exe, std::string command, PROCESS_INFORMATION* pi) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  return CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi) != FALSE;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  if (n == 0) return 0;
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Spread(const std::vector<double>& values) {
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  const double median = Median(values);
  return median > 0 ? (*high - *low) / median : 0;
}

std::string Format(double value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

// One line of progress, with the figure just measured.
void Progress(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  std::fflush(stderr);
}

// Calls `visit` with the name of every entry of `pattern` (a folder and a
// wildcard) and whether it is a folder.
template <class Visit>
void ForEachEntry(const std::string& pattern, Visit visit) {
  WIN32_FIND_DATAA found;
  const SearchCloser search(FindFirstFileA(pattern.c_str(), &found));
  if (search.h == INVALID_HANDLE_VALUE) return;
  do {
    visit(std::string(found.cFileName), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileA(search.h, &found));
}

int CountFiles(const std::string& pattern) {
  int count = 0;
  ForEachEntry(pattern, [&count](const std::string&, bool folder) { count += folder ? 0 : 1; });
  return count;
}

// The bare counterpart of listing the accounts: the subfolders of `folder`.
int CountSubfolders(const std::string& folder) {
  int count = 0;
  ForEachEntry(folder + "\\*.*", [&count](const std::string& name, bool is_folder) {
    if (is_folder && name != "." && name != "..") ++count;
  });
  return count;
}

// A visible top-level window of process `pid` of class `cls` (and with
// `caption` unless null), or null. Found by class, which Wine's server
// filters for us: enumerating every window and asking each for its process,
// class and text costs about 0.75 ms a time under Wine, and would take a good
// share of a processor from the programs measured when polled every few ms.
// The kernel and user time of process `pid` so far, in seconds, from the
// system's process list (as the task manager reads it); -1 when it is not
// there. GetProcessTimes would do on Windows, but under Wine 8 it answers
// with the calling process's own times whatever the handle.
double ProcessorSeconds(DWORD pid) {
  std::vector<unsigned char> buffer(256 * 1024);
  ULONG needed = 0;
  NTSTATUS status;
  while ((status = NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                            static_cast<ULONG>(buffer.size()), &needed)) ==
         static_cast<NTSTATUS>(0xC0000004L)) {  // STATUS_INFO_LENGTH_MISMATCH: the list grew
    buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 64 * 1024));
  }
  if (status < 0) return -1;
  for (size_t at = 0;;) {
    const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
    if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(process->UniqueProcessId)) == pid) {
      return static_cast<double>(process->KernelTime.QuadPart + process->UserTime.QuadPart) / 1e7;
    }
    if (process->NextEntryOffset == 0) return -1;
    at += process->NextEntryOffset;
  }
}

// The size of a file in bytes; -1 when there is none.
long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return -1;
  }
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// One way of running the batch: Sonoteca with `conversions` at once, beside
// bare_loop.exe with as many programs in flight. A value per run.
struct BatchMode {
  int conversions = 0;
  std::vector<double> seconds, bare_seconds;
  std::vector<double> processor, bare_processor;  // seconds per file
};

struct Figures {
  std::vector<double> startup, bare_startup;
  std::vector<double> listing, bare_listing;
  BatchMode modes[kModeCount];
  int folders = 0;
  double private_before = 0, private_after_first = 0, private_after_second = 0;
  bool private_from_pagefile = false;
  // The runs that failed and were run once more, and why.
  std::vector<std::string> repeated;
};

class Bench {
 public:
  Bench(const std::string& program, const std::string& batch_folder, const std::string& account,
        const std::string& listing_folder)
      : program_(program),
        sonoteca_(program + "\\sonoteca.exe"),
        batch_folder_(batch_folder),
        account_(account),
        listing_folder_(listing_folder),
        tools_(test_support::SelfFolder()) {}

  bool MeasureStartup(Figures* f);
  bool MeasureListing(Figures* f);
  bool MeasureBatches(Figures* f);
  const std::string& error() const { return error_; }
  int expected_files() const { return CountFiles(voice_folder() + "\\*.slk"); }

 private:
  // `why` is text of the program's code page, made UTF-8 when printed.
  bool Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }
  // A run whose work failed is run once more, and that is said: under Wine a
  // converter has been seen not to start, about once in two thousand starts.
  template <class Run>
  bool Retried(const std::string& what, Figures* f, Run run) {
    if (run()) return true;
    const std::string why = what + " failed (" + ToUtf8(error_) + ")";
    Progress(why + "; once more");
    f->repeated.push_back(why);
    error_.clear();
    return run();
  }
  bool TimeStartup(const std::string& exe, const char* window_class, double* seconds);
  bool TimeListing(double* seconds);
  bool ShowAccount(const RunningProgram& program);
  bool TimeBatch(const RunningProgram& program, double* seconds, double* processor);
  bool TimeBareLoop(int in_flight, double* seconds, double* processor);
  bool CheckConverted(const std::string& who);
  void ClearOutput() const;
  std::string voice_folder() const { return batch_folder_ + "\\" + account_ + "\\ptt"; }

  std::string program_;
  std::string sonoteca_;
  std::string batch_folder_;
  std::string account_;
  std::string listing_folder_;
  std::string tools_;
  std::string error_;
};

// From CreateProcess to a visible main window; the program is then closed
// and has ended before the next run.
bool Bench::TimeStartup(const std::string& exe, const char* window_class, double* seconds) {
  PROCESS_INFORMATION pi = {};
  const double start = Seconds();
  if (!StartProcess(exe, "\"" + exe + "\"", &pi)) return Fail("cannot start " + exe);
  const ScopedHandle process(pi.hProcess);
  const ScopedHandle thread(pi.hThread);
  HWND main = nullptr;
  const double limit = start + 30;
  while ((main = VisibleWindow(pi.dwProcessId, window_class, kMainCaption)) == nullptr && Seconds() < limit) {
    Sleep(1);
  }
  *seconds = Seconds() - start;
  if (main != nullptr) PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 99);
    WaitForSingleObject(pi.hProcess, 5000);
    return Fail(exe + " did not end when its main window was closed");
  }
  return main != nullptr || Fail(exe + " showed no main window within 30 s");
}

bool Bench::MeasureStartup(Figures* f) {
  const std::string bare = tools_ + "\\bare_window.exe";
  // Side by side, so that a slow moment of the machine hits both.
  for (int run = 0; run < kNoisyStartupRuns; ++run) {
    if (run == kRuns && Spread(f->startup) <= kNoisySpread && Spread(f->bare_startup) <= kNoisySpread) break;
    double s = 0, b = 0;
    if (!TimeStartup(sonoteca_, kSonotecaClass, &s) || !TimeStartup(bare, kBareClass, &b)) return false;
    f->startup.push_back(s);
    f->bare_startup.push_back(b);
    Progress("start-up " + Format(s, 3) + " s, bare " + Format(b, 3) + " s");
  }
  return true;
}

// From the press of the batch button to all accounts in the list, in a
// program started for this run.
bool Bench::TimeListing(double* seconds) {
  RunningProgram program;
  if (!program.Start(sonoteca_, listing_folder_)) return Fail("the program did not start with " + listing_folder_);
  const HWND button = program.Control(kBatchButton);
  if (button == nullptr) return Fail("no batch button");
  const int expected = CountSubfolders(listing_folder_);
  const double start = Seconds();
  PostMessageA(button, BM_CLICK, 0, 0);
  const double limit = start + 600;
  DWORD_PTR count = 0;
  for (;;) {
    if (SendMessageTimeoutA(program.list(), LB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count) == 0) count = 0;
    if (static_cast<int>(count) >= expected || Seconds() > limit) break;
    Sleep(kListPollMs);
  }
  *seconds = Seconds() - start;
  if (static_cast<int>(count) != expected) {
    return Fail("the list holds " + std::to_string(count) + " accounts, not " + std::to_string(expected));
  }
  if (!program.Stop()) return Fail("the program did not end after the listing");
  return true;
}

bool Bench::MeasureListing(Figures* f) {
  Progress("listing");
  const int expected = CountSubfolders(listing_folder_);  // also warms the file system's caches
  if (expected == 0) return Fail("no subfolders in " + listing_folder_);
  f->folders = expected;
  for (int run = 0; run < kRuns; ++run) {
    double s = 0;
    if (!TimeListing(&s)) return false;
    const double start = Seconds();
    const int count = CountSubfolders(listing_folder_);
    const double b = Seconds() - start;
    if (count != expected) return Fail("the bare listing changed its count");
    f->listing.push_back(s);
    f->bare_listing.push_back(b);
    Progress("listing " + Format(s, 2) + " s, bare " + Format(b, 3) + " s");
  }
  return true;
}

// The account's MP3s (and anything else of an earlier run) go, so that every
// run does the same work.
void Bench::ClearOutput() const {
  const std::string account_out = program_ + "\\out\\" + account_;
  ForEachEntry(account_out + "\\*", [&account_out](const std::string& name, bool folder) {
    if (!folder) DeleteFileA((account_out + "\\" + name).c_str());
  });
  const std::string out = program_ + "\\out";
  ForEachEntry(out + "\\*.pcm", [&out](const std::string& name, bool folder) {
    if (!folder) DeleteFileA((out + "\\" + name).c_str());
  });
}


// Every voice file has its MP3, not empty, and no intermediate file is left.
bool Bench::CheckConverted(const std::string& who) {
  int missing = 0;
  std::string first;
  ForEachEntry(voice_folder() + "\\*.slk", [&](const std::string& file, bool folder) {
    if (folder) return;
    const std::string mp3 = file.substr(0, file.size() - 4) + ".mp3";
    if (FileSize(program_ + "\\out\\" + account_ + "\\" + mp3) > 0) return;
    if (missing++ == 0) first = mp3;
  });
  if (missing > 0) {
    return Fail(who + ": " + std::to_string(missing) + " of " + std::to_string(expected_files()) +
                " MP3s missing or empty (" + first + " the first)");
  }
  const int left = CountFiles(program_ + "\\out\\*.pcm");
  if (left > 0) return Fail(who + " left " + std::to_string(left) + " .pcm files in " + program_ + "\\out");
  return true;
}

// The batch button pressed and waited for (the press returns once the
// listing is done), then the account in the list.
bool Bench::ShowAccount(const RunningProgram& program) {
  DWORD_PTR ignored = 0;
  if (SendMessageTimeoutA(program.Control(kBatchButton), BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &ignored) == 0) {
    return Fail("the batch button did not answer");
  }
  const bool listed = test_support::WaitUntil(
      [&] {
        const std::vector<std::string> accounts = program.Accounts();
        return accounts.size() == 1 && accounts[0] == account_;
      },
      10000);
  return listed || Fail("the list does not show the account " + account_);
}

// From the double-click on the account to the final message box; the
// program's processor time over the same stretch, per file.
bool Bench::TimeBatch(const RunningProgram& program, double* seconds, double* processor) {
  ClearOutput();
  const double used_before = ProcessorSeconds(program.process_id());
  const double start = Seconds();
  program.DoubleClickAccount(0);
  const double limit = start + kBatchLimitMs / 1000.0;
  while (VisibleWindow(program.process_id(), "#32770", nullptr) == nullptr && Seconds() < limit) {
    Sleep(kBoxPollMs);
  }
  *seconds = Seconds() - start;
  const double used_after = ProcessorSeconds(program.process_id());
  const std::string message = program.AnswerBox(5000);
  if (message != kConverted) return Fail("the batch ended with \"" + message + "\"");
  if (used_before < 0 || used_after < 0) return Fail("no processor time of sonoteca.exe in the process list");
  *processor = (used_after - used_before) / expected_files();
  // Idle again: the progress has left the caption.
  test_support::WaitUntil([&] { return TextOf(program.main()) == kMainCaption; }, 10000);
  return CheckConverted("Sonoteca");
}

// From the start of bare_loop.exe to its end; the processor time it reports
// for its work (the process list has no entry for a process that has
// ended), per file.
bool Bench::TimeBareLoop(int in_flight, double* seconds, double* processor) {
  ClearOutput();
  const std::string exe = tools_ + "\\bare_loop.exe";
  std::string command = "\"" + exe + "\" \"" + program_ + "\" \"" + account_ + "\" \"" + voice_folder() + "\" " +
                        std::to_string(in_flight);
  // Its one line of output goes to a pipe, its errors to our stderr.
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inheritable, 0)) return Fail("no pipe for bare_loop.exe");
  const ScopedHandle reader(read_end);
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  PROCESS_INFORMATION pi = {};
  double start = 0;
  bool started = false;
  {
    // Once this block has closed our write end, the child's end is the pipe's.
    const ScopedHandle writer(write_end);
    HANDLE errors = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE), GetCurrentProcess(), &errors, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
    const ScopedHandle error_copy(errors);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write_end;
    si.hStdError = errors;
    start = Seconds();
    started = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi) != FALSE;
  }
  if (!started) return Fail("cannot start " + exe);
  const ScopedHandle process(pi.hProcess);
  const ScopedHandle thread(pi.hThread);
  // Its output (one short line) fits in the pipe, so it never waits for us.
  const DWORD waited = WaitForSingleObject(pi.hProcess, kBatchLimitMs);
  *seconds = Seconds() - start;
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 99);
    return Fail("bare_loop.exe did not end");
  }
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  if (code != 0) return Fail("bare_loop.exe ended with " + std::to_string(code));
  std::string output;
  char chunk[256];
  DWORD got = 0;
  while (ReadFile(read_end, chunk, sizeof chunk, &got, nullptr) && got > 0) output.append(chunk, got);
  const size_t at = output.find("processor ");
  if (at == std::string::npos) return Fail("bare_loop.exe did not say its processor time");
  *processor = std::strtod(output.c_str() + at + 10, nullptr) / expected_files();
  return CheckConverted("bare_loop.exe");
}

std::string ModeName(int conversions) {
  return conversions == 1 ? "one at a time" : std::to_string(conversions) + " at once";
}

bool Bench::MeasureBatches(Figures* f) {
  if (expected_files() == 0) return Fail("no voice files in " + voice_folder());
  // One program for each mode, which keeps it for all runs; the memory of
  // the last (the most at once) is watched.
  RunningProgram programs[kModeCount];
  for (int m = 0; m < kModeCount; ++m) {
    f->modes[m].conversions = kModes[m];
    if (!programs[m].Start(sonoteca_, batch_folder_,
                           {"SONOTECA_MAX_CONVERSIONS=" + std::to_string(kModes[m])})) {
      return Fail("the program did not start with " + batch_folder_);
    }
  }
  const RunningProgram& watched = programs[kModeCount - 1];
  // Run by run, side by side, so that a slow moment of the machine hits all.
  for (int run = 0; run < kRuns; ++run) {
    const std::string of = " " + std::to_string(run + 1) + "/" + std::to_string(kRuns);
    for (int m = 0; m < kModeCount; ++m) {
      BatchMode& mode = f->modes[m];
      const RunningProgram& program = programs[m];
      const bool is_watched = &program == &watched;
      const std::string name = ModeName(mode.conversions);
      double s = 0, processor = 0, b = 0, bare_processor = 0;
      const bool batched = Retried("batch " + name + of, f, [&] {
        if (!ShowAccount(program)) return false;
        if (is_watched && run == 0) f->private_before = PrivateBytes(program.process_id(), &f->private_from_pagefile);
        return TimeBatch(program, &s, &processor);
      });
      if (!batched) return false;
      if (is_watched && run == 0) {
        f->private_after_first = PrivateBytes(program.process_id(), &f->private_from_pagefile);
      }
      if (is_watched && run == 1) {
        f->private_after_second = PrivateBytes(program.process_id(), &f->private_from_pagefile);
      }
      Progress("batch " + name + of + ": " + Format(s, 1) + " s, " + Format(processor * 1000, 1) + " ms a file");
      const std::string bare = "bare loop " + std::to_string(mode.conversions) + " in flight" + of;
      if (!Retried(bare, f, [&] { return TimeBareLoop(mode.conversions, &b, &bare_processor); })) return false;
      Progress(bare + ": " + Format(b, 1) + " s, " + Format(bare_processor * 1000, 1) + " ms a file");
      mode.seconds.push_back(s);
      mode.processor.push_back(processor);
      mode.bare_seconds.push_back(b);
      mode.bare_processor.push_back(bare_processor);
    }
  }
  ClearOutput();
  for (RunningProgram& program : programs) {
    if (!program.Stop()) return Fail("the program did not end when closed");
  }
  return true;
}

// 10000 as "10,000".
std::string WithThousands(int n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

constexpr int kWhat = 34;

void PrintRow(const char* what, double sonoteca, double bare, int digits, const char* unit, const char* target = "",
              const char* rest = "") {
  char row[256];
  std::snprintf(row, sizeof row, "%-*s %9.*f %-2s %9.*f %-2s %6.2f  %-15s %s", kWhat, what, digits, sonoteca, unit,
                digits, bare, unit, sonoteca / bare, target, rest);
  std::string text = row;
  text.erase(text.find_last_not_of(' ') + 1);
  std::printf("%s\n", text.c_str());
}

void PrintTable(const Figures& f, int processors, int files, long long program_bytes) {
  std::printf("Sonoteca bench (Wine %s, %d processor%s, sonoteca.exe of %lld KB, median of %d)\n",
              sizeof(void*) == 8 ? "x86_64" : "i686", processors, processors == 1 ? "" : "s",
              program_bytes / 1024, kRuns);
  std::printf("%-*s %12s %12s %6s  %-15s %s\n", kWhat, "what", "Sonoteca", "bare", "ratio", "target",
              "files/s (Sonoteca / bare)");
  char label[64];
  char rest[64];
  char target[32];
  const bool batches = !f.modes[0].seconds.empty();
  if (batches) {
    for (const BatchMode& mode : f.modes) {
      const double s = Median(mode.seconds), b = Median(mode.bare_seconds);
      std::snprintf(label, sizeof label, "batch of %d, %s", files, ModeName(mode.conversions).c_str());
      std::snprintf(target, sizeof target, "<= %.2f %s", kBatchTarget, s / b <= kBatchTarget ? "met" : "MISSED");
      std::snprintf(rest, sizeof rest, "%.2f / %.2f", files / s, files / b);
      PrintRow(label, s, b, 1, "s", target, rest);
    }
    for (const BatchMode& mode : f.modes) {
      std::snprintf(label, sizeof label, "processor per file, %s", ModeName(mode.conversions).c_str());
      PrintRow(label, Median(mode.processor) * 1000, Median(mode.bare_processor) * 1000, 1, "ms");
    }
  }
  if (!f.listing.empty()) {
    std::snprintf(label, sizeof label, "list %s folders", WithThousands(f.folders).c_str());
    PrintRow(label, Median(f.listing), Median(f.bare_listing), 2, "s");
  }
  if (!f.startup.empty()) {
    const bool more = f.startup.size() > static_cast<size_t>(kRuns);
    PrintRow(more ? "start to main window (median of 5)" : "start to main window visible", Median(f.startup),
             Median(f.bare_startup), 3, "s");
  }
  const double mb = 1024.0 * 1024.0;
  if (batches) {
    std::printf("%-*s before %.1f MB, after batch 1 %.1f MB, after batch 2 %.1f MB (%+.1f MB)\n", kWhat,
                f.private_from_pagefile ? "private bytes (PagefileUsage)" : "private bytes", f.private_before / mb,
                f.private_after_first / mb, f.private_after_second / mb,
                (f.private_after_second - f.private_after_first) / mb);
    std::printf("bare: batch = bare_loop.exe with as many programs in flight as Sonoteca converts at once"
                " (CreateProcess, no console; 1: file after file, 2: two files' pipelines at once)\n");
    std::printf("processor: kernel + user time of sonoteca.exe from the double-click to the message box,"
                " of bare_loop.exe over its work; the converters not counted\n");
    std::printf("private bytes: of the program running %s\n", ModeName(kModes[kModeCount - 1]).c_str());
  }
  std::printf("bare: list = FindFirstFileA loop; start = bare_window.exe\n");
  if (f.private_from_pagefile) {
    std::printf("private bytes: PrivateUsage reads 0 here (Wine); PagefileUsage is the same commit charge on Windows\n");
  }
  bool first = true;
  const auto runs = [&first](const std::string& what, const std::vector<double>& values, int digits) {
    if (values.empty()) return;
    std::printf("%s %s", first ? "" : " |", what.c_str());
    first = false;
    for (double v : values) std::printf(" %.*f", digits, v);
  };
  std::printf("runs (s):");
  for (const BatchMode& mode : f.modes) {
    runs(ModeName(mode.conversions), mode.seconds, 1);
    runs("bare " + std::to_string(mode.conversions), mode.bare_seconds, 1);
  }
  runs("list", f.listing, 2);
  runs("bare", f.bare_listing, 3);
  runs("start", f.startup, 3);
  runs("bare", f.bare_startup, 3);
  std::printf("\n");
  if (batches) {
    // Each run's batches ran side by side: their ratio holds up better
    // against a machine whose load changes between runs.
    std::printf("ratio per run:");
    for (const BatchMode& mode : f.modes) {
      std::printf("%s %s", &mode == &f.modes[0] ? "" : " |", ModeName(mode.conversions).c_str());
      for (size_t i = 0; i < mode.seconds.size(); ++i) std::printf(" %.2f", mode.seconds[i] / mode.bare_seconds[i]);
    }
    std::printf("\n");
  }
  for (const std::string& why : f.repeated) std::printf("run once more: %s\n", why.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const char* usage =
      "usage: bench.exe <program folder> <batch MobileQQ> <account> <listing MobileQQ> [startup] [listing] [batch]\n";
  if (argc < 5) {
    std::fprintf(stderr, "%s", usage);
    return 2;
  }
  // Without a part named, every part is measured.
  bool startup = argc == 5, listing = argc == 5, batches = argc == 5;
  for (int i = 5; i < argc; ++i) {
    const std::string part = argv[i];
    bool* chosen = part == "startup" ? &startup : part == "listing" ? &listing : part == "batch" ? &batches : nullptr;
    if (chosen == nullptr) {
      std::fprintf(stderr, "bench: no part \"%s\"\n%s", argv[i], usage);
      return 2;
    }
    *chosen = true;
  }
  // Plain line ends on the Linux terminal that shows the table.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const int processors = static_cast<int>(system.dwNumberOfProcessors);

  Bench bench(argv[1], argv[2], argv[3], argv[4]);
  Figures figures;
  const double start = Seconds();
  const bool ok = (!startup || bench.MeasureStartup(&figures)) && (!listing || bench.MeasureListing(&figures)) &&
                  (!batches || bench.MeasureBatches(&figures));
  if (!ok) {
    std::fprintf(stderr, "bench: failed: %s\n", ToUtf8(bench.error()).c_str());
    return 1;
  }
  PrintTable(figures, processors, bench.expected_files(), FileSize(std::string(argv[1]) + "\\sonoteca.exe"));
  std::printf("measuring %.0f s\n", Seconds() - start);
  return 0;
}
