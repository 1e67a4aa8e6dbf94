#include "runtime/core/registry.h"

#include "runtime/core/runtime_state.h"

namespace rt {

Window* FindWindow(uint32_t window_id) {
  if (IdKind(window_id) == 0 || IdSerial(window_id) == 0) return nullptr;
  for (Window& w : Runtime().windows) {
    if (w.record.id == window_id) return &w;
  }
  return nullptr;
}

UnitRecord* FindUnit(Window& window, uint32_t control_id) {
  std::vector<UnitRecord>& units = window.record.units;
  if (control_id == 0) return units.empty() ? nullptr : &units.front();
  if (IdKind(control_id) == 0 || IdSerial(control_id) == 0) return nullptr;
  for (UnitRecord& u : units) {
    if (u.id == control_id) return &u;
  }
  return nullptr;
}

}  // namespace rt
