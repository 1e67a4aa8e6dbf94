// The shell library: the folder browser dialog and shell execution of a
// file with a verb, a start that waits for the started program, and the
// direct start of programs that one thread keeps going. Each
// a CommandFn reached through the library call gate.
#pragma once

#include <cstdint>

#include "runtime/core/thread_stop.h"
#include "runtime/core/values.h"

namespace rt {

// (title text, include files bool?) -> text: the chosen folder's path; the
// empty text when cancelled or for an item without a file-system path. The
// program's top-level windows are disabled while the dialog is open.
void BrowseForFolder(ArgValue* result, int32_t argc, ArgValue* args);

// (verb int?, file text, parameters text?, working folder text?, show mode
// int?): starts the file through the shell and returns at once; the result
// stays zero and nothing tells whether the start succeeded.
void ExecuteShellVerb(ArgValue* result, int32_t argc, ArgValue* args);

// The same start, then a wait for the started program:
// (verb int?, file text, parameters text?, working folder text?, show mode
// int?, limit in milliseconds int? (omitted or negative: no limit), exit
// code variable (address of the caller's 32-bit variable)?) -> int, one of
// ShellWaitResult. The exit code is stored only for kShellProgramEnded. A
// program still running at the limit is left running. The wait is a safe
// point: a worker asked to stop ends there, and a stop requested before the
// call starts nothing.
void ExecuteShellVerbAndWait(ArgValue* result, int32_t argc, ArgValue* args);

enum ShellWaitResult : int32_t {
  kShellNotStarted = 0,    // the shell could not start the file
  kShellProgramEnded = 1,  // started and ended; the exit code is stored
  kShellTimedOut = 2,      // started, still running at the limit
  kShellWaitFailed = 3,    // started, but there is no process to wait for
};

// A start that hands the started program to the caller, so that one thread
// can keep several programs going: (file text, parameters text?, handle
// variable (address of the caller's 32-bit variable)) -> int, one of
// ProgramStartResult. Not through the shell: the program gets no console,
// no console host and a hidden window, runs in the current directory and
// inherits no handles; its command line is the file in double quotes, a
// space and the parameters as given. The handle is stored only for
// kProgramStarted (0 otherwise); the caller waits with WaitForPrograms and
// closes it with CloseProgram. A stop waits for the start to finish instead
// of cutting it off; a stop requested before the call starts nothing.
void StartProgram(ArgValue* result, int32_t argc, ArgValue* args);

enum ProgramStartResult : int32_t {
  kProgramNotStarted = 0,  // the file could not be started
  kProgramStarted = 1,     // running; its handle is in the variable
  kProgramUnwaitable = 2,  // started, but there is no process to wait for
};

// (count int, handles (address of `count` 32-bit handles), limit in
// milliseconds int? (omitted or negative: no limit)) -> int: the index of a
// program that has ended, or one of ProgramsWaitResult. A safe point: a
// worker asked to stop ends here and its programs run on. On the window
// thread the program's windows keep answering meanwhile.
void WaitForPrograms(ArgValue* result, int32_t argc, ArgValue* args);

enum ProgramsWaitResult : int32_t {
  kProgramsWaitTimedOut = -1,  // none ended within the limit
  kProgramsWaitFailed = -3,    // a bad handle, no handles, more than 63
};
// The core's wait answers with the same numbers. (Its kWaitFailed, reached
// through this header too, is the older name of kProgramsWaitFailed.)
static_assert(kProgramsWaitTimedOut == kWaitTimedOut && kProgramsWaitFailed == kWaitFailed,
              "WaitForPrograms passes the core's answers through");

// (handle int, exit code variable (address of the caller's 32-bit
// variable)) -> bool: true when the program has ended; its exit code is
// then stored.
void ProgramExitCode(ArgValue* result, int32_t argc, ArgValue* args);

// (handle int) -> bool: ends a program from StartProgram that is still
// running (a program past the time its caller gives it) and waits a
// little for it to be gone; true when it has ended.
void EndProgram(ArgValue* result, int32_t argc, ArgValue* args);

// (handle int): closes a handle from StartProgram; 0 is ignored.
void CloseProgram(ArgValue* result, int32_t argc, ArgValue* args);

// The platform-free rules of the arguments, in the order of the arguments.
// The verb by number: 1 "edit", 2 "explore", 3 "find", 4 "open", 5 "print";
// omitted, 0 or any other number gives null (the file's default verb).
const char* ShellVerb(int32_t argc, const ArgValue* args);
// The parameters: the third argument's text, null when it is omitted.
const char* ShellParameters(int32_t argc, const ArgValue* args);
// The working folder: the fourth argument's text, the empty text (the
// current directory) when it is omitted.
const char* ShellWorkingFolder(int32_t argc, const ArgValue* args);
// The platform's show code for show modes 1 to 6 (0, 1, 2, 3, 8, 6);
// omitted or any other mode gives 1 (show normally).
int32_t ShellShowCode(int32_t argc, const ArgValue* args);
// The wait limit in milliseconds, 0xFFFFFFFF for none.
uint32_t ShellWaitLimit(int32_t argc, const ArgValue* args);
// Flags of the folder dialog: 0x10 (edit field), 0x4010 with files listed
// when the second argument is given and true.
uint32_t BrowseDialogFlags(int32_t argc, const ArgValue* args);

}  // namespace rt
