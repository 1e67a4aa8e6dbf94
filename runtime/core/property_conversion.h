// Conversion of type-specific property values by their data type, between
// what a unit type stores (RawValue) and what ReadProperty and WriteProperty
// hand over (a 64-bit value; texts and buffers as new heap blocks).
#pragma once

#include <cstdint>

#include "runtime/core/font_record.h"
#include "runtime/core/property_data_type.h"
#include "runtime/core/unit_types.h"

namespace rt {

// What a reader gets; `dpi` converts a font's height to points.
int64_t ConvertPropertyRead(PropertyDataType data_type, int32_t element, const RawValue& raw, int32_t dpi);

// What the type is given. For fonts written by element, `current` is the
// control's font (or the default interface font).
RawValue ConvertPropertyWrite(PropertyDataType data_type, int32_t element, intptr_t low, int32_t high,
                              const FontRecord& current, int32_t dpi);

// Mouse pointer codes: stored system cursor ids against the small numbers
// that application code uses (0 = default).
int32_t PointerCodeForCaller(int32_t stored);
int32_t PointerCodeForStore(int32_t caller);

}  // namespace rt
