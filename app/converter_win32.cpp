// Starting the converters and the process clean-up, through the shell
// library, the process list library and the foreign-function table.
#include <cstring>

#include "app/converter.h"
#include "runtime/commands/shell_commands.h"
#include "runtime/commands/system_commands.h"
#include "runtime/commands/system_rules.h"
#include "runtime/core/foreign_functions.h"
#include "runtime/core/heap.h"
#include "runtime/core/thread_stop.h"

namespace app {
namespace {

// Entries of the program's foreign-function table.
constexpr int32_t kOpenProcess = 0;
constexpr int32_t kTerminateProcess = 1;
constexpr int32_t kCloseHandle = 2;
// Where a faulty foreign call is reported: this unit, then the call.
constexpr int32_t kUnitLocation = 15;

}  // namespace

int32_t StartConverter(const char* executable, const char* parameters, int32_t* handle) {
  *handle = 0;
  rt::ArgValue args[3] = {
      rt::ArgValue::Text(executable),
      rt::ArgValue::Text(parameters),
      rt::ArgValue::Address(handle, rt::kTagInt),
  };
  return rt::CallLibraryCommand(rt::StartProgram, 3, args).AsInt();
}

bool ConverterExitCode(int32_t handle, uint32_t* exit_code) {
  int32_t code = 0;
  rt::ArgValue args[2] = {rt::ArgValue::Int(handle), rt::ArgValue::Address(&code, rt::kTagInt)};
  if (rt::CallLibraryCommand(rt::ProgramExitCode, 2, args).AsInt() == 0) return false;
  *exit_code = static_cast<uint32_t>(code);
  return true;
}

bool EndConverter(int32_t handle) {
  rt::ArgValue arg = rt::ArgValue::Int(handle);
  return rt::CallLibraryCommand(rt::EndProgram, 1, &arg).AsInt() != 0;
}

void CloseConverter(int32_t handle) {
  rt::ArgValue arg = rt::ArgValue::Int(handle);
  rt::CallLibraryCommand(rt::CloseProgram, 1, &arg);
}

void TerminateConsoleHost() {
  TerminateProcessById(FindProcessIdByName("Console Window Host"));
}

int32_t FindProcessIdByName(const char* name) {
  const rt::ArgValue list = rt::CallLibraryCommand(rt::ListProcesses, 0, nullptr);
  void* block = reinterpret_cast<void*>(list.AsAddress());
  int32_t found = -1;
  if (block != nullptr) {
    const uint32_t count = rt::ArrayElementCount(block);
    auto* const* records = static_cast<rt::ProcessRecord* const*>(rt::ArrayElements(block));
    const char* wanted = name != nullptr ? name : "";
    for (uint32_t i = 0; i < count; ++i) {
      const char* exe = records[i]->executable_name;
      if (std::strcmp(exe != nullptr ? exe : "", wanted) == 0) {
        found = records[i]->process_id;
        break;
      }
    }
  }
  rt::FreeProcessArray(block);
  return found;
}

bool TerminateProcessById(int32_t process_id) {
  // The handle must not be lost between its opening and its closing, so a
  // stop waits for the three calls.
  const rt::StopDeferral deferral;
  const uintptr_t process = rt::CallForeign<uintptr_t>(kOpenProcess, kUnitLocation, 1,
                                                       static_cast<uint32_t>(1), int32_t{0},
                                                       static_cast<uint32_t>(process_id));
  if (process == 0) return false;
  const int32_t terminated = rt::CallForeign<int32_t>(kTerminateProcess, kUnitLocation, 2,
                                                      process, static_cast<uint32_t>(0));
  rt::CallForeign<int32_t>(kCloseHandle, kUnitLocation, 3, process);
  return terminated == 1;
}

void CloseHandleOf(uintptr_t handle) {
  if (handle != 0) rt::CallForeign<int32_t>(kCloseHandle, kUnitLocation, 4, handle);
}

}  // namespace app
