// A live control: the object a unit type creates while its window is loaded.
#pragma once

#include <cstdint>

namespace rt {

struct ControlObject {
  virtual ~ControlObject() = default;

  uintptr_t hwnd = 0;  // the platform window handle
  uint32_t window_id = 0;
  uint32_t unit_id = 0;
  uint32_t type_id = 0;
};

}  // namespace rt
