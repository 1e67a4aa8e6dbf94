#include "runtime/core/window_requests.h"

namespace rt {

// The host has no windows: nothing can be loaded, so nothing is ever live.
int32_t LoadWindowRequest(const WindowLoadRecord&) { return -1; }
void UnitDestroyedRequest(ControlObject*) {}
uintptr_t LoadedWindowHandleAt(size_t) { return 0; }

}  // namespace rt
