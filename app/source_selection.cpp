// The rules by which a chosen or dropped path is judged.
#include "app/source_selection.h"

#include <cstdint>
#include <cstring>

#include "resources/constant_data.h"
#include "runtime/commands/text_commands.h"
#include "runtime/core/heap.h"
#include "runtime/core/values.h"

namespace app {
namespace {

constexpr int32_t kFolderNameBytes = 8;  // "MobileQQ", "MicroMsg"
constexpr int32_t kSuffixBytes = 4;      // ".slk", ".amr"

bool Same(const char* a, const char* b) {
  return std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "") == 0;
}

// Whether the last `count` bytes of `text` equal `first` or `second`. A
// shorter text is compared whole, so it cannot match.
bool EndsInEither(const char* text, int32_t count, const char* first, const char* second) {
  rt::ArgValue args[2] = {rt::ArgValue::Text(text), rt::ArgValue::Int(count)};
  char* right = const_cast<char*>(rt::CallCoreCommand(rt::RightOfText, 2, args).AsText());
  const bool same = Same(right, first) || Same(right, second);
  rt::FreeMemory(right);
  return same;
}

}  // namespace

bool IsQqDataFolderPath(const char* path) {
  return EndsInEither(path, kFolderNameBytes, res::kConstantData.mobile_qq, res::kConstantData.mobile_qq);
}

bool IsVoiceFilePath(const char* path) {
  return EndsInEither(path, kSuffixBytes, res::kConstantData.slk, res::kConstantData.amr);
}

bool HasUnusableCharacter(const char* path) { return path != nullptr && std::strchr(path, '?') != nullptr; }

bool IsDataFolderPath(const char* path) {
  return EndsInEither(path, kFolderNameBytes, res::kConstantData.mobile_qq, res::kConstantData.micro_msg);
}

SourceKind ClassifyDroppedText(const char* text) {
  if (IsDataFolderPath(text)) return SourceKind::kDataFolder;
  if (IsVoiceFilePath(text)) return SourceKind::kVoiceFile;
  return SourceKind::kRefused;
}

}  // namespace app
