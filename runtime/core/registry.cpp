#include "runtime/core/registry.h"

#include "runtime/core/runtime_error.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/template_format.h"

namespace rt {

void ReadTemplateIntoRegistry(const uint8_t* data, uint32_t size) {
  std::vector<WindowRecord> records;
  if (!ReadWindowTemplate(data, size, &records) ||
      !ResolveHandlers(records, Runtime().handler_count)) {
    ReportErrorMessage("载入窗口模板数据段出错!", 0, 0, 0);
  }
  std::vector<Window>& windows = Runtime().windows;
  windows.clear();
  windows.reserve(records.size());
  for (WindowRecord& record : records) {
    Window w;
    w.record = std::move(record);
    windows.push_back(std::move(w));
  }
}

Window* LookupWindow(uint32_t window_id) {
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
