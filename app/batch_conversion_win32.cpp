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
#include "app/file_walk.h"
#include "app/handlers.h"
#include "app/path_text.h"
#include "app/pending_batches.h"
#include "app/runtime_access.h"
#include "app/source_selection.h"
#include "app/window_ids.h"
#include "resources/constant_data.h"
#include "runtime/core/heap.h"

namespace app {
namespace {

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

// --- Progress and the report, on the window thread only -----------------------

void ShowProgress() {
  const BatchState& batch = Batch();
  const int32_t total = static_cast<int32_t>(batch.job->files.size());
  const int32_t done = batch.job->finished.load();
  SetMainWindowCaption(ProgressCaption(batch.rest_caption, done, total));
  SetTaskbarProgress(done, total);
}

void ShowRest() {
  BatchState& batch = Batch();
  if (!batch.batch_running) return;
  batch.batch_running = false;
  SetMainWindowCaption(batch.rest_caption);
  SetTaskbarProgress(0, 0);
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
bool PostFromWorker(void (*routine)(uintptr_t), uintptr_t argument) { return PostToWindowThread(routine, argument); }

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
  const ConversionSettings settings = {job->limit_ms, kUnwaitedPauseMs, SampleRateText};
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

    std::vector<FileConversion*> waiting;
    for (const Slot& slot : running) waiting.push_back(slot.conversion);
    // The stop signal is waited for among the programs.
    if (!WaitAndAdvance(waiting, job->stop_signal) || job->outcome.load() != BatchOutcome::kRunning) return false;
    // Those whose program ended or ran out of time have gone on.
    for (size_t i = 0; i < running.size();) {
      FileConversion* conversion = running[i].conversion;
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
// some failed, removed when none did. False when it could not be written,
// or could not be removed.
bool WriteFailureList(const BatchJob& job, const std::vector<std::string>& lines, std::string* path) {
  *path = AccountOutFolder(job.program_folder, job.account) + "\\" + res::kConstantData.failure_list_file;
  if (lines.empty()) return RemoveFile(*path) || FileSize(*path) < 0;
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return WriteTextFile(*path, text);
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

// The intermediate files of out\ (never in the accounts' folders): this
// batch's, and what an earlier one left when a stop could not clear it.
void RemoveLeftIntermediates(const std::string& program_folder) {
  for (const std::string& file : FilesOf(OutFolder(program_folder), "*.pcm")) RemoveFile(file);
}

// The batch itself; the worker clears its record once it is done.
uint32_t ConvertBatch(BatchJob* job) {
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
  RemoveLeftIntermediates(job->program_folder);
  PostReport(*job, BatchSummary(converted, lines, list, list_written));
  return 0;
}

uint32_t RT_THREAD_ROUTINE RunBatchConversion(void* parameter) {
  BatchJob* job = static_cast<BatchJob*>(parameter);
  const uint32_t code = ConvertBatch(job);
  ClearBatchPending(job->program_folder, job->account);
  return code;
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
    ProcessPendingEvents();
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

void StartWorker(std::unique_ptr<BatchJob> job) {
  BatchState& batch = Batch();
  batch.job = std::move(job);
  // Recorded before anything is set aside, for a start after a kill.
  MarkBatchPending(batch.job->program_folder, batch.job->account);
  batch.worker_thread_handle = StartWorkerThread(RunBatchConversion, batch.job.get());
  if (batch.worker_thread_handle != 0) {
    if (!batch.batch_running) batch.rest_caption = MainWindowCaption();
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
  job->stop_signal = NewSignal();
  job->max_conversions = MaxConversions(ProcessorCount(), EnvironmentVariable("SONOTECA_MAX_CONVERSIONS"));
  // Two files whose names the file system takes for one (WeChat keeps files
  // of one name in different folders) must not share an output or an
  // intermediate file.
  const std::vector<std::string> settled = SettleBaseNames(collected.names(), FileNameKey);
  for (size_t i = 0; i < collected.paths().size(); ++i) {
    job->files.push_back(PlanBatchFile(collected.paths()[i], settled[i], job->program_folder, job->account));
  }
  job->unusable = collected.unusable();
  return job;
}

// Waits for the worker of `handle` to end, the window answering meanwhile;
// false when it has not ended within `bound_ms`.
bool WorkerEnded(uintptr_t handle, uint32_t bound_ms) {
  return WaitForAny({static_cast<int32_t>(static_cast<intptr_t>(handle))}, bound_ms) == 0;
}

// Closes the handle of a worker that has ended, before a new one is started.
void ForgetWorker() {
  BatchState& batch = Batch();
  if (batch.worker_thread_handle == 0) return;
  CloseHandleOf(batch.worker_thread_handle);
  batch.worker_thread_handle = 0;
}

// The output folders a batch writes to: out (the intermediate files) and
// out\<account> (the MP3s). An empty text when both can be written, else
// the message that names the first that cannot.
std::string OutputFolderProblem(const std::string& program_folder, const std::string& account) {
  for (const std::string& folder : {OutFolder(program_folder), AccountOutFolder(program_folder, account)}) {
    switch (ProbeFolder(folder)) {
      case FolderState::kFull: return res::kConstantData.disk_full + folder;
      case FolderState::kNotWritable: return res::kConstantData.cannot_write_folder + folder;
      case FolderState::kWritable: break;
    }
  }
  return std::string();
}

}  // namespace

void CollectVoiceFiles(const std::string& folder, DataFolderKind kind) {
  BatchState& batch = Batch();
  const uint32_t serial = ++batch.collection_serial;
  // 停止 ends a collection too.
  SetButtonUsable(kStopButton, true);
  const std::string f = WithSeparator(folder);
  Collection collected(serial);
  if (kind == DataFolderKind::kQq) {
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
    batch.voice_file_paths.push_back(rt::NewText(plan.voice.c_str()));
    batch.voice_base_names.push_back(rt::NewText(plan.name.c_str()));
  }
  StartWorker(std::move(job));
}

bool StopBatch() {
  BatchState& batch = Batch();
  ++batch.collection_serial;  // a collection still running starts nothing
  // The batch this stop is about: while it waits, no handler may start
  // another, so these stay what they are until it has done.
  BatchJob* const job = batch.job.get();
  const uintptr_t worker = batch.worker_thread_handle;
  bool stopped = false;
  if (job != nullptr && worker != 0) {
    BatchOutcome expected = BatchOutcome::kRunning;
    stopped = job->outcome.compare_exchange_strong(expected, BatchOutcome::kStopped);
    if (stopped) RaiseSignal(job->stop_signal);
    // A stop inside this one's wait (a second press, the close) waits for
    // the same worker; only the outermost lets batches start again.
    const bool outermost = !batch.stop_waiting;
    batch.stop_waiting = true;
    const bool ended = WorkerEnded(worker, kStopBoundMs);
    if (outermost) batch.stop_waiting = false;
    if (!ended) {
      // It did not wind down: it is cut off, and its files are cleared here.
      // The handle is kept: a second stop finds the thread ended.
      KillWorkerThread(worker);
      for (const std::unique_ptr<FileConversion>& conversion : job->in_flight) conversion->AbandonWithoutHandle();
      job->in_flight.clear();
      ClearBatchPending(job->program_folder, job->account);
    }
  }
  ShowRest();
  return stopped || job == nullptr || job->outcome.load() == BatchOutcome::kStopped;
}

bool StartBatchConversion(const rt::EventWord*, int32_t, int64_t*) {
  BatchState& batch = Batch();
  // Pressed while a stop waits for its worker: that stop holds the batch
  // this one would free. The click goes the way of a click on a busy window.
  if (batch.stop_waiting) return false;
  ++batch.listing_serial;  // a listing still running has its account now
  SetWindowShown(kAccountListWindow, false);
  SetWindowUsable(kAccountListWindow, false);
  BringMainWindowToFront();

  // The worker of an earlier batch ends, and ends its converters, before
  // anything it works from goes; its report, if it has one, stays.
  StopBatch();
  ForgetWorker();
  batch.job.reset();

  rt::FreeMemory(batch.chosen_account);
  batch.chosen_account = TakeSelectedAccount();
  const std::string account = batch.chosen_account != nullptr ? batch.chosen_account : "";

  // The path box is read once, and the folder's kind decided once.
  const std::string data_folder = PathBoxText();
  const DataFolderKind kind = KindOfDataFolder(data_folder);
  const std::string voice_folder =
      data_folder + "\\" + account + (kind == DataFolderKind::kQq ? "\\ptt" : "\\voice2");

  const std::string program_folder = ProgramFolder();
  const std::string out = AccountOutFolder(program_folder, account);
  if (!IsFolder(out)) MakeFolderPath(out);
  if (!IsFolder(out)) {
    Tell(res::kConstantData.cannot_create_folder + out);
    return false;
  }
  // Nothing is started when the converters could not write their files.
  const std::string problem = OutputFolderProblem(program_folder, account);
  if (!problem.empty()) {
    Tell(problem);
    return false;
  }
  // The list tells of the last batch alone, also of one stopped before it
  // converted anything; one that cannot be removed is named in the report.
  RemoveFile(out + "\\" + res::kConstantData.failure_list_file);
  CollectVoiceFiles(voice_folder, kind);
  return false;
}

bool LastBatchFinished() {
  const BatchJob* job = Batch().job.get();
  return job != nullptr && job->outcome.load() == BatchOutcome::kFinished;
}

}  // namespace app
