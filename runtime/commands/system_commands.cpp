// The file and system commands that need no platform call of their own, and
// the rules that the platform parts apply.
#include "runtime/commands/system_commands.h"

#include <cstring>

#include "runtime/commands/system_rules.h"
#include "runtime/core/heap.h"
#include "runtime/core/requests.h"
#include "runtime/core/thread_stop.h"

namespace rt {

ProcessRecord* NewProcessRecord(int32_t process_id, const char* executable_name, int32_t module_id,
                                int32_t parent_process_id, int32_t base_priority,
                                int32_t thread_count) {
  auto* record = static_cast<ProcessRecord*>(AllocateMemory(sizeof(ProcessRecord)));
  record->process_id = process_id;
  record->executable_name = NewText(executable_name);
  record->module_id = module_id;
  record->parent_process_id = parent_process_id;
  record->base_priority = base_priority;
  record->thread_count = thread_count;
  return record;
}

void* ProcessArray(const std::vector<ProcessRecord*>& records) {
  void* block = NewPointerArray(static_cast<uint32_t>(records.size()));
  if (!records.empty()) {
    std::memcpy(ArrayElements(block), records.data(), records.size() * sizeof(ProcessRecord*));
  }
  return block;
}

void FreeProcessArray(void* block) {
  if (block == nullptr) return;
  const uint32_t count = ArrayElementCount(block);
  auto** records = static_cast<ProcessRecord**>(ArrayElements(block));
  for (uint32_t i = 0; i < count; ++i) {
    if (records[i] == nullptr) continue;
    FreeMemory(records[i]->executable_name);
    FreeMemory(records[i]);
  }
  FreeMemory(block);
}

const char* MessageBoxText(const ArgValue& message, char buffer[kFormatBufferSize]) {
  buffer[0] = '\0';
  switch (message.tag) {
    case kTagText: {
      const char* text = message.AsText();
      return text != nullptr ? text : "";
    }
    case kTagByte:
    case kTagShort:
    case kTagInt:
    case kTagInt64:
    case kTagFloat:
    case kTagDouble:
    case kTagBool:
    case kTagDateTime:
      FormatValueText(message, buffer);
      return buffer;
    default:
      return "";
  }
}

const char* MessageBoxCaption(int32_t argc, const ArgValue* args) {
  if (argc < 3 || args[2].IsOmitted()) return "信息：";
  return args[2].AsText();
}

uint32_t MessageBoxStyle(int32_t flags) {
  // Task-modal (0x2000, twice the system-modal bit) unless system-modal. An
  // addition: flags that already hold 0x2000 carry into 0x4000.
  constexpr uint32_t kSystemModal = 0x1000u;
  const uint32_t f = static_cast<uint32_t>(flags);
  return f + ((~f) & kSystemModal) * 2u;
}

int32_t MessageBoxAnswer(int32_t platform_answer) {
  return platform_answer >= 1 && platform_answer <= 7 ? platform_answer - 1 : 0;
}

void ProgramFolder(ArgValue* result, int32_t, ArgValue*) {
  const char* directory = reinterpret_cast<const char*>(RuntimeRequest(kReqProgramDirectory, 0, 0));
  SetText(result, NewText(directory));
}

void Pause(ArgValue*, int32_t argc, ArgValue* args) {
  const int32_t ms = argc >= 1 ? args[0].AsInt() : 0;
  // A stop request cuts the pause short and ends the worker here.
  if (!PauseOrStop(ms > 0 ? static_cast<uint32_t>(ms) : 0u)) ThreadSafePoint();
}

void ProcessPendingEvents(ArgValue*, int32_t, ArgValue*) {
  RuntimeRequest(kReqProcessMessages, 0, 0);
}

}  // namespace rt
