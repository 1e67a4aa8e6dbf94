// The window registry: the program's windows in template order, found by id.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/core/unit_record.h"

namespace rt {

struct LoadedWindow;  // live state of a loaded window; owned by window loading

struct Window {
  WindowRecord record;             // the live unit list is record.units
  std::vector<UnitRecord> saved;   // taken at each load, swapped back at unload
  LoadedWindow* loaded = nullptr;
};

// Reads the window template into the registry and resolves its handler
// offsets against the handler table; a malformed template is a runtime error.
void ReadTemplateIntoRegistry(const uint8_t* data, uint32_t size);

// An id whose kind or serial number is zero is never found. (Not named
// FindWindow: <windows.h> turns that name into FindWindowA.)
Window* LookupWindow(uint32_t window_id);
// Control 0 is the window's own unit (the first of the live unit list).
UnitRecord* FindUnit(Window& window, uint32_t control_id);

}  // namespace rt
