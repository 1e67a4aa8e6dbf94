// What must hold for any input to the template reader: it is rejected
// cleanly, or what it reads writes back to the same bytes and reads again. Shared by the fuzzer, which
// aborts on a violation, and by the test that replays stored inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/core/template_format.h"
#include "runtime/core/window_unit_data.h"

namespace rt {
namespace fuzz_check {

// Handler count used for resolving; any fixed size exercises both paths.
constexpr int32_t kHandlerCount = 10;

// The window unit data part: a clean rejection or a faithful round trip.
inline const char* CheckWindowUnitData(const std::vector<uint8_t>& bytes) {
  WindowUnitData d;
  if (!ReadWindowUnitData(bytes, &d)) return nullptr;
  if (bytes.empty()) return nullptr;  // defaults, nothing stored
  if (WriteWindowUnitData(d) != bytes) return "window unit data does not write back unchanged";
  WindowUnitData again;
  if (!ReadWindowUnitData(WriteWindowUnitData(d), &again)) return "written unit data unreadable";
  return nullptr;
}

inline const char* CheckHandlers(std::vector<WindowRecord> windows) {
  if (!ResolveHandlers(windows, kHandlerCount)) return nullptr;
  auto ok = [](const EventBinding& e) {
    if (e.offset == -1) return e.handler == kNoHandler;
    return e.handler >= 0 && e.handler < kHandlerCount && e.handler * 4 == e.offset;
  };
  for (const WindowRecord& w : windows) {
    for (const UnitRecord& u : w.units) {
      if (u.IsMenuItem() && !ok(u.menu_event)) return "menu handler resolved wrongly";
      for (const EventBinding& e : u.events) {
        if (!ok(e)) return "event handler resolved wrongly";
      }
    }
  }
  return nullptr;
}

// Null when the input passes; otherwise what went wrong.
inline const char* CheckTemplateInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> input(data, data + size);
  if (const char* failure = CheckWindowUnitData(input)) return failure;

  std::vector<WindowRecord> windows;
  if (!ReadWindowTemplate(data, size, &windows)) return nullptr;
  const std::vector<uint8_t> written = WriteWindowTemplate(windows);
  if (written != input) return "written template differs";
  std::vector<WindowRecord> again;
  if (!ReadWindowTemplate(written.data(), written.size(), &again)) {
    return "written template cannot be read again";
  }
  if (WriteWindowTemplate(again) != written) return "second round trip differs";

  if (const char* failure = CheckHandlers(windows)) return failure;
  for (const WindowRecord& w : windows) {
    for (const UnitRecord& u : w.units) {
      if (const char* failure = CheckWindowUnitData(u.type_data)) return failure;
    }
  }
  return nullptr;
}

}  // namespace fuzz_check
}  // namespace rt
