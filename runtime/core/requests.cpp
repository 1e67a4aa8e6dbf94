#include "runtime/core/requests.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/core/control_object.h"
#include "runtime/core/events.h"
#include "runtime/core/heap.h"
#include "runtime/core/registry.h"
#include "runtime/core/runtime_error.h"
#include "runtime/core/shutdown.h"
#include "runtime/core/unit_types.h"
#include "runtime/core/values.h"
#include "runtime/core/window_ops.h"
#include "runtime/core/window_requests.h"

namespace rt {
namespace {

constexpr size_t kPathBuffer = 260;

template <class T>
T* As(intptr_t p) {
  return reinterpret_cast<T*>(p);
}

intptr_t Pointer(const void* p) { return reinterpret_cast<intptr_t>(p); }

void CopyToCallerBuffer(char* buffer, const std::string& text) {
  if (buffer == nullptr) return;
  const size_t n = std::min(text.size(), kPathBuffer - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

// The live control of (window, control) when its platform window is valid.
ControlObject* LiveControl(uint32_t window_id, uint32_t control_id) {
  Window* window = LookupWindow(window_id);
  if (window == nullptr) return nullptr;
  UnitRecord* unit = FindUnit(*window, control_id);
  if (unit == nullptr || unit->live == nullptr || !platform::IsLiveWindow(unit->live->hwnd)) {
    return nullptr;
  }
  return unit->live;
}

bool NumberAsDouble(const ArgValue& v, double* out) {
  switch (v.tag) {
    case kTagByte: *out = v.payload[0]; return true;
    case kTagShort: *out = static_cast<int16_t>(v.payload[0] | (v.payload[1] << 8)); return true;
    case kTagInt: *out = v.AsInt(); return true;
    case kTagInt64: *out = static_cast<double>(v.AsInt64()); return true;
    case kTagFloat: *out = v.AsFloat(); return true;
    case kTagDouble: *out = v.AsDouble(); return true;
    default: return false;
  }
}

intptr_t LibraryObject(int32_t code, const void* object, intptr_t flag) {
  auto& list = Runtime().library_objects;
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& e) { return e.first == object; });
  switch (code) {
    case kReqObjectFlag: return it == list.end() ? -1 : it->second;
    case kReqAddObject:
      if (it == list.end()) list.emplace_back(object, static_cast<uint8_t>(flag));
      return 0;
    default:  // kReqRemoveObject
      if (it == list.end()) return 0;
      list.erase(it);
      return 1;
  }
}

intptr_t ImageRecord(int32_t code, const void* record) {
  auto& list = Runtime().image_records;
  auto it = std::find(list.begin(), list.end(), record);
  switch (code) {
    case kReqAddImage:
      if (it == list.end()) list.push_back(record);
      return 0;
    case kReqRemoveImage:
      if (it != list.end()) list.erase(it);
      return 0;
    default:  // kReqHasImage
      return it != list.end() ? 1 : 0;
  }
}

}  // namespace

intptr_t RuntimeRequest(int32_t code, intptr_t a1, intptr_t a2) {
  RuntimeState& state = Runtime();
  switch (code) {
    case kReqProgramIcons: {
      if (state.icon_large == 0 && state.icon_small == 0) {
        platform::LoadProgramIcons(&state.icon_large, &state.icon_small);
      }
      if (auto* pair = As<IconPair>(a1)) *pair = {state.icon_large, state.icon_small};
      return 0;
    }
    case kReqRegistry: return Pointer(&state.windows);
    case kReqUnitType: return Pointer(FindUnitType(static_cast<uint32_t>(a1)));
    case kReqAlwaysOne: return 1;
    case kReqInterfaceVersion: return kInterfaceVersion;
    case kReqCopyPath: {
      std::string text;
      if (a1 == kCopyProgramFolder || a1 == kCopyProgramFolder2001) text = state.program_directory + "\\";
      if (a1 == kCopyProgramFile) text = state.program_file_name;
      CopyToCallerBuffer(As<char>(a2), text);
      return 0;
    }
    case kReqWrapWindow: {
      auto* control = new ControlObject;
      control->hwnd = static_cast<uintptr_t>(a1);
      return Pointer(control);
    }
    case kReqDestroyWrapped: delete As<ControlObject>(a1); return 0;
    case kReqDetachWindow:
      if (auto* control = As<ControlObject>(a1)) control->hwnd = 0;
      return 0;
    case kReqWindowOfControl: {
      auto* control = As<ControlObject>(a1);
      return control != nullptr ? static_cast<intptr_t>(control->hwnd) : 0;
    }
    case kReqAttachWindow: {
      auto* control = As<ControlObject>(a1);
      if (control == nullptr || control->hwnd != 0) return 0;
      control->hwnd = static_cast<uintptr_t>(a2);
      return 1;
    }
    case kReqAddIdleRoutine:
      if (auto* record = As<IdleRoutineRecord>(a1)) state.idle_routines.push_back(*record);
      return 0;
    case kReqRemoveIdleRoutine: {
      auto& list = state.idle_routines;
      list.erase(std::remove_if(list.begin(), list.end(),
                                [&](const IdleRoutineRecord& r) {
                                  return r.window == static_cast<uintptr_t>(a1);
                                }),
                 list.end());
      return 0;
    }
    case kReqUnitDestroyed: UnitDestroyedRequest(As<ControlObject>(a1)); return 0;
    case kReqNumberAsDouble: {
      const auto* value = As<const ArgValue>(a1);
      double number = 0;
      if (value == nullptr || !NumberAsDouble(*value, &number)) {
        ReportErrorMessage("欲转换数据类型不是数值", 0, 0, 0);
      }
      if (auto* out = As<double>(a2)) *out = number;
      return 1;
    }
    case kReqProgramDirectory: return Pointer(state.program_directory.c_str());
    case kReqProgramFileName: return Pointer(state.program_file_name.c_str());
    case kReqLoadWindow: {
      const auto* record = As<const WindowLoadRecord>(a1);
      if (record == nullptr || LookupWindow(record->window) == nullptr) return -1;
      return LoadWindowRequest(*record);
    }
    case kReqLiveControl:
      return Pointer(LiveControl(static_cast<uint32_t>(a1), static_cast<uint32_t>(a2)));
    case kReqLiveControlOrFail: {
      ControlObject* control = LiveControl(static_cast<uint32_t>(a1), static_cast<uint32_t>(a2));
      if (control == nullptr) {
        ReportErrorMessage("指定窗口或窗口组件不存在或尚未载入", 0, static_cast<int32_t>(a1),
                           static_cast<int32_t>(a2));
      }
      return Pointer(control);
    }
    case kReqRaiseEvent: return RaiseEvent(As<SimpleEvent>(a1));
    case kReqRaiseTypedEvent: return RaiseTypedEvent(As<TypedEvent>(a1));
    case kReqEventSource: {
      auto* ids = As<UnitIds>(a1);
      uint32_t window = 0, control = 0;
      const int32_t running = CurrentEventSource(&window, &control);
      if (ids != nullptr && running) *ids = {window, control};
      return running;
    }
    case kReqSuspendEvents:
      platform::ProcessPendingMessages();
      ++state.suspension;
      return 0;
    case kReqResumeEvents:
      platform::ProcessPendingMessages();
      if (state.suspension > 0) --state.suspension;
      return 0;
    case kReqProcessMessages: platform::ProcessPendingMessages(); return 0;
    case kReqObjectFlag:
    case kReqAddObject:
    case kReqRemoveObject: return LibraryObject(code, As<const void>(a1), a2);
    case kReqDeleteObjects: state.library_objects.clear(); return 0;
    case kReqAddImage:
    case kReqRemoveImage:
    case kReqHasImage: return ImageRecord(code, As<const void>(a1));
    case kReqUnitTypeOf: {
      Window* window = LookupWindow(static_cast<uint32_t>(a1));
      UnitRecord* unit = window != nullptr ? FindUnit(*window, static_cast<uint32_t>(a2)) : nullptr;
      return unit != nullptr ? static_cast<intptr_t>(unit->type_id) : 0;
    }
    case kReqFreeArray: FreeArrayValue(static_cast<uint32_t>(a1), As<void>(a2)); return 0;
    case kReqAllocate:
      return Pointer(a2 == 0 ? AllocateMemory(static_cast<int32_t>(a1))
                             : TryAllocateMemory(static_cast<int32_t>(a1)));
    case kReqFree: FreeMemory(As<void>(a1)); return 0;
    case kReqReallocate: return Pointer(ReallocateMemory(As<void>(a1), static_cast<int32_t>(a2)));
    case kReqReportError: ReportErrorMessage(As<const char>(a1), 0, 0, 0);
    case kReqExitProgram: ExitProgram(static_cast<int32_t>(a1));
    case kReqUnitTypeClass: return UnitTypeClass(FindUnitType(static_cast<uint32_t>(a1)));
    case kReqProgramWord: return static_cast<int32_t>(state.program_words[0]);
    case kReqWindowCount: return static_cast<intptr_t>(state.windows.size());
    case kReqWindowHandle: {
      if (a1 < 0 || static_cast<size_t>(a1) >= state.windows.size()) return 0;
      return static_cast<intptr_t>(LoadedWindowHandleAt(static_cast<size_t>(a1)));
    }
    case kReqMarkMenu: {
      // The windows of this program have no menu items, so there is no
      // menu to rebuild after the mark (nor for request 2040).
      Window* window = LookupWindow(static_cast<uint32_t>(a1));
      UnitRecord* own = window != nullptr ? FindUnit(*window, 0) : nullptr;
      if (own != nullptr) own->flags |= kFlagMenuRebuilt;
      return 0;
    }
    // Services of libraries, sound, menus and tab controls this program does
    // not have (1003, 1014, 2015, 2016, 2034-2036, 2038-2040): no effect.
    default: return 0;
  }
}

}  // namespace rt
