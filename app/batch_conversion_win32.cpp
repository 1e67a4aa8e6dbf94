// The double-click on an account: its voice files are collected on the
// window thread, which keeps answering meanwhile, and converted by one
// worker thread, which keeps several conversions going and reports progress
// to the window thread. A finished batch's report is shown by the window
// thread once the worker has ended; a stopped batch ends every converter it
// started and clears what they wrote before "已停止" is shown.
#include <memory>
#include <string>
#include <vector>

#include "app/account_listing.h"
#include "app/batch_conversion.h"
#include "app/batch_names.h"
#include "app/batch_state.h"
#include "app/file_conversion.h"
#include "app/file_search.h"
#include "app/file_walk.h"
#include "app/handlers.h"
#include "app/owned_text.h"
#include "app/path_text.h"
#include "app/source_selection.h"
#include "app/tick_count.h"
#include "app/user_message.h"
#include "app/window_ids.h"
#include "resources/constant_data.h"
#include "runtime/commands/control_commands.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/list_box.h"
#include "runtime/commands/shell_commands.h"
#include "runtime/commands/system_commands.h"
#include "runtime/commands/taskbar_progress.h"
#include "runtime/commands/threads.h"
#include "runtime/commands/window_type.h"
#include "runtime/core/property_access.h"
#include "runtime/core/thread_stop.h"
#include "runtime/core/unit_record.h"
#include "runtime/core/values.h"

