#include "app/batch_state.h"

#include "app/runtime_access.h"
#include "runtime/core/heap.h"

namespace app {

BatchJob::~BatchJob() { CloseSignal(stop_signal); }

BatchState& Batch() {
  static BatchState state;
  return state;
}

void ReleaseBatchTexts() {
  BatchState& batch = Batch();
  rt::FreeMemory(batch.chosen_account);
  batch.chosen_account = nullptr;
  for (char* text : batch.voice_file_paths) rt::FreeMemory(text);
  batch.voice_file_paths.clear();
  for (char* text : batch.voice_base_names) rt::FreeMemory(text);
  batch.voice_base_names.clear();
}

void CleanUpBatchState() {
  ReleaseBatchTexts();
  Batch().job.reset();
}

}  // namespace app
