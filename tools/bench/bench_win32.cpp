// The benchmark of `make bench`: Sonoteca's figures measured beside those of
// bare programs doing the same work with plain platform calls, in one run, as
// the median of several runs each:
//   - a batch of voice files, timed from the double-click on the account to
//     the final message box, in the default mode and one conversion at a
//     time, beside bare_loop.exe (the converters one after the other);
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
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/program_driver/program_driver.h"

namespace {

using test_support::RunningProgram;
using test_support::TextOf;
using test_support::ToUtf8;

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
constexpr int kMostConversions = 4;
constexpr DWORD kBatchLimitMs = 15 * 60 * 1000;
constexpr DWORD kBoxPollMs = 5;
constexpr DWORD kListPollMs = 2;

struct HandleCloser {
  HANDLE h;
  explicit HandleCloser(HANDLE handle) : h(handle) {}
  ~HandleCloser() {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;
};

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

double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
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
HWND VisibleWindow(DWORD pid, const char* cls, const char* caption) {
  for (HWND w = FindWindowExA(nullptr, nullptr, cls, caption); w != nullptr;
       w = FindWindowExA(nullptr, w, cls, caption)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// The private bytes of a process; 0 when they cannot be read.
// *from_pagefile says when they come from PagefileUsage.
double PrivateBytes(DWORD pid, bool* from_pagefile) {
  const HandleCloser process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  if (process.h == nullptr) return 0;
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  if (!K32GetProcessMemoryInfo(process.h, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
    return 0;
  }
  // Windows documents PagefileUsage as the same commit charge; Wine 8 fills
  // only that one.
  *from_pagefile = counters.PrivateUsage == 0;
  return static_cast<double>(*from_pagefile ? counters.PagefileUsage : counters.PrivateUsage);
}

struct Figures {
  std::vector<double> startup, bare_startup;
  std::vector<double> listing, bare_listing;
  std::vector<double> batch, serial_batch, bare_batch;
  int folders = 0;
  double private_before = 0, private_after_first = 0, private_after_second = 0;
  bool private_from_pagefile = false;
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

 private:
  bool Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    return false;
  }
  // A run whose work failed is run once more, and that is said: under Wine a
  // converter has been seen not to start, about once in two thousand starts.
  template <class Run>
  bool Retried(const std::string& what, Run run) {
    if (run()) return true;
    Progress(what + " failed (" + ToUtf8(error_) + "); once more");
    error_.clear();
    return run();
  }
  bool TimeStartup(const std::string& exe, const char* window_class, double* seconds);
  bool TimeListing(double* seconds);
  bool ShowAccount(const RunningProgram& program);
  bool TimeBatch(const RunningProgram& program, double* seconds);
  bool TimeBareLoop(double* seconds);
  bool CheckConverted(const char* who);
  void ClearOutput() const;
  int expected_files() const { return CountFiles(batch_folder_ + "\\" + account_ + "\\ptt\\*.slk"); }

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
  const HandleCloser process(pi.hProcess);
  const HandleCloser thread(pi.hThread);
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

bool Bench::CheckConverted(const char* who) {
  const int made = CountFiles(program_ + "\\out\\" + account_ + "\\*.mp3");
  const int expected = expected_files();
  if (made == expected) return true;
  return Fail(std::string(who) + " made " + std::to_string(made) + " MP3s of " + std::to_string(expected));
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

// From the double-click on the account to the final message box.
bool Bench::TimeBatch(const RunningProgram& program, double* seconds) {
  ClearOutput();
  const double start = Seconds();
  program.DoubleClickAccount(0);
  const double limit = start + kBatchLimitMs / 1000.0;
  while (VisibleWindow(program.process_id(), "#32770", nullptr) == nullptr && Seconds() < limit) {
    Sleep(kBoxPollMs);
  }
  *seconds = Seconds() - start;
  const std::string message = program.AnswerBox(5000);
  if (message != kConverted) return Fail("the batch ended with \"" + ToUtf8(message) + "\"");
  // Idle again: the progress has left the caption.
  test_support::WaitUntil([&] { return TextOf(program.main()) == kMainCaption; }, 10000);
  return CheckConverted("Sonoteca");
}

// From the start of bare_loop.exe to its end.
bool Bench::TimeBareLoop(double* seconds) {
  ClearOutput();
  const std::string exe = tools_ + "\\bare_loop.exe";
  const std::string command = "\"" + exe + "\" \"" + program_ + "\" \"" + account_ + "\" \"" + batch_folder_ +
                              "\\" + account_ + "\\ptt\"";
  PROCESS_INFORMATION pi = {};
  const double start = Seconds();
  if (!StartProcess(exe, command, &pi)) return Fail("cannot start " + exe);
  const HandleCloser process(pi.hProcess);
  const HandleCloser thread(pi.hThread);
  const DWORD waited = WaitForSingleObject(pi.hProcess, kBatchLimitMs);
  *seconds = Seconds() - start;
  DWORD code = 1;
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(pi.hProcess, 99);
    return Fail("bare_loop.exe did not end");
  }
  GetExitCodeProcess(pi.hProcess, &code);
  if (code != 0) return Fail("bare_loop.exe ended with " + std::to_string(code));
  return CheckConverted("bare_loop.exe");
}

bool Bench::MeasureBatches(Figures* f) {
  if (expected_files() == 0) return Fail("no voice files in " + batch_folder_ + "\\" + account_ + "\\ptt");
  // The default mode's runs share one process, whose memory is watched.
  RunningProgram batch;
  RunningProgram serial;
  if (!batch.Start(sonoteca_, batch_folder_) ||
      !serial.Start(sonoteca_, batch_folder_, {"SONOTECA_MAX_CONVERSIONS=1"})) {
    return Fail("the program did not start with " + batch_folder_);
  }
  // Run by run, side by side, so that a slow moment of the machine hits all three.
  for (int run = 0; run < kRuns; ++run) {
    const std::string of = " " + std::to_string(run + 1) + "/" + std::to_string(kRuns);
    double s = 0, one = 0, b = 0;
    bool shown = ShowAccount(batch);
    if (!shown) return false;
    if (run == 0) f->private_before = PrivateBytes(batch.process_id(), &f->private_from_pagefile);
    const bool batched = Retried("batch" + of, [&] {
      if (!shown && !ShowAccount(batch)) return false;
      shown = false;  // a batch hides the list
      return TimeBatch(batch, &s);
    });
    if (!batched) return false;
    if (run == 0) f->private_after_first = PrivateBytes(batch.process_id(), &f->private_from_pagefile);
    if (run == 1) f->private_after_second = PrivateBytes(batch.process_id(), &f->private_from_pagefile);
    Progress("batch" + of + ": " + Format(s, 1) + " s");
    if (!Retried("batch one at a time" + of, [&] { return ShowAccount(serial) && TimeBatch(serial, &one); })) {
      return false;
    }
    Progress("batch one at a time" + of + ": " + Format(one, 1) + " s");
    if (!Retried("bare loop" + of, [&] { return TimeBareLoop(&b); })) return false;
    Progress("bare loop" + of + ": " + Format(b, 1) + " s");
    f->batch.push_back(s);
    f->serial_batch.push_back(one);
    f->bare_batch.push_back(b);
  }
  ClearOutput();
  if (!batch.Stop() || !serial.Stop()) return Fail("the program did not end when closed");
  return true;
}

// 10000 as "10,000".
std::string WithThousands(int n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

void PrintRow(const char* what, double sonoteca, double bare, int digits, const char* rest = "") {
  std::printf("%-32s %9.*f s %9.*f s %8.2f  %s\n", what, digits, sonoteca, digits, bare, sonoteca / bare, rest);
}

void PrintTable(const Figures& f, int processors, int files) {
  const int conversions = std::min(std::max(processors, 1), kMostConversions);
  std::printf("Sonoteca bench (Wine x86_64, %d processor%s, %d conversion%s at once by default, median of %d)\n",
              processors, processors == 1 ? "" : "s", conversions, conversions == 1 ? "" : "s", kRuns);
  std::printf("%-32s %11s %11s %8s  %s\n", "what", "Sonoteca", "bare", "ratio", "files/s (Sonoteca / bare)");
  char label[64];
  char rate[64];
  if (!f.batch.empty()) {
    const double bare = Median(f.bare_batch);
    std::snprintf(label, sizeof label, "batch of %d, %d at once", files, conversions);
    std::snprintf(rate, sizeof rate, "%.2f / %.2f", files / Median(f.batch), files / bare);
    PrintRow(label, Median(f.batch), bare, 1, rate);
    std::snprintf(label, sizeof label, "batch of %d, one at a time", files);
    std::snprintf(rate, sizeof rate, "%.2f / %.2f", files / Median(f.serial_batch), files / bare);
    PrintRow(label, Median(f.serial_batch), bare, 1, rate);
  }
  if (!f.listing.empty()) {
    std::snprintf(label, sizeof label, "list %s folders", WithThousands(f.folders).c_str());
    PrintRow(label, Median(f.listing), Median(f.bare_listing), 2);
  }
  if (!f.startup.empty()) {
    const bool more = f.startup.size() > static_cast<size_t>(kRuns);
    PrintRow(more ? "start to main window (median of 5)" : "start to main window visible", Median(f.startup),
             Median(f.bare_startup), 3);
  }
  const double mb = 1024.0 * 1024.0;
  if (!f.batch.empty()) {
    std::printf("%-32s before %.1f MB, after batch 1 %.1f MB, after batch 2 %.1f MB (%+.1f MB)\n",
                f.private_from_pagefile ? "private bytes (PagefileUsage)" : "private bytes", f.private_before / mb,
                f.private_after_first / mb, f.private_after_second / mb,
                (f.private_after_second - f.private_after_first) / mb);
  }
  std::printf("bare: batch = bare_loop.exe (CreateProcess, one file after the other); list = FindFirstFileA loop;"
              " start = bare_window.exe\n");
  if (f.private_from_pagefile) {
    std::printf("private bytes: PrivateUsage reads 0 here (Wine); PagefileUsage is the same commit charge on Windows\n");
  }
  const auto runs = [](const char* what, const std::vector<double>& values, int digits) {
    if (values.empty()) return;
    std::printf(" %s", what);
    for (double v : values) std::printf(" %.*f", digits, v);
  };
  std::printf("runs (s):");
  runs("batch", f.batch, 1);
  runs("| one at a time", f.serial_batch, 1);
  runs("| bare loop", f.bare_batch, 1);
  runs("| list", f.listing, 2);
  runs("| bare", f.bare_listing, 3);
  runs("| start", f.startup, 3);
  runs("| bare", f.bare_startup, 3);
  std::printf("\n");
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
  const int files = CountFiles(std::string(argv[2]) + "\\" + argv[3] + "\\ptt\\*.slk");
  PrintTable(figures, processors, files);
  std::printf("whole bench %.0f s\n", Seconds() - start);
  return 0;
}
