#include <cstring>

#include "runtime/core/window_ops.h"

namespace rt::platform {

// No window exists on the host, so no handle is ever live and the
// operations on live windows are never reached.
bool IsLiveWindow(uintptr_t) { return false; }
Placement WindowPlacement(uintptr_t) { return Placement(); }
void PlaceWindow(uintptr_t, const Placement&) {}
bool IsVisible(uintptr_t) { return false; }
bool IsEnabled(uintptr_t) { return false; }
void Hide(uintptr_t) {}
void ShowWithoutActivating(uintptr_t) {}
void Enable(uintptr_t, bool) {}
uintptr_t CreateMousePointer(const std::string&) { return 0; }
void DestroyMousePointer(uintptr_t) {}
void RefreshMousePointer() {}

void DefaultInterfaceFont(FontRecord* font) {
  std::memset(font, 0, sizeof *font);
  font->height = -12;
  font->weight = kWeightNormal;
  std::strcpy(font->face_name, kFallbackFaceName);
}

void LoadProgramIcons(uintptr_t* large, uintptr_t* small_icon) { *large = *small_icon = 0; }
int32_t ScreenDpi() { return 96; }
void ProcessPendingMessages() {}

}  // namespace rt::platform
