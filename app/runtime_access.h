// The application's one entrance into its runtime. Only here does the
// application build the runtime's typed values, compute property numbers,
// make control references and call commands and the foreign-function
// table; everywhere else it calls these named operations. The texts and
// numbers crossing here are the application's own types (std::string in
// code page 936, fixed-width integers, enums).
//
// Texts of the runtime that the caller keeps (the chosen account) come as
// runtime texts the caller frees; everything else comes as a copy.
// The text operations build everywhere; the rest in the Windows builds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/commands/thread_routine.h"
#include "runtime/core/events.h"

namespace app {

// --- The handlers' arguments ---------------------------------------------------

// The first argument of an event that carries a text by reference (the
// drop target's files); null when there is none. The event's source keeps
// and frees it.
const char* TextArgument(const rt::EventWord* args, int32_t count);

// --- Texts (the runtime's byte-counting text commands) ------------------------

// The length of a text in bytes; null is the empty text.
int32_t TextBytes(const char* text);
// The leftmost and the rightmost `count` bytes (none for a count of 0 or
// less; the whole text for a count past its length).
std::string LeftBytes(const char* text, int32_t count);
std::string RightBytes(const char* text, int32_t count);

// --- Folders of the program ----------------------------------------------------

// The program folder's out folder, where a batch leaves its
// intermediate files, and an account's own folder in it for its MP3s.
std::string OutFolder(const std::string& program_folder);
std::string AccountOutFolder(const std::string& program_folder, const std::string& account);

// --- The windows ----------------------------------------------------------------

// What the user typed or dropped into the path box, and the sample rate
// (read afresh each time; also from the worker).
std::string PathBoxText();
void SetPathBoxText(const std::string& text);
std::string SampleRateText();
// A button of the main window (its id) made usable or not.
void SetButtonUsable(uint32_t button, bool usable);
bool IsButtonUsable(uint32_t button);
// A window (its id) shown or hidden, usable or not.
void SetWindowShown(uint32_t window, bool shown);
void SetWindowUsable(uint32_t window, bool usable);
// Usable again and in front of the other windows, without staying on top.
void BringMainWindowToFront();
std::string MainWindowCaption();
void SetMainWindowCaption(const std::string& caption);
// The task-bar button's progress; done == total == 0 takes it away.
void SetTaskbarProgress(int32_t done, int32_t total);
// The list window follows the mouse as if its caption had been grabbed.
void DragAccountListWindow();
// The path box takes drops; the list window is loaded, hidden.
void RegisterPathBoxDropTarget();
void LoadAccountListWindow();

// The account list.
void ClearAccountList();
void AddAccount(const std::string& name);
// The selected item's text as a runtime text the caller frees (null when
// none is selected).
char* TakeSelectedAccount();
// The list is not redrawn item by item while held.
void HoldAccountListDrawing(bool hold);

// A message box with one OK button, no icon, the default title and no
// owner; returns once it is closed.
void Tell(const std::string& message);
// The folder dialog with `title`; the chosen folder, empty when cancelled.
std::string BrowseForFolder(const std::string& title);
// The folder or voice file the program was started with; empty for none.
std::string ProgramArgument();
// Handles the window thread's waiting messages, up to a quit message.
void ProcessPendingEvents();
// Handles every message waiting in the calling thread's queue, the quit
// message included (which is thereby lost).
void PumpMessages();

// --- Files ----------------------------------------------------------------------

// -1 when there is no such file (a folder included).
int64_t FileSize(const std::string& path);
// The attributes (masked to read-only, hidden, system, folder, archive),
// -1 when the path cannot be read.
int32_t FileAttributesOf(const std::string& path);
constexpr int32_t kAttributeReadOnly = 0x01;
constexpr int32_t kAttributeFolder = 0x10;
bool RemoveFile(const std::string& path);
// Replaces a file of the new name.
bool RenameFile(const std::string& from, const std::string& to);
bool FileBeginsWith(const std::string& path, const std::string& prefix);
// `to` gets the last-write time of `from`.
bool CopyWriteTime(const std::string& from, const std::string& to);
bool WriteTextFile(const std::string& path, const std::string& text);
// True exactly for a folder.
bool IsFolder(const std::string& path);
// One level; the parent must exist.
bool CreateFolder(const std::string& path);
// Whether files can be written into a folder.
enum class FolderState { kWritable, kNotWritable, kFull };
// Full when a write failed for want of room, or when its disk has less
// room than `needed` bytes (0: nothing known to be needed).
FolderState ProbeFolder(const std::string& folder, int64_t needed = 0);
// The name as the file system compares names.
std::string FileNameKey(const std::string& name);
// The address of a text's bytes, as the file walk hands them to its
// callback (copying nothing into the text itself returns where it is).
uintptr_t AddressOf(std::string* text);

// The runtime's designed search: one running search, closed when the
// object goes (or by the runtime when a stop ends a worker inside it).
class FileSearch {
 public:
  FileSearch() = default;
  ~FileSearch();
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;

