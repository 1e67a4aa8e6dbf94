#include "app/pending_batches.h"

#include <cstdint>
#include <vector>

#include "app/file_conversion.h"
#include "app/file_walk.h"
#include "app/runtime_access.h"

namespace app {
namespace {

constexpr char kPendingFolder[] = "\\.sonoteca-pending";

std::string PendingFolder(const std::string& program_folder) { return OutFolder(program_folder) + kPendingFolder; }

// The MP3 a copy was set aside from: its path without the suffix.
void RestoreCopy(const std::string& copy) {
  const size_t suffix = sizeof kSetAsideSuffix - 1;
  if (copy.size() > suffix) RestoreSetAside(copy.substr(0, copy.size() - suffix));
}

// A callback of the file walk.
void RestoreFoundCopy(uintptr_t folder, uintptr_t name) {
  const char* f = reinterpret_cast<const char*>(folder);
  const char* n = reinterpret_cast<const char*>(name);
  RestoreCopy(std::string(f != nullptr ? f : "") + (n != nullptr ? n : ""));
}

}  // namespace

void MarkBatchPending(const std::string& program_folder, const std::string& account) {
  const std::string folder = PendingFolder(program_folder);
  if (!IsFolder(folder)) MakeFolderPath(folder);
  WriteTextFile(folder + "\\" + account, std::string());
}

void ClearBatchPending(const std::string& program_folder, const std::string& account) {
  const std::string folder = AccountOutFolder(program_folder, account);
  if (!FilesOf(folder, std::string("*") + kSetAsideSuffix).empty()) return;
  RemoveFile(PendingFolder(program_folder) + "\\" + account);
}

void RestoreWhatEndedBatchesSetAside(const std::string& program_folder) {
  const std::string out = OutFolder(program_folder);
  const std::string pending = PendingFolder(program_folder);
  const std::string pattern = std::string("*") + kSetAsideSuffix;
  if (!IsFolder(pending)) {
    if (!IsFolder(out)) return;
    WalkFiles(out, pattern, RestoreFoundCopy);
    MakeFolderPath(pending);
    return;
  }
  for (const std::string& record : FilesOf(pending, "*")) {
    const std::string account = record.substr(pending.size() + 1);
    for (const std::string& copy : FilesOf(AccountOutFolder(program_folder, account), pattern)) RestoreCopy(copy);
    ClearBatchPending(program_folder, account);
  }
}

}  // namespace app
