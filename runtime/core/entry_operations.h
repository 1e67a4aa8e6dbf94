// The thirteen entry operations through which application code reaches the
// runtime. Their order is fixed: code that addresses an operation by slot
// number finds it at that position of the table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/core/values.h"

namespace rt {

enum ServiceIndex : int32_t {
  kServiceFindFile = 0,
  kServiceCloseFind = 1,
  kServiceMakeArrayWritable = 2,
  kServiceRegisterExitRoutine = 3,
  kServiceReadLibraryProperty = 4,
  kServiceWriteLibraryProperty = 5,
  kServiceInitialiseRuntime = 6,  // takes the program-info block
};

struct EntryOperations {
  void (*report_runtime_error)(int32_t index, int32_t location1, int32_t location2);
  uintptr_t (*call_foreign_function)(int32_t index);
  ArgValue (*call_library_command)(CommandFn command, int32_t argc, ArgValue* args);
  ArgValue (*call_core_command)(CommandFn command, int32_t argc, ArgValue* args);
  int64_t (*read_property)(uint32_t window, uint32_t control, int32_t property, int32_t element);
  void (*write_property)(uint32_t window, uint32_t control, int32_t property, int32_t element,
                         intptr_t value_low, int32_t value_high);
  void* (*allocate_memory)(int32_t size);
  void* (*reallocate_memory)(void* p, int32_t size);
  void (*free_memory)(void* p);
  void (*exit_program)(int32_t exit_code);
  void (*run_message_loop)();
  void (*load_start_window)(uint32_t window);
  intptr_t (*call_service)(int32_t index, ...);
};

static_assert(sizeof(EntryOperations) == 13 * sizeof(void*), "thirteen slots, nothing else");
static_assert(offsetof(EntryOperations, call_library_command) == 2 * sizeof(void*), "slot 2");
static_assert(offsetof(EntryOperations, read_property) == 4 * sizeof(void*), "slot 4");
static_assert(offsetof(EntryOperations, allocate_memory) == 6 * sizeof(void*), "slot 6");
static_assert(offsetof(EntryOperations, exit_program) == 9 * sizeof(void*), "slot 9");
static_assert(offsetof(EntryOperations, call_service) == 12 * sizeof(void*), "slot 12");

const EntryOperations& Entry();

// Service dispatch; each service takes its own arguments (pointer-sized words).
intptr_t CallService(int32_t index, ...);

}  // namespace rt
