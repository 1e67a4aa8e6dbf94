// The program-info block: the thirteen words from which the runtime builds
// itself, and the record through which each command library takes part.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// Notify codes the runtime sends to a command library.
enum LibraryNotify : int32_t {
  kNotifyStart = 1,       // argument 1: the runtime's request operation
  kNotifyShutdown = 6,    // argument 1: the library's data word
  kNotifyDataType = 8,    // a data-type number and a result record (request 2036)
};

using RequestOp = intptr_t (*)(int32_t code, intptr_t argument1, intptr_t argument2);
using NotifyOp = intptr_t (*)(int32_t code, intptr_t argument1, intptr_t argument2);

struct CommandLibraryRecord {
  NotifyOp notify;          // may be null
  int32_t data_type_count;  // data types the library defines
};

struct ProgramInfo {
  uint32_t program_word;     // 0: when not 0, windows apply their start position
  uint32_t stored_word;      // 1
  uint32_t counted_word;     // 2: stored with 1 added
  const void* code_base;     // 3: the handler table, ended by a null entry
  const void* constant_data; // 4
  uint32_t constant_length;  // 5
  const uint8_t* window_template;  // 6
  uint32_t template_length;        // 7
  uint32_t library_count;          // 8
  const CommandLibraryRecord* const* libraries;  // 9
  uint32_t foreign_count;                        // 10
  const char* const* foreign_libraries;          // 11
  const char* const* foreign_functions;          // 12
};
static_assert(sizeof(void*) != 4 || sizeof(ProgramInfo) == 13 * 4, "thirteen words on 32-bit");
static_assert(sizeof(void*) != 4 || offsetof(ProgramInfo, window_template) == 24, "word 6");

}  // namespace rt
