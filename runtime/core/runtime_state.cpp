#include "runtime/core/runtime_state.h"

namespace rt {

RuntimeState& Runtime() {
  static RuntimeState state;
  return state;
}

}  // namespace rt
