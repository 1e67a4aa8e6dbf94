// The request operation: how command libraries and control implementations
// ask the runtime for its services, by number.
#pragma once

#include <cstdint>

#include "runtime/core/runtime_state.h"

namespace rt {

enum RequestCode : int32_t {
  kReqProgramIcons = 1000,
  kReqRegistry = 1001,
  kReqUnitType = 1002,
  kReqLibraryService2 = 1003,
  kReqAlwaysOne = 1004,
  kReqInterfaceVersion = 1005,
  kReqCopyPath = 1006,
  kReqWrapWindow = 1007,
  kReqDestroyWrapped = 1008,
  kReqDetachWindow = 1009,
  kReqWindowOfControl = 1010,
  kReqAttachWindow = 1011,
  kReqAddIdleRoutine = 1012,
  kReqRemoveIdleRoutine = 1013,
  kReqLibraryService1 = 1014,
  kReqUnitDestroyed = 2000,
  kReqNumberAsDouble = 2001,
  kReqNothing = 2002,
  kReqProgramDirectory = 2003,
  kReqProgramFileName = 2004,
  kReqLoadWindow = 2005,
  kReqLiveControl = 2006,
  kReqLiveControlOrFail = 2007,
  kReqRaiseEvent = 2008,
  kReqSuspendEvents = 2009,
  kReqResumeEvents = 2010,
  kReqObjectFlag = 2011,
  kReqAddObject = 2012,
  kReqRemoveObject = 2013,
  kReqDeleteObjects = 2014,
  kReqRecordService = 2015,
  kReqStopSound = 2016,
  kReqEventSource = 2017,
  kReqProcessMessages = 2018,
  kReqAddImage = 2019,
  kReqRemoveImage = 2020,
  kReqHasImage = 2021,
  kReqUnitTypeOf = 2022,
  kReqFreeArray = 2023,
  kReqAllocate = 2024,
  kReqFree = 2025,
  kReqReallocate = 2026,
  kReqReportError = 2027,
  kReqExitProgram = 2028,
  kReqUnitTypeClass = 2029,
  kReqProgramWord = 2030,
  kReqRaiseTypedEvent = 2031,
  kReqWindowCount = 2032,
  kReqWindowHandle = 2033,
  kReqLibraryService3 = 2034,
  kReqLibraryService4 = 2035,
  kReqDescribeDataType = 2036,
  kReqMarkMenu = 2037,
  kReqDescribeMenuItem = 2038,
  kReqTabPages = 2039,
  kReqRebuildMenu = 2040,
};

constexpr int32_t kInterfaceVersion = 0x00070005;

// What request kReqCopyPath copies, by its first argument; any other copies
// the empty text.
enum CopyPathSelector : int32_t {
  kCopyProgramFolder = 1,         // the program directory followed by "\"
  kCopyProgramFolder2001 = 2001,  // the same
  kCopyProgramFile = 2002,        // the program file name
};

// Record of request 1012: (window handle, routine, argument).
using IdleRoutineRecord = RuntimeState::IdleRoutine;

// Record of request 2005.
struct WindowLoadRecord {
  uint32_t window;
  uintptr_t owner;  // live object of the owner window, or null
  int32_t modal;
};

// Record that request 2017 fills.
struct UnitIds {
  uint32_t window;
  uint32_t control;
};

// Record of request 1000: the program's large and small icons.
struct IconPair {
  uintptr_t large;
  uintptr_t small_icon;
};

intptr_t RuntimeRequest(int32_t code, intptr_t argument1, intptr_t argument2);

}  // namespace rt
