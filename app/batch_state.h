// The application's shared state: the batch state that the batch start
// writes on the window thread (the chosen account, the collected files and
// the worker's handle), the job a worker works from, and the marks by which
// the window thread's handlers keep from running into each other.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/conversion_pipeline.h"
#include "app/converter.h"
#include "app/file_conversion.h"

namespace app {

// How a batch ended, as the window thread learns it.
enum class BatchOutcome { kRunning, kFinished, kStopped };

// What one batch worker works from: its own copy of everything it reads
// (the account, the program folder, the files and their settled names),
// the count of finished files it reports, and the signal by which the
// window thread asks it to stop. Made on the window thread before the
// worker starts; freed there, and only once that worker has ended.
struct BatchJob {
  BatchJob() = default;
  ~BatchJob();
  BatchJob(const BatchJob&) = delete;
  BatchJob& operator=(const BatchJob&) = delete;

  uint32_t serial = 0;              // tells its progress from a later batch's
  std::string account;
  std::string program_folder;
  std::string searched_folder;      // the account's voice folder
  std::vector<ConversionPlan> files;  // in collection order
  // Files that cannot be converted at all (a name the code page cannot
  // hold), reported in their place in collection order.
  std::vector<bool> unusable;
  int32_t max_conversions = 1;      // programs kept going at once
  uint32_t limit_ms = kConverterLimitMs;
  std::atomic<int32_t> finished{0};
  // Raised by the window thread; the worker then ends what it started,
  // clears what those wrote and ends without a message.
  int32_t stop_signal = 0;
  std::atomic<BatchOutcome> outcome{BatchOutcome::kRunning};
  // The conversions in flight: the worker's while it runs, the window
  // thread's should the worker have to be cut off.
  std::vector<std::unique_ptr<FileConversion>> in_flight;
};

struct BatchState {
  char* chosen_account = nullptr;         // ChosenAccount: a runtime text, null = empty
  std::vector<char*> voice_file_paths;    // VoiceFilePaths
  std::vector<char*> voice_base_names;    // VoiceBaseNames, same length and order
  uintptr_t worker_thread_handle = 0;     // WorkerThreadHandle of the last worker

  std::unique_ptr<BatchJob> job;          // the last worker's job
  uint32_t batch_serial = 0;              // of the last batch started
  bool batch_running = false;             // its progress shows in the caption
  std::string rest_caption;               // the main window's caption at rest
  uint32_t progress_shown_at = 0;         // when the caption last changed

  // Raised by every press of the batch button, close of the list window and
  // double-click on it: a listing that sees it change has been overtaken.
  uint32_t listing_serial = 0;
  // A single-file conversion waits on the window thread, which meanwhile
  // handles its messages: no second one may start inside it, and closing
  // the program abandons it.
  bool single_conversion_running = false;
  FileConversion* single_conversion = nullptr;
  // Raised by every batch start and stop: a collection that sees it change
  // has been overtaken and starts nothing.
  uint32_t collection_serial = 0;
  // A stop waits for the worker on the window thread, which handles its
  // messages meanwhile: no batch may start inside that wait, for it would
  // free the job and the worker the stop still holds.
  bool stop_waiting = false;
  uint32_t converter_limit_ms = kConverterLimitMs;
};

BatchState& Batch();

// Frees the account text and every text of both lists, and empties them.
void ReleaseBatchTexts();
// The clean-up routine registered at start: the same, and the last job,
// when the program ends (its worker has been stopped by then).
void CleanUpBatchState();

}  // namespace app
