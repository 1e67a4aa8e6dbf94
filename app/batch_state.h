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

namespace app {

// What one batch worker works from: its own copy of everything it reads
// (the account, the program folder, the files and their settled names),
// and the count of finished files it reports. Made on the window thread
// before the worker starts; freed there, and only once that worker has ended.
struct BatchJob {
  uint32_t serial = 0;              // tells its progress from a later batch's
  std::string account;
  std::string program_folder;
  std::string searched_folder;      // the account's voice folder
  std::vector<ConversionPlan> files;  // in collection order
  int32_t max_conversions = 1;      // programs kept going at once
  uint32_t limit_ms = kConverterLimitMs;
  std::atomic<int32_t> finished{0};
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

  // Raised by every press of the batch button, close of the list window and
  // double-click on it: a listing that sees it change has been overtaken.
  uint32_t listing_serial = 0;
  // A single-file conversion waits on the window thread, which meanwhile
  // handles its messages: no second one may start inside it.
  bool single_conversion_running = false;
  uint32_t converter_limit_ms = kConverterLimitMs;
};

BatchState& Batch();

// Frees the account text and every text of both lists, and empties them.
void ReleaseBatchTexts();
// The clean-up routine registered at start: the same, and the last job,
// when the program ends (its worker has been stopped by then).
void CleanUpBatchState();

}  // namespace app
