// The application's shared batch state: written by the batch start on the
// window thread, read by the batch worker.
#pragma once

#include <cstdint>
#include <vector>

namespace app {

struct BatchState {
  char* chosen_account = nullptr;         // ChosenAccount: a runtime text, null = empty
  std::vector<char*> voice_file_paths;    // VoiceFilePaths
  std::vector<char*> voice_base_names;    // VoiceBaseNames, same length and order
  uintptr_t worker_thread_handle = 0;     // WorkerThreadHandle of the last worker
};

BatchState& Batch();

// Frees the account text and every text of both lists, and empties them.
void ReleaseBatchTexts();
// The clean-up routine registered at start: the same, when the program ends.
void CleanUpBatchState();

}  // namespace app
