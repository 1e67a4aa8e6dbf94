// The platform window operations behind property access. The host build has
// no windows: there nothing is ever live, and these are never reached.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/core/font_record.h"

namespace rt::platform {

struct Placement {
  int32_t left = 0, top = 0, width = 0, height = 0;
};

bool IsLiveWindow(uintptr_t hwnd);
// Left and top in the client coordinates of the parent window, or in screen
// coordinates for a pop-up window or one without a parent.
Placement WindowPlacement(uintptr_t hwnd);
void PlaceWindow(uintptr_t hwnd, const Placement& placement);
bool IsVisible(uintptr_t hwnd);
bool IsEnabled(uintptr_t hwnd);
void Hide(uintptr_t hwnd);
void ShowWithoutActivating(uintptr_t hwnd);
void Enable(uintptr_t hwnd, bool enabled);

// Mouse pointers made from stored pointer data (first word a pointer code).
uintptr_t CreateMousePointer(const std::string& data);
void DestroyMousePointer(uintptr_t pointer);
void RefreshMousePointer();

void DefaultInterfaceFont(FontRecord* font);
int32_t ScreenDpi();

// The program's icon resource "DEFAULT_ICON" in its large and small size.
void LoadProgramIcons(uintptr_t* large, uintptr_t* small_icon);

// Handles the window messages waiting for this thread, up to a quit message.
void ProcessPendingMessages();

}  // namespace rt::platform
