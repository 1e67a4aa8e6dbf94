#include "runtime/core/registry.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/window_loading.h"
#include "runtime/core/window_ops.h"
#include "runtime/core/window_requests.h"

namespace rt {

int32_t LoadWindowRequest(const WindowLoadRecord& record) {
  const auto* owner = reinterpret_cast<const ControlObject*>(record.owner);
  // An owner that was given but has lost its window fails the load.
  if (owner != nullptr && !platform::IsLiveWindow(owner->hwnd)) return -1;
  return LoadWindow(record.window, owner != nullptr ? owner->hwnd : 0, record.modal != 0);
}

void UnitDestroyedRequest(ControlObject* control) { UnitDestroyed(control); }

uintptr_t LoadedWindowHandleAt(size_t index) {
  return LoadedWindowHandle(Runtime().windows[index]);
}

}  // namespace rt
