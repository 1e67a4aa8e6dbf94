#include <cstdio>

#include "runtime/core/platform_error_box.h"

namespace rt::platform {

// The host build has no windows; the report goes to standard error.
void ShowErrorBox(const char* text) {
  std::fputs(text, stderr);
  std::fflush(stderr);
}

}  // namespace rt::platform
