#include "runtime/core/foreign_functions.h"

#include <cstdio>
#include <memory>
#include <new>

#include "runtime/core/foreign_functions_platform.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/thread_stop.h"

namespace rt {
namespace {

// Looks the reference up in a loaded module.
uintptr_t FindFunction(uintptr_t module, const std::string& function) {
  uint16_t ordinal = 0;
  if (ParseForeignOrdinal(function, &ordinal)) {
    return platform::FindForeignExport(module, nullptr, ordinal);
  }
  return platform::FindForeignExport(module, function.c_str(), 0);
}

// A binding that failed ends the program; no entry is ever retried.
[[noreturn]] void ReportNotFound(const std::string& library, const std::string& function) {
  const std::string message = ForeignFunctionNotFoundMessage(library, function);
  ReportErrorMessage(message.c_str(), 0, 0, 0);
}

}  // namespace

bool ParseForeignOrdinal(const std::string& function, uint16_t* ordinal) {
  if (function.size() < 2 || function[0] != '#') return false;
  uint32_t value = 0;
  for (size_t i = 1; i < function.size(); ++i) {
    const char c = function[i];
    if (c < '0' || c > '9') return false;
    value = value * 10u + static_cast<uint32_t>(c - '0');  // wraps; only 16 bits count
  }
  *ordinal = static_cast<uint16_t>(value & 0xFFFFu);
  return true;
}

std::string ForeignFunctionNotFoundMessage(const std::string& library,
                                           const std::string& function) {
  if (library.empty()) return "无法找到指定DLL库文件中的输出命令“" + function + "”";
  return "无法找到指定DLL库文件“" + library + "”中的输出命令“" + function + "”";
}

std::vector<std::string> ForeignLibraryCandidates(const std::string& library) {
  std::vector<std::string> places;
  if (library.empty()) return places;
  if (library.find(':') != std::string::npos) {
    places.push_back(library);
    return places;
  }
  const RuntimeState& state = Runtime();
  if (!state.foreign_search_directory.empty()) {
    places.push_back(state.foreign_search_directory + library);
  }
  places.push_back(state.program_directory + "\\" + library);
  if (!state.module_directory.empty()) places.push_back(state.module_directory + library);
  places.push_back(library);
  return places;
}

void InitialiseForeignFunctions(const char* const* libraries, const char* const* functions,
                                int32_t count) {
  UnloadForeignFunctions();
  if (count <= 0) return;
  std::unique_ptr<ForeignFunction[]> table(new (std::nothrow) ForeignFunction[count]);
  if (!table) {
    char message[64];
    std::snprintf(message, sizeof message, "分配 %d 字节内存失败!",
                  static_cast<int>(static_cast<size_t>(count) * sizeof(ForeignFunction)));
    ReportErrorMessage(message, 0, 0, 0);
  }
  for (int32_t i = 0; i < count; ++i) {
    const char* library = libraries != nullptr ? libraries[i] : nullptr;
    const char* function = functions != nullptr ? functions[i] : nullptr;
    table[i].library = library != nullptr ? library : "";
    table[i].function = function != nullptr ? function : "";
  }
  RuntimeState& state = Runtime();
  state.foreign_functions = std::move(table);
  state.foreign_function_count = count;
}

uintptr_t BindForeignFunction(int32_t index) {
  // A foreign call is a step of its own: a worker asked to stop ends here.
  ThreadSafePoint();
  RuntimeState& state = Runtime();
  if (index < 0 || index >= state.foreign_function_count) ReportNotFound("", "");
  ForeignFunction& entry = state.foreign_functions[index];
  const uintptr_t bound = entry.address.load(std::memory_order_acquire);
  if (bound != 0) return bound;

  uintptr_t module = 0;
  uintptr_t address = 0;
  if (entry.library.empty()) {
    for (const char* library : kDefaultForeignLibraries) {
      module = platform::LoadForeignModule(library);
      if (module == 0) continue;
      address = FindFunction(module, entry.function);
      if (address != 0) break;
      platform::UnloadForeignModule(module);
      module = 0;
    }
  } else {
    for (const std::string& place : ForeignLibraryCandidates(entry.library)) {
      module = platform::LoadForeignModule(place.c_str());
      if (module != 0) break;
    }
    if (module != 0) {
      address = FindFunction(module, entry.function);
      if (address == 0) {
        platform::UnloadForeignModule(module);
        module = 0;
      }
    }
  }
  if (address == 0) ReportNotFound(entry.library, entry.function);
  // Two threads binding at once both store; the earlier load stays with the process.
  entry.module.store(module, std::memory_order_relaxed);
  entry.address.store(address, std::memory_order_release);
  return address;
}

void UnloadForeignFunctions() {
  RuntimeState& state = Runtime();
  std::unique_ptr<ForeignFunction[]> table = std::move(state.foreign_functions);
  const int32_t count = state.foreign_function_count;
  state.foreign_function_count = 0;
  if (!table) return;
  for (int32_t i = 0; i < count; ++i) {
    const uintptr_t module = table[i].module.exchange(0);
    table[i].address.store(0);
    platform::UnloadForeignModule(module);
  }
}

}  // namespace rt
