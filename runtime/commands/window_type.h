// The `window` unit type (0x00010001): a window's own unit, the top-level
// platform window with its title bar, border and the window events. Its
// property numbers (runtime/core/window_unit_data.h) and event numbers
// (runtime/core/events.h) belong to the core, which reads and raises them too.
#pragma once

#include "runtime/core/events.h"
#include "runtime/core/unit_types.h"
#include "runtime/core/window_unit_data.h"

namespace rt {

// The data type of each of the window's properties (window_unit_data.h).
inline constexpr PropertyDataType kWindowPropertyTypes[kWindowPropertyCount] = {
    kDataTypeText,       kDataTypeInt,  kDataTypeColour, kDataTypeByteBuffer, kDataTypeInt,  kDataTypeByteBuffer,
    kDataTypeInt,        kDataTypeBool, kDataTypeBool,   kDataTypeBool,       kDataTypeInt,  kDataTypeBool,
    kDataTypeByteBuffer, kDataTypeBool, kDataTypeBool,   kDataTypeBool,       kDataTypeText, kDataTypeInt,
    kDataTypeBool,       kDataTypeBool, kDataTypeInt,    kDataTypeBool,       kDataTypeInt,  kDataTypeText,
};

void RegisterWindowType();
// At shutdown, once the windows are gone.
void ReleaseWindowClass();

}  // namespace rt
