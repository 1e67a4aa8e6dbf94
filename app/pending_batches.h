// The record of batches that may have left a user's MP3 set aside: one
// empty file per account in out\.sonoteca-pending, made before a batch's
// worker starts and removed once every copy it set aside is back or gone.
// A start then looks only where a batch was cut short by an end of the
// program (a kill, a crash, a power cut), not through every MP3 ever made.
// Windows builds only.
#pragma once

#include <string>

namespace app {

// A record that cannot be made costs nothing but a copy put back late;
// one that cannot be removed, a later start's look into that account's
// folder. The record of a batch is cleared only once no copy is left in its
// account's folder.
void MarkBatchPending(const std::string& program_folder, const std::string& account);
void ClearBatchPending(const std::string& program_folder, const std::string& account);

// At start: every copy that a recorded batch left set aside is put back (or
// removed, where a newer MP3 replaced it), and the record cleared. Where
// there is no record yet (out\ made by an earlier version), the whole of
// out\ is looked through once.
void RestoreWhatEndedBatchesSetAside(const std::string& program_folder);

}  // namespace app
