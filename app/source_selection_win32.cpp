// The choice of the source: the browse button and the drop on the path box.
// Both leave the chosen path in the path box and make the matching
// conversion button usable, or empty the box and say what is wanted.
#include <cstdint>

#include "app/handlers.h"
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

// A text handed to us by a command or a property read: freed when done.
class OwnedText {
 public:
  explicit OwnedText(const char* text) : text_(const_cast<char*>(text)) {}
  ~OwnedText() { rt::FreeMemory(text_); }
  OwnedText(const OwnedText&) = delete;
  OwnedText& operator=(const OwnedText&) = delete;
  const char* get() const { return text_; }
  bool empty() const { return text_ == nullptr || text_[0] == '\0'; }

 private:
  char* text_;
};

void SetPathBox(const char* text) {
  rt::WriteProperty(kMainWindow, kPathBox, kPathBoxContent, -1, reinterpret_cast<intptr_t>(text), 0);
}

void SetUsable(uint32_t button, bool usable) {
  rt::WriteProperty(kMainWindow, button, rt::kPropDisabled, -1, usable ? 0 : 1, 0);
}

// One OK button, no icon, the default caption, no owner.
void Tell(const char* message) {
  rt::ArgValue args[2] = {rt::ArgValue::Text(message), rt::ArgValue::Int(0)};
  rt::CallCoreCommand(rt::ShowMessageBox, 2, args);
}

}  // namespace

bool OnBrowseClick(const rt::EventWord*, int32_t, int64_t*) {
  rt::ArgValue title = rt::ArgValue::Text(res::kConstantData.browse_title);
  // A cancelled dialog gives the empty text and is refused like any other folder.
  const OwnedText path(rt::CallLibraryCommand(rt::BrowseForFolder, 1, &title).AsText());
  if (!IsDataFolderPath(path.get())) {
    SetPathBox(nullptr);
    Tell(res::kConstantData.choose_folder);
    return false;
  }
  SetPathBox(path.get());
  // What the box holds now decides, not what the dialog gave.
  const OwnedText shown(reinterpret_cast<const char*>(
      static_cast<intptr_t>(rt::ReadProperty(kMainWindow, kPathBox, kPathBoxContent, -1))));
  if (!shown.empty()) SetUsable(kBatchConvertButton, true);
  return false;
}

bool OnItemDropped(const rt::EventWord* args, int32_t count, int64_t*) {
  // The text comes by reference; the drop target keeps and frees it.
  const char* dropped = nullptr;
  if (count >= 1 && args[0] != 0) dropped = *reinterpret_cast<char* const*>(args[0]);

  switch (ClassifyDroppedText(dropped)) {
    case SourceKind::kRefused:
      SetPathBox(nullptr);
      Tell(res::kConstantData.choose_folder_or_file);
      break;
    case SourceKind::kDataFolder:
      SetPathBox(dropped);
      SetUsable(kBatchConvertButton, true);
      SetUsable(kConvertOneButton, false);
      break;
    case SourceKind::kVoiceFile:
      SetPathBox(dropped);
      SetUsable(kConvertOneButton, true);
      SetUsable(kBatchConvertButton, false);
      break;
  }
  return false;
}

}  // namespace app
