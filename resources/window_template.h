// The window template of this program: both windows, their controls,
// initial properties and event bindings, as the runtime reads them at
// start-up. Source: resources/window_template.txt.
#pragma once

#include <cstdint>

namespace res {

extern const unsigned char kWindowTemplate[];
extern const uint32_t kWindowTemplateSize;

}  // namespace res
