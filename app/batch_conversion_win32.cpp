// The double-click on an account: its voice files are collected on the
// window thread and converted by one worker thread, which keeps several
// conversions going, reports progress to the window thread and ends with
// one message.
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
constexpr int32_t kFolderBit = 0x10;
// Given to a program that cannot be waited for (there is no process).
constexpr uint32_t kUnwaitedPauseMs = 500;

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

// --- Progress, on the window thread only -----------------------------------

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
void OnProgressPosted(uintptr_t serial) {
  const BatchState& batch = Batch();
  if (batch.batch_running && batch.job != nullptr && batch.job->serial == serial) ShowProgress();
}

void OnBatchEndPosted(uintptr_t serial) {
  const BatchState& batch = Batch();
  if (batch.job != nullptr && batch.job->serial == serial) ShowRest();
}

// The worker never waits for the window thread, which may be busy.
void PostFromWorker(void (*routine)(uintptr_t), uint32_t serial) {
  rt::ArgValue args[2] = {rt::ArgValue::Address(reinterpret_cast<const void*>(routine), rt::kTagSubroutine),
                          rt::ArgValue::Address(reinterpret_cast<const void*>(static_cast<uintptr_t>(serial)),
                                                rt::kTagInt)};
  rt::CallLibraryCommand(rt::RunOnWindowThread, 2, args);
}

// --- The worker --------------------------------------------------------------

struct Running {
  size_t index;
  std::unique_ptr<FileConversion> conversion;
};

// Keeps up to the job's number of conversions going until every file has
// ended, and returns how each ended, in collection order.
std::vector<Failure> ConvertAll(BatchJob* job) {
  const ConversionSettings settings = {job->limit_ms, kUnwaitedPauseMs, ReadSampleRate};
  std::vector<Failure> failures(job->files.size(), Failure::kNone);
  std::vector<Running> running;
  size_t next = 0;
  const auto finished = [job, &failures](size_t index, const FileConversion& conversion) {
    failures[index] = conversion.failure();
    job->finished.fetch_add(1);
    PostFromWorker(OnProgressPosted, job->serial);
  };
  for (;;) {
    while (running.size() < static_cast<size_t>(job->max_conversions) && next < job->files.size()) {
      auto conversion = std::make_unique<FileConversion>(job->files[next], settings);
      conversion->Start();
      if (conversion->done()) {
        finished(next, *conversion);
      } else {
        running.push_back({next, std::move(conversion)});
      }
      ++next;
    }
    if (running.empty()) return failures;

    std::vector<int32_t> handles;
    uint32_t wait_ms = job->limit_ms;
    const uint32_t now = Now();
    for (const Running& r : running) {
      handles.push_back(r.conversion->process());
      const uint32_t left = r.conversion->MillisecondsLeft(now);
      if (left < wait_ms) wait_ms = left;
    }
    rt::ArgValue args[3] = {rt::ArgValue::Int(static_cast<int32_t>(handles.size())),
                            rt::ArgValue::Address(handles.data(), rt::kTagInt),
                            rt::ArgValue::Int(static_cast<int32_t>(wait_ms))};
    // A stop ends the worker here; the programs already started run on.
    if (rt::CallLibraryCommand(rt::WaitForPrograms, 3, args).AsInt() == rt::kWaitFailed) {
      rt::ArgValue pause = rt::ArgValue::Int(50);
      rt::CallCoreCommand(rt::Pause, 1, &pause);
    }
    // Each looks whether its program has ended or run out of time, and goes on.
    const uint32_t later = Now();
    for (size_t i = 0; i < running.size();) {
      running[i].conversion->Advance(later);
      if (running[i].conversion->done()) {
        finished(running[i].index, *running[i].conversion);
        running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
  }
}

// The list file of the failures of this account's last batch: written when
// some failed, removed when none did. Its path, or empty when it could not
// be written.
std::string WriteFailureList(const BatchJob& job, const std::vector<std::string>& lines) {
  const std::string path =
      job.program_folder + "\\out\\" + job.account + "\\" + res::kConstantData.failure_list_file;
  if (lines.empty()) {
    rt::ArgValue arg = rt::ArgValue::Text(path.c_str());
    rt::CallCoreCommand(rt::RemoveFile, 1, &arg);
    return std::string();
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  rt::ArgValue args[2] = {rt::ArgValue::Text(path.c_str()), rt::ArgValue::Text(text.c_str())};
  return rt::CallCoreCommand(rt::WriteTextFile, 2, args).AsInt() != 0 ? path : std::string();
}

uint32_t THREAD_ROUTINE RunBatchConversion(void* parameter) {
  BatchJob* job = static_cast<BatchJob*>(parameter);
  std::string message;
  if (job->files.empty()) {
    message = res::kConstantData.no_voice_files + job->searched_folder;
  } else {
    const std::vector<Failure> failures = ConvertAll(job);
    std::vector<std::string> lines;
    int32_t converted = 0;
    for (size_t i = 0; i < failures.size(); ++i) {
      if (failures[i] == Failure::kNone) {
        ++converted;
      } else {
        lines.push_back(FailureLine(job->files[i], failures[i]));
      }
    }
    message = BatchSummary(converted, lines, WriteFailureList(*job, lines));
  }
  // Also what an earlier, stopped batch left.
  WalkFiles(job->program_folder + "\\out", "*.pcm", DeleteFoundFile);
  PostFromWorker(OnBatchEndPosted, job->serial);
  Tell(message);
  return 0;
}

// --- Collection, on the window thread ----------------------------------------

bool IsFolderEntry(const std::string& path) {
  rt::ArgValue arg = rt::ArgValue::Text(path.c_str());
  const int32_t attributes = rt::CallCoreCommand(rt::FileAttributes, 1, &arg).AsInt();
  return attributes != -1 && (attributes & kFolderBit) != 0;
}

// The files of `folder` (ending in "\") that match `pattern`. A folder whose
// name looks like a voice file is no voice file, and is not looked into.
void CollectMatching(const std::string& folder, const std::string& pattern, std::vector<std::string>* paths,
                     std::vector<std::string>* names) {
  FileSearch search;
  for (std::string name = search.First(folder + pattern, kSearchMask); !name.empty(); name = search.Next()) {
    if (name == "." || name == "..") continue;
    const std::string path = folder + name;
    if (IsFolderEntry(path)) continue;
    paths->push_back(path);
    names->push_back(name.size() > kSuffixBytes ? name.substr(0, name.size() - kSuffixBytes) : std::string());
  }
}

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
  }
}

std::unique_ptr<BatchJob> NewJob(const std::string& searched_folder) {
  BatchState& batch = Batch();
  auto job = std::make_unique<BatchJob>();
  job->serial = ++batch.batch_serial;
  job->account = batch.chosen_account != nullptr ? batch.chosen_account : "";
  job->program_folder = ProgramFolder();
  job->searched_folder = searched_folder;
  job->limit_ms = batch.converter_limit_ms;
  const int32_t processors = rt::CallCoreCommand(rt::ProcessorCount, 0, nullptr).AsInt();
  rt::ArgValue name = rt::ArgValue::Text("SONOTECA_MAX_CONVERSIONS");
  job->max_conversions = MaxConversions(
      processors, OwnedText(rt::CallCoreCommand(rt::EnvironmentVariable, 1, &name).AsText()).str());
  for (size_t i = 0; i < batch.voice_file_paths.size(); ++i) {
    job->files.push_back(
        PlanBatchFile(batch.voice_file_paths[i], batch.voice_base_names[i], job->program_folder, job->account));
  }
  return job;
}

}  // namespace

