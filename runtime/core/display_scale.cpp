#include "runtime/core/display_scale.h"

namespace rt {

int32_t ScaleToDpi(int32_t value, int32_t dpi) {
  if (dpi == kTemplateDpi) return value;
  const int64_t product = static_cast<int64_t>(value) * dpi;
  const int64_t half = kTemplateDpi / 2;
  const int64_t rounded = product >= 0 ? (product + half) / kTemplateDpi : -((-product + half) / kTemplateDpi);
  return static_cast<int32_t>(rounded);
}

}  // namespace rt