  // Starts a new search and returns the first bare name of a folder (only
  // folders: the search for subfolders); empty when none.
  std::string FirstFolder(const std::string& pattern);
  // The next name; empty at the end.
  std::string Next();

 private:
  uintptr_t handle_ = 0;
};

// One entry of an EntrySearch.
struct FolderEntry {
  std::string name;  // empty at the end of the search
  uint32_t attributes = 0;
  bool usable = true;  // false: the name has "?" for what the code page lacks
  bool is_folder() const { return (attributes & 0x10) != 0; }
  bool is_link() const { return (attributes & 0x400) != 0; }
};

// The application's own search: names read wide (a short 8.3 form where
// the code page cannot hold the long one), every entry whatever its
// attribute bits, with all of them. Closed when the object goes.
class EntrySearch {
 public:
  EntrySearch() = default;
  ~EntrySearch();
  EntrySearch(const EntrySearch&) = delete;
  EntrySearch& operator=(const EntrySearch&) = delete;

  // Starts a new search and returns its first entry ("." and ".." too).
  FolderEntry First(const std::string& pattern);
  FolderEntry Next();

 private:
  FolderEntry Step(const char* pattern);
  int32_t handle_ = 0;
};

// --- Programs ---------------------------------------------------------------------

enum class ProgramStart {
  kNotStarted,
  kStarted,     // running; its handle is given
  kUnwaitable,  // started, but there is no process to wait for
};
// Starts `executable` with `parameters` (no console, no window, the current
// directory); the handle goes to *handle for kStarted, else 0. A worker
// asked to stop starts nothing.
ProgramStart StartProgram(const std::string& executable, const std::string& parameters, int32_t* handle);
// Waits up to `limit_ms` until one of `handles` (programs, a worker thread,
// a signal) is signalled: its index; kWaitTimedOut, or kWaitFailed (bad
// handles, a stop of the calling worker). On the window thread its windows
// keep answering meanwhile.
constexpr int32_t kWaitTimedOut = -1;
constexpr int32_t kWaitFailed = -3;
int32_t WaitForAny(const std::vector<int32_t>& handles, uint32_t limit_ms);
// The exit code of a program that has ended; false while it runs.
bool ProgramExitCode(int32_t handle, uint32_t* exit_code);
// Ends a program that is still running and waits a little; true once gone.
bool EndProgram(int32_t handle);
void CloseProgram(int32_t handle);

// One process of the system's list.
struct ProcessEntry {
  int32_t id;
  std::string executable;  // its file name, without folder
};
std::vector<ProcessEntry> ListProcesses();
// Through the foreign-function table: the three calls that end a process
// by id (OpenProcess with the right to terminate, TerminateProcess with
// exit code 0, CloseHandle). True when the system reports it terminated.
bool TerminateProcessWithId(int32_t process_id);
void CloseHandleOf(uintptr_t handle);

// --- Threads and time ------------------------------------------------------------

// The routine a worker thread runs (declared with RT_THREAD_ROUTINE): one
// parameter, its result the exit code.
using rt::WorkerRoutine;
// The worker's handle, 0 when it could not be started.
uintptr_t StartWorkerThread(WorkerRoutine routine, void* parameter);
// Ends it at its next safe point (or where it stands, past a bound); false
// for 0 or a thread that is gone.
bool KillWorkerThread(uintptr_t handle);
// Hands `routine(argument)` to the window thread, which runs it when it
// next handles its messages; false when the program is shutting down.
bool PostToWindowThread(void (*routine)(uintptr_t), uintptr_t argument);
// A signal for WaitForAny: made lowered, raised once, closed.
int32_t NewSignal();
void RaiseSignal(int32_t signal);
void CloseSignal(int32_t signal);

std::string ProgramFolder();
std::string EnvironmentVariable(const std::string& name);
int32_t ProcessorCount();
// Sleeps; a stop of the calling worker cuts it short.
void Pause(uint32_t ms);
// Milliseconds of the program's clock: time the PC was awake, so a bound
// does not expire across a sleep. Differences stay right across its wrap.
uint32_t Now();

}  // namespace app
