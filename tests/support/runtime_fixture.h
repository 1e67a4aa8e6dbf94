// The runtime state that window tests need: the hidden owner window, the
// window thread, a registry read from a test template, a handler table and
// the window unit type; plus builders for test templates and a button-like
// test unit type. Start-up creates the same state for the real program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/control_object.h"
#include "runtime/core/events.h"
#include "runtime/core/registry.h"
#include "runtime/core/unit_types.h"
#include "runtime/core/window_unit_data.h"

namespace test_support {

// Handler `index` of the table, as the template stores it (an offset).
rt::EventBinding Bind(int32_t event, int32_t handler_index);

rt::UnitRecord WindowUnit(uint32_t id, const rt::WindowUnitData& data, uint32_t flags, int32_t left,
                          int32_t top, int32_t width, int32_t height,
                          std::vector<rt::EventBinding> events = {});
rt::UnitRecord ControlUnit(uint32_t id, uint32_t type_id, uint32_t flags, int32_t left, int32_t top,
                           int32_t width, int32_t height, std::vector<rt::EventBinding> events = {},
                           const std::string& caption = std::string());
rt::WindowRecord MakeWindow(uint32_t id, std::vector<rt::UnitRecord> units);

class RuntimeFixture {
 public:
  // Writes the windows as a template and reads it back into the registry.
  RuntimeFixture(const std::vector<rt::WindowRecord>& windows, const rt::HandlerFn* handlers,
                 int32_t handler_count);
  ~RuntimeFixture();
  RuntimeFixture(const RuntimeFixture&) = delete;
  RuntimeFixture& operator=(const RuntimeFixture&) = delete;

  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

// Handle of a loaded window (0 when not loaded) and of a live control.
HWND WindowHandle(uint32_t window_id);
HWND ControlHandle(uint32_t window_id, uint32_t control_id);

// A button-like test control: a BUTTON child whose clicks raise its event 0
// (through the window's reflection of WM_COMMAND), that accepts Enter and,
// in a type with flag 0x20, takes the key VK_F12 in the type's filter. It
// counts what its window procedure receives.
struct TestControl : rt::ControlObject {
  WNDPROC base = nullptr;
  int left_downs = 0;
  int key_downs = 0;
  std::vector<WPARAM> characters;
  int load_complete = 0;
  int window_shown = 0;
};

// The query of the test control types; a test defines a descriptor with
// its own type id and flags around it.
void* TestControlQuery(int32_t operation);
// Calls of the test types' message filter, kept for the test to read.
int& TestFilterCalls();
TestControl* LiveTestControl(uint32_t window_id, uint32_t control_id);

// Runs the thread's messages through the runtime's filter until none waits.
void Pump();

}  // namespace test_support
