#include "runtime/core/not_built.h"

#include <string>

#include "runtime/core/runtime_error.h"

namespace rt {

void ReportNotBuilt(const char* what) {
  const std::string message = std::string(what) + " not built";
  ReportErrorMessage(message.c_str(), 0, 0, 0);
}


}  // namespace rt
