// ReadProperty and WriteProperty: numbered properties of windows and
// controls, on the live control while its window is loaded and on the
// stored record otherwise.
#pragma once

#include <cstdint>

namespace rt {

enum CommonProperty : int32_t {
  kPropLeft = 0,
  kPropTop = 1,
  kPropWidth = 2,
  kPropHeight = 3,
  kPropTag = 4,
  kPropVisible = 5,
  kPropDisabled = 6,
  kPropMousePointer = 7,
  kFirstTypeProperty = 8,
};

enum MenuItemProperty : int32_t {
  kMenuPropCaption = 0,
  kMenuPropChecked = 1,
  kMenuPropDisabled = 2,
  kMenuPropVisible = 3,
};

constexpr int32_t kCoordinateLimit = 32627;

int64_t ReadProperty(uint32_t window, uint32_t control, int32_t property, int32_t element);
void WriteProperty(uint32_t window, uint32_t control, int32_t property, int32_t element,
                   intptr_t value_low, int32_t value_high);

}  // namespace rt
