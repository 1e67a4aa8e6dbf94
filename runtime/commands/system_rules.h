// The platform-free rules of the file and system commands: the message box
// text, style and answer, and the process list's record and array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/commands/format_value.h"
#include "runtime/core/values.h"

namespace rt {

// One process of the process list: six 32-bit fields on 32-bit Windows.
struct ProcessRecord {
  int32_t process_id;
  char* executable_name;  // a runtime text owned by the record (null = empty)
  int32_t module_id;      // carried unchanged, never interpreted
  int32_t parent_process_id;
  int32_t base_priority;
  int32_t thread_count;
};
static_assert(sizeof(void*) != 4 || sizeof(ProcessRecord) == 24, "24 bytes on 32-bit");
static_assert(sizeof(void*) != 4 || offsetof(ProcessRecord, executable_name) == 4, "name second");
static_assert(sizeof(void*) != 4 || offsetof(ProcessRecord, thread_count) == 20, "threads last");

// A new record from the runtime heap; the name is copied (empty gives null).
ProcessRecord* NewProcessRecord(int32_t process_id, const char* executable_name, int32_t module_id,
                                int32_t parent_process_id, int32_t base_priority,
                                int32_t thread_count);
// A new one-dimensional array block holding the record pointers in order;
// no records give the empty array (dimension count 1, element count 0).
void* ProcessArray(const std::vector<ProcessRecord*>& records);
// Frees every record, its name and the block (null is ignored).
void FreeProcessArray(void* block);

// The text a message box shows for a message argument of any kind: a number
// formatted into `buffer`, a text unchanged (null = empty), a bool "真" or
// "假", a date-time its date text; any other kind the empty text.
const char* MessageBoxText(const ArgValue& message, char buffer[kFormatBufferSize]);
// The caption: "信息：" when the argument is missing or omitted, otherwise
// its text as given (null passes on as null).
const char* MessageBoxCaption(int32_t argc, const ArgValue* args);
// The style handed to the platform: flags + ((NOT flags) AND 0x1000) * 2.
uint32_t MessageBoxStyle(int32_t flags);
// The platform's answer (1 OK ... 7 No) as the command's result (0 ... 6);
// any other value, failure included, gives 0.
int32_t MessageBoxAnswer(int32_t platform_answer);

}  // namespace rt
