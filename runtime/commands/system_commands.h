// File and system commands of the core command set (and the process list of
// its own library): each a CommandFn.
#pragma once

#include <cstdint>

#include "runtime/core/values.h"

namespace rt {

// (path text) -> bool: the file is deleted; a folder is not.
void RemoveFile(ArgValue* result, int32_t argc, ArgValue* args);
// (path text) -> int: attributes AND 0x37, or -1 when the path cannot be read.
void FileAttributes(ArgValue* result, int32_t argc, ArgValue* args);
// () -> text: the program directory (a new copy; empty when there is none).
void ProgramFolder(ArgValue* result, int32_t argc, ArgValue* args);
// (milliseconds int): sleeps the calling thread; negative counts as 0.
void Pause(ArgValue* result, int32_t argc, ArgValue* args);
// (): handles the window thread's waiting messages, up to a quit message.
void ProcessPendingEvents(ArgValue* result, int32_t argc, ArgValue* args);
// (message any, flags int, caption text?, owner ControlRef|int?) -> int.
void ShowMessageBox(ArgValue* result, int32_t argc, ArgValue* args);
// (control ControlRef) -> int: the control's window handle.
void ControlWindowHandle(ArgValue* result, int32_t argc, ArgValue* args);
// (control ControlRef, message int, first int, second int) -> int.
void SendControlMessage(ArgValue* result, int32_t argc, ArgValue* args);
// () -> array of ProcessRecord pointers (process list library).
void ListProcesses(ArgValue* result, int32_t argc, ArgValue* args);

// A ControlRef: payload low word WindowId, high word ControlId.
inline ArgValue MakeControlRef(uint32_t window, uint32_t control, uint32_t type_id) {
  ArgValue v = ArgValue::Make(type_id);
  std::memcpy(v.payload, &window, 4);
  std::memcpy(v.payload + 4, &control, 4);
  return v;
}

}  // namespace rt
