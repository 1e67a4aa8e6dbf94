// Stored records of windows and their units, as the window template holds
// them and as property writes change them while a window is not loaded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rt {

struct ControlObject;  // a live control; defined by the window loading code

// Identifier fields: class nibble in bits 28-31, kind in 24-27, serial in 0-23.
constexpr uint32_t IdClass(uint32_t id) { return id >> 28; }
constexpr uint32_t IdKind(uint32_t id) { return (id >> 24) & 0xF; }
constexpr uint32_t IdSerial(uint32_t id) { return id & 0xFFFFFF; }
constexpr uint32_t kKindWindow = 2;
constexpr uint32_t kKindUnit = 6;
constexpr uint32_t kKindSubroutine = 4;
constexpr uint32_t kClassWindow = 5;
constexpr uint32_t kClassControl = 1;
constexpr uint32_t kClassOwnUnit = 0;
constexpr uint32_t kClassMenuItem = 2;
constexpr bool IsMenuItemId(uint32_t id) {
  return IdKind(id) == kKindUnit && IdClass(id) == kClassMenuItem;
}

// Unit type ids: library number in the high half, type number in the low half.
constexpr uint32_t kTypeWindow = 0x00010001;
constexpr uint32_t kTypeMenuItem = 0x00010003;
constexpr uint32_t kTypeEditBox = 0x00010005;
constexpr uint32_t kTypeButton = 0x0001000B;
constexpr uint32_t kTypeListBox = 0x0001000F;
constexpr uint32_t kTypeTransLabel = 0x00040005;
constexpr uint32_t kTypeDropTarget = 0x00050001;

// Flag word of a unit record (menu items: bit 0 hidden, 1 disabled, 2 checked).
constexpr uint32_t kFlagVisible = 1u << 0;
constexpr uint32_t kFlagDisabled = 1u << 1;
constexpr uint32_t kFlagTabStop = 1u << 2;
constexpr uint32_t kFlagMenuRebuilt = 1u << 3;
constexpr uint32_t kMenuHidden = 1u << 0;
constexpr uint32_t kMenuDisabled = 1u << 1;
constexpr uint32_t kMenuChecked = 1u << 2;

// A resolved handler: index into the application's handler table, or none.
constexpr int32_t kNoHandler = -1;

struct EventBinding {
  int32_t event = 0;
  int32_t offset = -1;   // as stored: from the code base, -1 = none
  int32_t handler = kNoHandler;  // resolved at start-up
};

struct UnitRecord {
  uint32_t id = 0;  // from the unit id table of the window entry
  uint32_t type_id = 0;
  uint32_t shared_handler_unit = 0;
  uint32_t header_reserved[4] = {};
  std::string name;
  std::string text2;

  // Menu items only.
  uint32_t menu_reserved[2] = {};
  std::string caption;
  EventBinding menu_event;  // its event 0

  // Every other unit.
  uint32_t live_slot = 0;  // as stored in the template
  int32_t left = 0, top = 0, width = 0, height = 0;
  uint32_t pointer_slot = 0;  // as stored in the template
  uint32_t container = 0;
  std::vector<uint32_t> contained;
  std::vector<uint8_t> pointer_data;
  std::string tag;
  uint32_t reserved_a = 0;
  uint32_t flags = 0;
  int32_t focus_rank = 0;
  std::vector<EventBinding> events;
  uint32_t reserved_b[5] = {};
  std::vector<uint8_t> type_data;

  // Run-time slots, never written to a template.
  ControlObject* live = nullptr;
  uintptr_t pointer_handle = 0;

  bool IsMenuItem() const { return IsMenuItemId(id); }
};

struct WindowRecord {
  uint32_t id = 0;
  uint32_t index_slot = 0;  // the template index's placeholder, carried unchanged
  uint32_t word_a = 0;
  uint32_t word_b = 0;
  std::string text1;
  std::string text2;
  std::vector<UnitRecord> units;  // the live unit list; the window's own unit first
};

}  // namespace rt
