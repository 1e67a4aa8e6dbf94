// The batch: every voice file of one account, converted on a worker thread
// into the folder out\<account> of the program folder.
#pragma once

#include <cstdint>
#include <string>

#include "app/batch_state.h"
#include "app/source_selection.h"

namespace app {

// How many conversions a batch keeps going at once: `setting` (the
// environment's SONOTECA_MAX_CONVERSIONS) when it is a whole number from 1
// to kMostConversions, otherwise as many as there are processors, at most
// kMostConversions and at least 1.
constexpr int32_t kMostConversions = 4;
int32_t MaxConversions(int32_t processors, const std::string& setting);

// The caption while a batch runs: the caption at rest, then done/total.
std::string ProgressCaption(const std::string& rest, int32_t done, int32_t total);

// Windows builds only.
// Collects the account's voice files from its voice folder (QQ: its *.slk
// files; WeChat: the *.amr files two levels down), builds the worker's job
// from them, fills the batch's lists from the job and starts the worker.
void CollectVoiceFiles(const std::string& folder, DataFolderKind kind);
// Stops the running batch, if any, as the stop button does (without its
// message): a collection still running starts nothing; a worker ends every
// converter it started, clears what they wrote and puts back the MP3s it
// had set aside, and has ended when this returns; the caption and the
// task-bar button are back at rest. False when the last batch had already
// finished by itself (there was nothing to stop).
bool StopBatch();
// True when the last batch ended by itself, with its report.
bool LastBatchFinished();

}  // namespace app
