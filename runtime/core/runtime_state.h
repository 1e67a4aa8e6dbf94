// The one runtime object: every table, counter and flag that the runtime
// keeps for the life of the process. Nothing else in the runtime is global.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "runtime/core/registry.h"

namespace rt {

struct UnitTypeDescriptor;
struct WorkerControl;

// One operating-system function the application calls directly: named by
// library file and function ("#n" for an ordinal), bound on its first call.
// Each entry keeps the module handle of its own load.
struct ForeignFunction {
  std::string library;
  std::string function;
  std::atomic<uintptr_t> module{0};
  std::atomic<uintptr_t> address{0};
};
struct ProgramInfo;
struct CommandLibraryRecord;

using ExitRoutine = void (*)();
// An installed error handler gets (code, message + detail); nonzero skips the box.
using ErrorHandler = int32_t (*)(int32_t code, const char* text);

struct RuntimeState {
  // From the program file's path: the directory (no trailing backslash),
  // the file name, and the module directory (with its trailing backslash).
  std::string program_directory;
  std::string program_file_name;
  std::string module_directory;
  uint32_t program_words[3] = {};  // program-info words 0, 1 and 2 (+1)
  // The command-line arguments the program was started with (the program's
  // own name not included), in the ANSI code page.
  std::vector<std::string> program_arguments;

  // The runtime's hidden owner window (class "_KL_HideOwner") and the
  // thread that owns every window.
  uintptr_t hidden_owner = 0;
  uint32_t window_thread = 0;

  // The program-info block the runtime was built from, the command
  // libraries with one data word each, and whether the runtime itself
  // initialised OLE (and so uninitialises it).
  const ProgramInfo* program_info = nullptr;
  struct LibraryEntry {
    const CommandLibraryRecord* record;
    intptr_t data_word;
  };
  std::vector<LibraryEntry> libraries;
  bool ole_initialised = false;

  // Constant data block of the program: shared literals, never freed.
  const unsigned char* constant_start = nullptr;
  const unsigned char* constant_end = nullptr;

  // Routines run once, in registration order, by the orderly shutdown.
  std::vector<ExitRoutine> exit_routines;

  // While above 0, no event reaches a handler.
  std::atomic<int32_t> suspension{0};

  ErrorHandler error_handler = nullptr;
  bool error_handler_running = false;

  std::atomic<bool> shutdown_in_progress{false};

  // Filled once from the window template at start-up, in template order.
  std::vector<Window> windows;

  // The application's handler table (its start is the code base).
  const void* handlers = nullptr;
  int32_t handler_count = 0;
  // The unit whose event handler runs now (cleared when it returns).
  uint32_t event_window = 0;
  uint32_t event_control = 0;

  // Idle routines of the message loop (request 1012), and the runtime's
  // lists of library objects with a flag byte each and of image records.
  struct IdleRoutine {
    uintptr_t window;
    void (*routine)(uintptr_t argument);
    uintptr_t argument;
  };
  std::vector<IdleRoutine> idle_routines;
  std::vector<std::pair<const void*, uint8_t>> library_objects;
  std::vector<const void*> image_records;
  // The program's icons, loaded once by request 1000.
  uintptr_t icon_large = 0;
  uintptr_t icon_small = 0;

  // Unit types of the command libraries, registered at start-up.
  std::vector<const UnitTypeDescriptor*> unit_types;

  // The message loop: the window whose nested modal loop runs (0 = none),
  // and whether the main loop has been entered (only then does the last
  // window's destruction post the quit message).
  uint32_t modal_marker = 0;
  bool loop_entered = false;
  // Position of the last mouse move the loop saw: a move to the same place
  // is not a user action.
  intptr_t loop_last_mouse_position = -1;

  // The foreign-function table, in index order, and the optional directory
  // searched before every other place (empty: not searched).
  std::unique_ptr<ForeignFunction[]> foreign_functions;
  int32_t foreign_function_count = 0;
  std::string foreign_search_directory;

  // Worker threads started by the thread commands: one control block each,
  // reached by the worker through its thread-local slot (0xFFFFFFFF until
  // the first worker starts) and by the stopping thread through this list.
  // The workers themselves never take the lock.
  std::mutex workers_lock;
  std::vector<WorkerControl*> workers;
  std::atomic<uint32_t> worker_slot{0xFFFFFFFFu};

  // The job object every program started by StartProgram belongs to: its
  // handle is never closed, so the system ends those programs when this
  // process ends, however it ends. Made by the first start (under the lock).
  std::mutex started_programs_lock;
  uintptr_t started_programs_job = 0;
};

RuntimeState& Runtime();

}  // namespace rt
