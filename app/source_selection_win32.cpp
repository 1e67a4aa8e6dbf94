// The choice of the source: the browse button and the drop on the path box.
// Both leave the chosen path in the path box and make the matching
// conversion button usable, or empty the box and say what is wanted.
#include <cstdint>
#include <string>

#include "app/handlers.h"
#include "app/runtime_access.h"
#include "app/source_selection.h"
#include "app/window_ids.h"
#include "resources/constant_data.h"

namespace app {
namespace {

// A refused choice leaves nothing to convert: the box is emptied and
// neither conversion button stays usable.
void Refuse(const std::string& message) {
  SetPathBoxText(std::string());
  SetButtonUsable(kBatchConvertButton, false);
  SetButtonUsable(kConvertOneButton, false);
  Tell(message);
}

}  // namespace

bool OnBrowseClick(const rt::EventWord*, int32_t, int64_t*) {
  // A cancelled dialog gives the empty text and is refused like any other folder.
  const std::string path = BrowseForFolder(res::kConstantData.browse_title);
  if (IsDataFolderPath(path.c_str()) && HasUnusableCharacter(path.c_str())) {
    // Refused as a drop of it would be: its accounts could not be read.
    Refuse(res::kConstantData.unusable_name + path);
    return false;
  }
  if (!IsDataFolderPath(path.c_str())) {
    Refuse(res::kConstantData.choose_folder);
    return false;
  }
  SetPathBoxText(path);
  // What the box holds now decides, not what the dialog gave.
  if (!PathBoxText().empty()) SetButtonUsable(kBatchConvertButton, true);
  return false;
}

void TakeSource(const char* text) {
  const SourceKind kind = ClassifyDroppedText(text);
  if (kind != SourceKind::kRefused && HasUnusableCharacter(text)) {
    Refuse(res::kConstantData.unusable_name + std::string(text));
    return;
  }
  switch (kind) {
    case SourceKind::kRefused:
      Refuse(res::kConstantData.choose_folder_or_file);
      break;
    case SourceKind::kDataFolder:
      SetPathBoxText(text);
      SetButtonUsable(kBatchConvertButton, true);
      SetButtonUsable(kConvertOneButton, false);
      break;
    case SourceKind::kVoiceFile:
      SetPathBoxText(text);
      SetButtonUsable(kConvertOneButton, true);
      SetButtonUsable(kBatchConvertButton, false);
      break;
  }
}

bool OnItemDropped(const rt::EventWord* args, int32_t count, int64_t*) {
  TakeSource(TextArgument(args, count));
  return false;
}

}  // namespace app
