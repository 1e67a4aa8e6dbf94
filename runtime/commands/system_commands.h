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
// (path text) -> int64: the file's size in bytes; -1 when there is no such
// file (a folder included).
void FileSize(ArgValue* result, int32_t argc, ArgValue* args);
// (path text, content text) -> bool: the file holds the text's bytes and
// nothing else (made or replaced).
void WriteTextFile(ArgValue* result, int32_t argc, ArgValue* args);
// (from text, to text) -> bool: the file is renamed, replacing a file of the
// new name.
void RenameFile(ArgValue* result, int32_t argc, ArgValue* args);
// (path text, prefix text) -> bool: the file's first bytes are the prefix's
// bytes (false for a file that cannot be read, a folder, or an empty prefix).
void FileBeginsWith(ArgValue* result, int32_t argc, ArgValue* args);
// (from text, to text) -> bool: the file `to` gets the last-write time of
// the file `from`.
void CopyWriteTime(ArgValue* result, int32_t argc, ArgValue* args);
// (path text) -> bool: the folder is made (its parent must exist); false
// when it cannot be made or already exists.
void CreateFolder(ArgValue* result, int32_t argc, ArgValue* args);
// (folder text, bytes needed int64?) -> int, one of FolderState: whether
// files can be written into the folder, tried with a small file that is
// deleted at once, and whether its disk has room for the bytes needed.
void ProbeFolder(ArgValue* result, int32_t argc, ArgValue* args);
enum FolderState : int32_t {
  kFolderWritable = 0,
  kFolderNotWritable = 1,  // missing, read-only, not the user's
  kFolderFull = 2,         // the probe's write failed for want of room, or less room than needed
};
// (name text) -> text: the name as the file system compares names: two
// names with the same key name the same file in one folder, though they
// differ in letter case, also of full-width, Greek or Cyrillic letters.
void FileNameKey(ArgValue* result, int32_t argc, ArgValue* args);
// () -> text: what the program was started with, as a drop would deliver it
// (one item as it is, several each followed by CR LF); empty for none.
void ProgramArgument(ArgValue* result, int32_t argc, ArgValue* args);
// () -> text: the program directory (a new copy; empty when there is none).
void ProgramFolder(ArgValue* result, int32_t argc, ArgValue* args);
// () -> int: milliseconds the system has been awake: the unbiased interrupt
// time, which does not run while the PC sleeps or hibernates, so a bound
// measured with it does not expire across a sleep; the tick count where the
// system lacks it (wraps after 49 days; differences stay right across the
// wrap).
void AwakeMilliseconds(ArgValue* result, int32_t argc, ArgValue* args);
// () -> int: the number of processors the program may use (at least 1).
void ProcessorCount(ArgValue* result, int32_t argc, ArgValue* args);
// (name text) -> text: the value of the environment variable (empty when
// it is not set).
void EnvironmentVariable(ArgValue* result, int32_t argc, ArgValue* args);
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
