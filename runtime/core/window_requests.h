// The requests that window loading answers (2000, 2005, 2033), kept apart so
// that the request table needs nothing of the platform itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/core/control_object.h"
#include "runtime/core/requests.h"

namespace rt {

// Request 2005: 0 when the window was loaded, -1 when it could not be.
int32_t LoadWindowRequest(const WindowLoadRecord& record);
// Request 2000: a control or a window's own unit lost its platform window.
void UnitDestroyedRequest(ControlObject* control);
// Request 2033: the platform window of registry entry `index`, or 0.
uintptr_t LoadedWindowHandleAt(size_t index);

}  // namespace rt
