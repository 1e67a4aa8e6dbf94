// The process clean-up by name, on the process list of the entrance.
#include "app/converter.h"

#include "app/runtime_access.h"
#include "resources/constant_data.h"

namespace app {

void TerminateConsoleHost() { TerminateProcessById(FindProcessIdByName(res::kConstantData.console_host)); }

int32_t FindProcessIdByName(const std::string& name) {
  for (const ProcessEntry& process : ListProcesses()) {
    if (process.executable == name) return process.id;
  }
  return -1;
}

bool TerminateProcessById(int32_t process_id) { return TerminateProcessWithId(process_id); }

}  // namespace app
