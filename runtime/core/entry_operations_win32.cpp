#include "runtime/core/entry_operations.h"

#include <cstdarg>

#include "runtime/core/find_file.h"
#include "runtime/core/foreign_functions.h"
#include "runtime/core/heap.h"
#include "runtime/core/property_access.h"
#include "runtime/core/runtime_error.h"
#include "runtime/core/shutdown.h"
#include "runtime/core/startup.h"

namespace rt {
namespace {

void ReportRuntimeErrorEntry(int32_t index, int32_t location1, int32_t location2) {
  ReportRuntimeError(index, location1, location2);
}

void ExitProgramEntry(int32_t exit_code) { ExitProgram(exit_code); }

}  // namespace

intptr_t CallService(int32_t index, ...) {
  va_list args;
  va_start(args, index);
  intptr_t result = 0;
  switch (index) {
    case kServiceFindFile: {
      const char* pattern = va_arg(args, const char*);
      const int32_t mask = va_arg(args, int32_t);
      const int32_t all_files = va_arg(args, int32_t);
      uintptr_t* handle = va_arg(args, uintptr_t*);
      result = reinterpret_cast<intptr_t>(FindFile(pattern, mask, all_files, handle));
      break;
    }
    case kServiceCloseFind:
      CloseFind(va_arg(args, uintptr_t));
      break;
    case kServiceMakeArrayWritable: {
      const int32_t element_size = va_arg(args, int32_t);
      void** variable = va_arg(args, void**);
      MakeArrayWritable(element_size, variable);
      break;
    }
    case kServiceRegisterExitRoutine:
      RegisterExitRoutine(va_arg(args, ExitRoutine));
      break;
    case kServiceInitialiseRuntime:
      // The block is named by the caller: the runtime is linked without the
      // program it serves, so it has no other way to find it.
      InitialiseRuntime(*va_arg(args, const ProgramInfo*));
      break;
    default:
      // Library object properties: no command library of this program has any.
      break;
  }
  va_end(args);
  return result;
}

const EntryOperations& Entry() {
  static const EntryOperations table = {
      ReportRuntimeErrorEntry,
      BindForeignFunction,
      CallLibraryCommand,
      CallCoreCommand,
      ReadProperty,
      WriteProperty,
      AllocateMemory,
      ReallocateMemory,
      FreeMemory,
      ExitProgramEntry,
      RunMessageLoop,
      LoadStartWindow,
      CallService,
  };
  return table;
}

}  // namespace rt
