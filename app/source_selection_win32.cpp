// The choice of the source: the browse button and the drop on the path box.
// Both leave the chosen path in the path box and make the matching
// conversion button usable, or empty the box and say what is wanted.
#include <cstdint>
#include <string>

#include "app/handlers.h"
#include "app/owned_text.h"
#include "app/user_message.h"
#include "app/source_selection.h"
#include "app/window_ids.h"
#include "resources/constant_data.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/shell_commands.h"
#include "runtime/commands/system_commands.h"
#include "runtime/core/heap.h"
#include "runtime/core/property_access.h"
#include "runtime/core/values.h"

namespace app {
namespace {

constexpr int32_t kPathBoxContent = rt::kFirstTypeProperty + rt::kEditContent;

void SetPathBox(const char* text) {
  rt::WriteProperty(kMainWindow, kPathBox, kPathBoxContent, -1, reinterpret_cast<intptr_t>(text), 0);
}

void SetUsable(uint32_t button, bool usable) {
  rt::WriteProperty(kMainWindow, button, rt::kPropDisabled, -1, usable ? 0 : 1, 0);
}

// A refused choice leaves nothing to convert: the box is emptied and
// neither conversion button stays usable.
void Refuse(const std::string& message) {
  SetPathBox(nullptr);
  SetUsable(kBatchConvertButton, false);
  SetUsable(kConvertOneButton, false);
  Tell(message);
}

}  // namespace

bool OnBrowseClick(const rt::EventWord*, int32_t, int64_t*) {
  rt::ArgValue title = rt::ArgValue::Text(res::kConstantData.browse_title);
  // A cancelled dialog gives the empty text and is refused like any other folder.
  const OwnedText path(rt::CallLibraryCommand(rt::BrowseForFolder, 1, &title).AsText());
  if (IsDataFolderPath(path.get()) && HasUnusableCharacter(path.get())) {
    // Refused as a drop of it would be: its accounts could not be read.
    Refuse(res::kConstantData.unusable_name + path.str());
    return false;
  }
  if (!IsDataFolderPath(path.get())) {
    Refuse(res::kConstantData.choose_folder);
    return false;
  }
  SetPathBox(path.get());
  // What the box holds now decides, not what the dialog gave.
  const OwnedText shown(reinterpret_cast<const char*>(
      static_cast<intptr_t>(rt::ReadProperty(kMainWindow, kPathBox, kPathBoxContent, -1))));
  if (!shown.empty()) SetUsable(kBatchConvertButton, true);
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
      SetPathBox(text);
      SetUsable(kBatchConvertButton, true);
      SetUsable(kConvertOneButton, false);
      break;
    case SourceKind::kVoiceFile:
      SetPathBox(text);
      SetUsable(kConvertOneButton, true);
      SetUsable(kBatchConvertButton, false);
      break;
  }
}

bool OnItemDropped(const rt::EventWord* args, int32_t count, int64_t*) {
  // The text comes by reference; the drop target keeps and frees it.
  const char* dropped = nullptr;
  if (count >= 1 && args[0] != 0) dropped = *reinterpret_cast<char* const*>(args[0]);
  TakeSource(dropped);
  return false;
}

}  // namespace app
