// The rules by which a chosen or dropped path is judged.
#include "app/source_selection.h"

#include <cstdint>
#include <cstring>

#include "app/runtime_access.h"
#include "resources/constant_data.h"

namespace app {
namespace {

constexpr int32_t kFolderNameBytes = 8;  // "MobileQQ", "MicroMsg"
constexpr int32_t kSuffixBytes = 4;      // ".slk", ".amr"

bool Same(const char* text, const char* other) {
  return std::strcmp(text != nullptr ? text : "", other != nullptr ? other : "") == 0;
}

// Whether the last `count` bytes of `text` equal `first` or `second`. A
// shorter text is compared whole, so it cannot match.
bool EndsInEither(const char* text, int32_t count, const char* first, const char* second) {
  const std::string right = RightBytes(text, count);
  return Same(right.c_str(), first) || Same(right.c_str(), second);
}

}  // namespace

bool IsQqDataFolderPath(const char* path) {
  return EndsInEither(path, kFolderNameBytes, res::kConstantData.mobile_qq, res::kConstantData.mobile_qq);
}

DataFolderKind KindOfDataFolder(const std::string& path) {
  return IsQqDataFolderPath(path.c_str()) ? DataFolderKind::kQq : DataFolderKind::kWeChat;
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