void CollectVoiceFiles(const std::string& folder, int32_t kind) {
  BatchState& batch = Batch();
  for (char* text : batch.voice_file_paths) rt::FreeMemory(text);
  batch.voice_file_paths.clear();
  for (char* text : batch.voice_base_names) rt::FreeMemory(text);
  batch.voice_base_names.clear();

  const std::string f = WithSeparator(folder);
  std::vector<std::string> paths;
  std::vector<std::string> names;
  if (kind == kKindQq) {
    CollectMatching(f, "*.slk", &paths, &names);
  } else {
    std::vector<std::string> first;
    ListSubfolders(f, &first, true);
    for (const std::string& s1 : first) {
      std::vector<std::string> second;
      ListSubfolders(s1, &second, true);
      for (const std::string& s2 : second) CollectMatching(WithSeparator(s2), "*.amr", &paths, &names);
    }
  }
  // Two files of one name (WeChat keeps them in different folders) must not
  // share an output or an intermediate file.
  const std::vector<std::string> settled = SettleBaseNames(names);
  for (size_t i = 0; i < paths.size(); ++i) {
    batch.voice_file_paths.push_back(NewRuntimeText(paths[i]));
    batch.voice_base_names.push_back(NewRuntimeText(settled[i]));
  }
  StartWorker(NewJob(folder));
  rt::WriteProperty(kMainWindow, kStopButton, rt::kPropDisabled, -1, 0, 0);
}

void StopBatch() {
  StopWorker();
  ShowRest();
}

bool StartBatchConversion(const rt::EventWord*, int32_t, int64_t*) {
  BatchState& batch = Batch();
  ++batch.listing_serial;  // a listing still running has its account now
  rt::WriteProperty(kAccountListWindow, 0, rt::kPropVisible, -1, 0, 0);
  rt::WriteProperty(kAccountListWindow, 0, rt::kPropDisabled, -1, 1, 0);
  BringMainWindowToFront();

  // The worker of an earlier batch ends before anything it works from goes.
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

  // With backslashes: the folder maker splits the path at them only.
  const std::string d = ProgramFolder();
  const std::string out = d + "\\out\\" + a;
  if (!IsFolder(out)) MakeFolderPath(out);
  if (!IsFolder(out)) {
    Tell(res::kConstantData.cannot_create_folder + out);
    return false;
  }
  CollectVoiceFiles(voice_folder, qq ? kKindQq : 1);
  return false;
}

}  // namespace app