namespace app {
namespace {

constexpr int32_t kContent = rt::kFirstTypeProperty + rt::kEditContent;
constexpr int32_t kCaption = rt::kFirstTypeProperty + rt::kWindowCaption;
constexpr int32_t kSelection = rt::kFirstTypeProperty + rt::kListCurrentSelection;
constexpr int32_t kKindQq = 0;
constexpr int32_t kSuffixBytes = 4;
// Given to a program that cannot be waited for (there is no process).
constexpr uint32_t kUnwaitedPauseMs = 500;
// How long a stop waits for the worker to end its converters and clear
// their files before it cuts the worker off.
constexpr uint32_t kStopBoundMs = 30000;
// A collection looks at the window's events this often, after its first
// hundred entries (every entry before).
constexpr uint32_t kCollectEventsEveryMs = 10;
constexpr int32_t kCollectEachOfTheFirst = 100;

#if defined(__i386__)
#define THREAD_ROUTINE __attribute__((stdcall))
#else
#define THREAD_ROUTINE
#endif

std::string ReadText(uint32_t window, uint32_t control, int32_t property) {
  return OwnedText(reinterpret_cast<const char*>(static_cast<intptr_t>(rt::ReadProperty(window, control, property, -1))))
      .str();
}

// Read afresh for each encoder, also from the worker.
std::string ReadSampleRate() { return ReadText(kMainWindow, kSampleRateBox, kContent); }

std::string ProgramFolder() { return OwnedText(rt::CallCoreCommand(rt::ProgramFolder, 0, nullptr).AsText()).str(); }

char* NewRuntimeText(const std::string& text) { return rt::NewText(text.c_str()); }

// --- Progress and the report, on the window thread only -----------------------

void SetCaption(const std::string& caption) {
  rt::WriteProperty(kMainWindow, 0, kCaption, -1, reinterpret_cast<intptr_t>(caption.c_str()), 0);
}

void SetTaskbar(int32_t done, int32_t total) {
  rt::ArgValue args[3] = {rt::MakeControlRef(kMainWindow, 0, rt::kTypeWindow), rt::ArgValue::Int(done),
                          rt::ArgValue::Int(total)};
  rt::CallLibraryCommand(rt::SetTaskbarProgress, 3, args);
}

void ShowProgress() {
  const BatchState& batch = Batch();
  const int32_t total = static_cast<int32_t>(batch.job->files.size());
  const int32_t done = batch.job->finished.load();
  SetCaption(ProgressCaption(batch.rest_caption, done, total));
  SetTaskbar(done, total);
}

void ShowRest() {
  BatchState& batch = Batch();
  if (!batch.batch_running) return;
  batch.batch_running = false;
  SetCaption(batch.rest_caption);
  SetTaskbar(0, 0);
}

// Posted by the worker; a batch that is no longer the running one is past.
// Drawn at most every so often: each caption is a repaint, and a user
// cannot read faster; the last file is always shown.
void OnProgressPosted(uintptr_t serial) {
  constexpr uint32_t kProgressEveryMs = 100;
  BatchState& batch = Batch();
  if (!batch.batch_running || batch.job == nullptr || batch.job->serial != serial) return;
  const uint32_t now = Now();
  const bool last = batch.job->finished.load() == static_cast<int32_t>(batch.job->files.size());
  if (!last && now - batch.progress_shown_at < kProgressEveryMs) return;
  batch.progress_shown_at = now;
  ShowProgress();
}

void OnBatchEndPosted(uintptr_t serial) {
  const BatchState& batch = Batch();
  if (batch.job != nullptr && batch.job->serial == serial) ShowRest();
}

// The report of a finished batch, handed to the window thread with the
// batch it belongs to.
struct PostedReport {
  uint32_t serial;
  std::string text;
};

// The report stays until the user closes it: no stop, no later batch and no
// other account closes it, as they would a box of a worker's.
void OnReportPosted(uintptr_t posted) {
  const std::unique_ptr<PostedReport> report(reinterpret_cast<PostedReport*>(posted));
  OnBatchEndPosted(report->serial);
  Tell(report->text);
}

// The worker never waits for the window thread, which may be busy. False
// when the program is shutting down and nothing can be handed over.
bool PostFromWorker(void (*routine)(uintptr_t), uintptr_t argument) {
  rt::ArgValue args[2] = {rt::ArgValue::Address(reinterpret_cast<const void*>(routine), rt::kTagSubroutine),
                          rt::ArgValue::Address(reinterpret_cast<const void*>(argument), rt::kTagInt)};
  return rt::CallLibraryCommand(rt::RunOnWindowThread, 2, args).AsInt() != 0;
}

// --- The worker --------------------------------------------------------------

struct Slot {
  size_t index;  // in the job's files
  FileConversion* conversion;
};

// Keeps up to the job's number of conversions going until every file has
// ended, and records how each ended, in collection order. False when the
// window thread asked for a stop: the conversions in flight are then still
// in the job, for AbandonInFlight.
bool ConvertAll(BatchJob* job, std::vector<Failure>* failures, std::vector<bool>* ended) {
  const ConversionSettings settings = {job->limit_ms, kUnwaitedPauseMs, ReadSampleRate};
  std::vector<Slot> running;
  size_t next = 0;
  const auto finished = [job, failures, ended](size_t index, const FileConversion& conversion) {
    (*failures)[index] = conversion.failure();
    (*ended)[index] = true;
    job->finished.fetch_add(1);
    PostFromWorker(OnProgressPosted, job->serial);
  };
  for (;;) {
    while (running.size() < static_cast<size_t>(job->max_conversions) && next < job->files.size()) {
      if (job->outcome.load() != BatchOutcome::kRunning) return false;
      const size_t index = next++;
      if (job->unusable[index]) {
        (*failures)[index] = Failure::kNameUnusable;
        (*ended)[index] = true;
        job->finished.fetch_add(1);
        continue;
      }
      job->in_flight.push_back(std::make_unique<FileConversion>(job->files[index], settings));
      FileConversion* conversion = job->in_flight.back().get();
      conversion->Start();
      if (conversion->done()) {
        finished(index, *conversion);
        job->in_flight.pop_back();
      } else {
        running.push_back({index, conversion});
      }
    }
    if (running.empty()) return true;

    // The stop signal is waited for among the programs: the last one.
    std::vector<int32_t> handles;
    uint32_t wait_ms = job->limit_ms;
    const uint32_t now = Now();
    for (const Slot& slot : running) {
      handles.push_back(slot.conversion->process());
      const uint32_t left = slot.conversion->MillisecondsLeft(now);
      if (left < wait_ms) wait_ms = left;
    }
    handles.push_back(job->stop_signal);
    rt::ArgValue args[3] = {rt::ArgValue::Int(static_cast<int32_t>(handles.size())),
                            rt::ArgValue::Address(handles.data(), rt::kTagInt),
                            rt::ArgValue::Int(static_cast<int32_t>(wait_ms))};
    const int32_t answer = rt::CallLibraryCommand(rt::WaitForPrograms, 3, args).AsInt();
    if (job->outcome.load() != BatchOutcome::kRunning) return false;
    if (answer == rt::kWaitFailed) {
      rt::ArgValue pause = rt::ArgValue::Int(50);
      rt::CallCoreCommand(rt::Pause, 1, &pause);
    }
    // Each looks whether its program has ended or run out of time, and goes on.
    const uint32_t later = Now();
    for (size_t i = 0; i < running.size();) {
      FileConversion* conversion = running[i].conversion;
      conversion->Advance(later);
      if (!conversion->done()) {
        ++i;
        continue;
      }
      finished(running[i].index, *conversion);
      for (size_t k = 0; k < job->in_flight.size(); ++k) {
        if (job->in_flight[k].get() == conversion) {
          job->in_flight.erase(job->in_flight.begin() + static_cast<std::ptrdiff_t>(k));
          break;
        }
      }
      running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

// Ends every converter still running by its own handle, clears what it
// wrote and puts back the MP3 it had set aside.
void AbandonInFlight(BatchJob* job) {
  for (const std::unique_ptr<FileConversion>& conversion : job->in_flight) conversion->Abandon();
  job->in_flight.clear();
}

// The list file of the failures of this account's last batch: written when
// some failed, removed when none did. False when it could not be written.
bool WriteFailureList(const BatchJob& job, const std::vector<std::string>& lines, std::string* path) {
  *path = job.program_folder + "\\out\\" + job.account + "\\" + res::kConstantData.failure_list_file;
  if (lines.empty()) {
    rt::ArgValue arg = rt::ArgValue::Text(path->c_str());
    rt::CallCoreCommand(rt::RemoveFile, 1, &arg);
    return true;
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  rt::ArgValue args[2] = {rt::ArgValue::Text(path->c_str()), rt::ArgValue::Text(text.c_str())};
  return rt::CallCoreCommand(rt::WriteTextFile, 2, args).AsInt() != 0;
}

// True when this worker's batch ends as finished; false when the window
// thread has stopped it meanwhile.
bool EndsFinished(BatchJob* job) {
  BatchOutcome expected = BatchOutcome::kRunning;
  return job->outcome.compare_exchange_strong(expected, BatchOutcome::kFinished);
}

void PostReport(const BatchJob& job, const std::string& text) {
  auto* report = new PostedReport{job.serial, text};
  if (!PostFromWorker(OnReportPosted, reinterpret_cast<uintptr_t>(report))) delete report;
}

uint32_t THREAD_ROUTINE RunBatchConversion(void* parameter) {
  BatchJob* job = static_cast<BatchJob*>(parameter);
  if (job->files.empty()) {
    if (EndsFinished(job)) {
      PostReport(*job, res::kConstantData.no_voice_files + job->searched_folder);
    } else {
      PostFromWorker(OnBatchEndPosted, job->serial);
    }
    return 0;
  }
  std::vector<Failure> failures(job->files.size(), Failure::kNone);
  std::vector<bool> ended(job->files.size(), false);
  const bool complete = ConvertAll(job, &failures, &ended) && EndsFinished(job);
  if (!complete) AbandonInFlight(job);
  // What failed up to a stop is listed too: an earlier list must not pass
  // for this batch's.
  std::vector<std::string> lines;
  int32_t converted = 0;
  for (size_t i = 0; i < failures.size(); ++i) {
    if (!ended[i]) continue;
    if (failures[i] == Failure::kNone) {
      ++converted;
    } else {
      lines.push_back(FailureLine(job->files[i], failures[i]));
    }
  }
  std::string list;
  const bool list_written = WriteFailureList(*job, lines, &list);
  if (!complete) {
    PostFromWorker(OnBatchEndPosted, job->serial);
    return 0;
  }
  // Also what an earlier batch left, when a stop could not clear it.
  WalkFiles(job->program_folder + "\\out", "*.pcm", DeleteFoundFile);
  PostReport(*job, BatchSummary(converted, lines, list, list_written));
  return 0;
}

// --- Collection, on the window thread ----------------------------------------

// A collection of an account's voice files. The window's events are handled
// as it goes, so the window keeps answering on a large account; a stop or
// a later batch overtakes it.
class Collection {
 public:
  explicit Collection(uint32_t serial) : serial_(serial), handled_(Now()) {}

  // The files of `folder` (ending in "\") that match `pattern`. A folder
  // whose name looks like a voice file is no voice file.
  void AddMatching(const std::string& folder, const std::string& pattern) {
    EntrySearch search;
    for (FolderEntry entry = search.First(folder + pattern); !entry.name.empty() && Goes(); entry = search.Next()) {
      if (entry.name == "." || entry.name == ".." || entry.is_folder()) continue;
      paths_.push_back(folder + entry.name);
      names_.push_back(entry.name.size() > kSuffixBytes ? entry.name.substr(0, entry.name.size() - kSuffixBytes)
                                                        : std::string());
      unusable_.push_back(!entry.usable);
    }
  }

  // The subfolders of `folder`, as full paths, but those whose names begin
  // with "." and those that cannot be named.
  std::vector<std::string> Subfolders(const std::string& folder) {
    const std::string base = WithSeparator(folder);
    std::vector<std::string> found;
    EntrySearch search;
    for (FolderEntry entry = search.First(base + "*.*"); !entry.name.empty() && Goes(); entry = search.Next()) {
      if (entry.is_folder() && entry.usable && entry.name[0] != '.') found.push_back(base + entry.name);
    }
    return found;
  }

  // False once a stop or a later batch has overtaken the collection.
  bool Goes() {
    if (Batch().collection_serial != serial_) return false;
    const uint32_t now = Now();
    if (++entries_ > kCollectEachOfTheFirst && now - handled_ < kCollectEventsEveryMs) return true;
    rt::CallCoreCommand(rt::ProcessPendingEvents, 0, nullptr);
    handled_ = Now();
    return Batch().collection_serial == serial_;
  }

  const std::vector<std::string>& paths() const { return paths_; }
  const std::vector<std::string>& names() const { return names_; }
  const std::vector<bool>& unusable() const { return unusable_; }

 private:
  uint32_t serial_;
  uint32_t handled_;
  int32_t entries_ = 0;
  std::vector<std::string> paths_;
  std::vector<std::string> names_;
  std::vector<bool> unusable_;
};

// The file system's own key of a name, as two names of one folder compare.
std::string FileSystemKey(const std::string& name) {
  rt::ArgValue arg = rt::ArgValue::Text(name.c_str());
  return OwnedText(rt::CallCoreCommand(rt::FileNameKey, 1, &arg).AsText()).str();
}

int32_t NewStopSignal() { return rt::CallLibraryCommand(rt::NewSignal, 0, nullptr).AsInt(); }

void StartWorker(std::unique_ptr<BatchJob> job) {
  BatchState& batch = Batch();
  batch.job = std::move(job);
  int32_t handle = 0;
  rt::ArgValue args[3] = {
      rt::ArgValue::Address(reinterpret_cast<const void*>(&RunBatchConversion), rt::kTagSubroutine),
      rt::ArgValue::Address(batch.job.get(), rt::kTagInt), rt::ArgValue::Address(&handle, rt::kTagInt)};
  rt::CallLibraryCommand(rt::StartThread, 3, args);
  batch.worker_thread_handle = static_cast<uintptr_t>(static_cast<intptr_t>(handle));
  if (handle != 0) {
    if (!batch.batch_running) batch.rest_caption = ReadText(kMainWindow, 0, kCaption);
    batch.batch_running = true;
    ShowProgress();
  } else {
    batch.job->outcome.store(BatchOutcome::kFinished);
  }
}

std::unique_ptr<BatchJob> NewJob(const std::string& searched_folder, const Collection& collected) {
  BatchState& batch = Batch();
  auto job = std::make_unique<BatchJob>();
  job->serial = ++batch.batch_serial;
  job->account = batch.chosen_account != nullptr ? batch.chosen_account : "";
  job->program_folder = ProgramFolder();
  job->searched_folder = searched_folder;
  job->limit_ms = batch.converter_limit_ms;
  job->stop_signal = NewStopSignal();
  const int32_t processors = rt::CallCoreCommand(rt::ProcessorCount, 0, nullptr).AsInt();
  rt::ArgValue name = rt::ArgValue::Text("SONOTECA_MAX_CONVERSIONS");
  job->max_conversions = MaxConversions(
      processors, OwnedText(rt::CallCoreCommand(rt::EnvironmentVariable, 1, &name).AsText()).str());
  // Two files whose names the file system takes for one (WeChat keeps files
  // of one name in different folders) must not share an output or an
  // intermediate file.
  const std::vector<std::string> settled = SettleBaseNames(collected.names(), FileSystemKey);
  for (size_t i = 0; i < collected.paths().size(); ++i) {
    job->files.push_back(PlanBatchFile(collected.paths()[i], settled[i], job->program_folder, job->account));
  }
  job->unusable = collected.unusable();
  return job;
}

// Waits for the worker of `handle` to end, the window answering meanwhile;
// false when it has not ended within `bound_ms`.
bool WorkerEnded(int32_t handle, uint32_t bound_ms) {
  rt::ArgValue args[3] = {rt::ArgValue::Int(1), rt::ArgValue::Address(&handle, rt::kTagInt),
                          rt::ArgValue::Int(static_cast<int32_t>(bound_ms))};
  return rt::CallLibraryCommand(rt::WaitForPrograms, 3, args).AsInt() == 0;
}

// The output folders a batch writes to: out (the intermediate files) and
// out\<account> (the MP3s). An empty text when both can be written, else
// the message that names the first that cannot.
std::string OutputFolderProblem(const std::string& d, const std::string& account_out) {
  for (const std::string& folder : {d + "\\out", account_out}) {
    rt::ArgValue arg = rt::ArgValue::Text(folder.c_str());
    switch (rt::CallCoreCommand(rt::ProbeFolder, 1, &arg).AsInt()) {
      case rt::kFolderFull: return res::kConstantData.disk_full + folder;
      case rt::kFolderNotWritable: return res::kConstantData.cannot_write_folder + folder;
      default: break;
    }
  }
  return std::string();
}

}  // namespace

void CollectVoiceFiles(const std::string& folder, int32_t kind) {
  BatchState& batch = Batch();
  const uint32_t serial = ++batch.collection_serial;
  // 停止 ends a collection too.
  rt::WriteProperty(kMainWindow, kStopButton, rt::kPropDisabled, -1, 0, 0);
  const std::string f = WithSeparator(folder);
  Collection collected(serial);
  if (kind == kKindQq) {
    collected.AddMatching(f, "*.slk");
  } else {
    for (const std::string& s1 : collected.Subfolders(f)) {
      for (const std::string& s2 : collected.Subfolders(s1)) collected.AddMatching(WithSeparator(s2), "*.amr");
    }
  }
  if (batch.collection_serial != serial) return;  // stopped, or another batch took over

  std::unique_ptr<BatchJob> job = NewJob(folder, collected);
  // The runtime's lists of the batch, from what the job works from.
  for (char* text : batch.voice_file_paths) rt::FreeMemory(text);
  batch.voice_file_paths.clear();
  for (char* text : batch.voice_base_names) rt::FreeMemory(text);
  batch.voice_base_names.clear();
  for (const ConversionPlan& plan : job->files) {
    batch.voice_file_paths.push_back(NewRuntimeText(plan.voice));
    batch.voice_base_names.push_back(NewRuntimeText(plan.name));
  }
  StartWorker(std::move(job));
}

bool StopBatch() {
  BatchState& batch = Batch();
  ++batch.collection_serial;  // a collection still running starts nothing
  BatchJob* job = batch.job.get();
  bool stopped = false;
  if (job != nullptr && batch.worker_thread_handle != 0) {
    const int32_t worker = static_cast<int32_t>(static_cast<intptr_t>(batch.worker_thread_handle));
    BatchOutcome expected = BatchOutcome::kRunning;
    stopped = job->outcome.compare_exchange_strong(expected, BatchOutcome::kStopped);
    if (stopped) {
      rt::ArgValue signal = rt::ArgValue::Int(job->stop_signal);
      rt::CallLibraryCommand(rt::RaiseSignal, 1, &signal);
    }
    if (!WorkerEnded(worker, kStopBoundMs)) {
      // It did not wind down: it is cut off, and its files are cleared here.
      StopWorker();
      for (const std::unique_ptr<FileConversion>& conversion : job->in_flight) conversion->AbandonWithoutHandle();
      job->in_flight.clear();
    }
  }
  ShowRest();
  return stopped || job == nullptr || job->outcome.load() == BatchOutcome::kStopped;
}

bool StartBatchConversion(const rt::EventWord*, int32_t, int64_t*) {
  BatchState& batch = Batch();
  ++batch.listing_serial;  // a listing still running has its account now
  rt::WriteProperty(kAccountListWindow, 0, rt::kPropVisible, -1, 0, 0);
  rt::WriteProperty(kAccountListWindow, 0, rt::kPropDisabled, -1, 1, 0);
  BringMainWindowToFront();

  // The worker of an earlier batch ends, and ends its converters, before
  // anything it works from goes; its report, if it has one, stays.
  StopBatch();
  ForgetWorker();
  batch.job.reset();

  const int32_t selected = static_cast<int32_t>(rt::ReadProperty(kAccountListWindow, kAccountList, kSelection, -1));
  rt::ArgValue item[2] = {rt::MakeControlRef(kAccountListWindow, kAccountList, rt::kTypeListBox),
                          rt::ArgValue::Int(selected)};
  char* account = const_cast<char*>(rt::CallCoreCommand(rt::ListBoxItemText, 2, item).AsText());
  rt::FreeMemory(batch.chosen_account);
  batch.chosen_account = account;
  const std::string a = account != nullptr ? account : "";

  const OwnedText p(reinterpret_cast<const char*>(static_cast<intptr_t>(rt::ReadProperty(kMainWindow, kPathBox, kContent, -1))));
  const bool qq = IsQqDataFolderPath(p.get());
  const std::string voice_folder = p.str() + "\\" + a + (qq ? "\\ptt" : "\\voice2");

  const std::string d = ProgramFolder();
  const std::string out = d + "\\out\\" + a;
  if (!IsFolder(out)) MakeFolderPath(out);
  if (!IsFolder(out)) {
    Tell(res::kConstantData.cannot_create_folder + out);
    return false;
  }
  // Nothing is started when the converters could not write their files.
  const std::string problem = OutputFolderProblem(d, out);
  if (!problem.empty()) {
    Tell(problem);
    return false;
  }
  CollectVoiceFiles(voice_folder, qq ? kKindQq : 1);
  return false;
}

bool LastBatchFinished() {
  const BatchJob* job = Batch().job.get();
  return job != nullptr && job->outcome.load() == BatchOutcome::kFinished;
}

}  // namespace app
