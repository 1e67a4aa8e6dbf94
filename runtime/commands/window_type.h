// The `window` unit type (0x00010001): a window's own unit, the top-level
// platform window with its title bar, border and the window events. Its
// property numbers (runtime/core/window_unit_data.h) and event numbers
// (runtime/core/events.h) belong to the core, which reads and raises them too.
#pragma once

#include "runtime/core/events.h"
#include "runtime/core/unit_types.h"
#include "runtime/core/window_unit_data.h"

namespace rt {

const UnitTypeDescriptor& WindowTypeDescriptor();
void RegisterWindowType();

}  // namespace rt
