#include "runtime/core/property_access.h"

#include <cstring>
#include <string>

#include "runtime/core/control_object.h"
#include "runtime/core/heap.h"
#include "runtime/core/property_conversion.h"
#include "runtime/core/registry.h"
#include "runtime/core/runtime_error.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/unit_types.h"
#include "runtime/core/window_loading.h"
#include "runtime/core/window_ops.h"

namespace rt {
namespace {

struct Target {
  Window* window;
  UnitRecord* unit;
};

int32_t Location(uint32_t id) { return static_cast<int32_t>(id); }

Target FindTarget(uint32_t window_id, uint32_t control_id) {
  Window* window = LookupWindow(window_id);
  if (window == nullptr) {
    ReportErrorMessage("未载入欲访问窗口组件所在的窗口", 0, Location(window_id), Location(control_id));
  }
  UnitRecord* unit = FindUnit(*window, control_id);
  if (unit == nullptr) {
    ReportErrorMessage("未找到所指定的窗口组件", 0, Location(window_id), Location(control_id));
  }
  return {window, unit};
}

bool IsLive(const UnitRecord& unit) {
  return unit.live != nullptr && platform::IsLiveWindow(unit.live->hwnd);
}

bool IsOwnUnit(const Window& window, const UnitRecord& unit) {
  return !window.record.units.empty() && &window.record.units.front() == &unit;
}

int32_t Clamp(int64_t value, int32_t low, int32_t high) {
  return static_cast<int32_t>(value < low ? low : (value > high ? high : value));
}

std::string PointerData(intptr_t buffer) {
  const int32_t length = ByteBufferLength(reinterpret_cast<const void*>(buffer));
  if (length <= 0) return std::string();
  return std::string(reinterpret_cast<const char*>(ByteBufferData(reinterpret_cast<const void*>(buffer))),
                     static_cast<size_t>(length));
}

void* PointerDataForCaller(const std::vector<uint8_t>& stored) {
  std::string bytes(stored.begin(), stored.end());
  if (bytes.size() >= 4) {
    int32_t code;
    std::memcpy(&code, bytes.data(), 4);
    code = PointerCodeForCaller(code);
    std::memcpy(&bytes[0], &code, 4);
  }
  return NewByteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

int64_t ReadMenuItem(const UnitRecord& unit, int32_t property) {
  switch (property) {
    case kMenuPropCaption: return reinterpret_cast<intptr_t>(NewText(unit.caption.c_str()));
    case kMenuPropChecked: return (unit.flags & kMenuChecked) ? 1 : 0;
    case kMenuPropDisabled: return (unit.flags & kMenuDisabled) ? 1 : 0;
    case kMenuPropVisible: return (unit.flags & kMenuHidden) ? 0 : 1;
    default: return 0;
  }
}

void WriteMenuItem(UnitRecord& unit, int32_t property, intptr_t value) {
  const bool on = static_cast<int32_t>(value) != 0;
  switch (property) {
    case kMenuPropCaption: {
      const char* text = reinterpret_cast<const char*>(value);
      unit.caption = text != nullptr ? text : "";
      break;
    }
    case kMenuPropChecked: unit.flags = on ? (unit.flags | kMenuChecked) : (unit.flags & ~kMenuChecked); break;
    case kMenuPropDisabled: unit.flags = on ? (unit.flags | kMenuDisabled) : (unit.flags & ~kMenuDisabled); break;
    case kMenuPropVisible: unit.flags = on ? (unit.flags & ~kMenuHidden) : (unit.flags | kMenuHidden); break;
    default: break;
  }
}

void SetFlag(UnitRecord& unit, uint32_t bit, bool on) {
  unit.flags = on ? (unit.flags | bit) : (unit.flags & ~bit);
}

// The live control's property through its type; false when the type has none.
bool GetTypeProperty(const UnitTypeDescriptor* type, ControlObject* control, int32_t index,
                     RawValue* raw) {
  if (type == nullptr || type->query == nullptr) return false;
  auto get = reinterpret_cast<GetPropertyOp>(type->query(kOpGetProperty));
  return get != nullptr && get(control, index, raw);
}

}  // namespace

int64_t ReadProperty(uint32_t window_id, uint32_t control_id, int32_t property, int32_t element) {
  Target target = FindTarget(window_id, control_id);
  UnitRecord& unit = *target.unit;
  if (unit.IsMenuItem()) return ReadMenuItem(unit, property);
  const bool live = IsLive(unit);

  if (property >= kFirstTypeProperty) {
    if (!live) {
      ReportErrorMessage("读取组件属性时发现指定窗口尚未载入", 0, Location(window_id),
                         Location(control_id));
    }
    const UnitTypeDescriptor* type = FindUnitType(unit.type_id);
    RawValue raw;
    if (!GetTypeProperty(type, unit.live, property - kFirstTypeProperty, &raw)) return 0;
    return ConvertPropertyRead(DataTypeOfProperty(*type, property - kFirstTypeProperty), element, raw,
                               platform::ScreenDpi());
  }

  switch (property) {
    case kPropLeft:
    case kPropTop:
    case kPropWidth:
    case kPropHeight: {
      if (live) {
        const platform::Placement p = platform::WindowPlacement(unit.live->hwnd);
        const int32_t values[4] = {p.left, p.top, p.width, p.height};
        return values[property];
      }
      const int32_t stored[4] = {unit.left, unit.top, unit.width, unit.height};
      return stored[property];
    }
    case kPropTag: return reinterpret_cast<intptr_t>(NewText(unit.tag.c_str()));
    case kPropVisible:
      return live ? (platform::IsVisible(unit.live->hwnd) ? 1 : 0) : ((unit.flags & kFlagVisible) ? 1 : 0);
    case kPropDisabled:
      return live ? (platform::IsEnabled(unit.live->hwnd) ? 0 : 1) : ((unit.flags & kFlagDisabled) ? 1 : 0);
    case kPropMousePointer: return reinterpret_cast<intptr_t>(PointerDataForCaller(unit.pointer_data));
    default: return 0;
  }
}

void WriteProperty(uint32_t window_id, uint32_t control_id, int32_t property, int32_t element,
                   intptr_t value_low, int32_t value_high) {
  Target target = FindTarget(window_id, control_id);
  UnitRecord& unit = *target.unit;
  if (unit.IsMenuItem()) {
    WriteMenuItem(unit, property, value_low);
    return;
  }
  const bool live = IsLive(unit);
  const int32_t value = static_cast<int32_t>(value_low);

  if (property >= kFirstTypeProperty) {
    if (!live) {
      ReportErrorMessage("修改组件属性时发现指定窗口尚未载入", 0, Location(window_id),
                         Location(control_id));
    }
    const UnitTypeDescriptor* type = FindUnitType(unit.type_id);
    if (type == nullptr || type->query == nullptr) return;
    const int32_t index = property - kFirstTypeProperty;
    const PropertyDataType data_type = DataTypeOfProperty(*type, index);
    FontRecord current{};
    if (data_type == kDataTypeFont && element != kFontWhole) {
      RawValue raw;
      if (GetTypeProperty(type, unit.live, index, &raw) && raw.bytes.size() == sizeof current) {
        std::memcpy(&current, raw.bytes.data(), sizeof current);
      } else {
        platform::DefaultInterfaceFont(&current);
      }
    }
    const RawValue raw =
        ConvertPropertyWrite(data_type, element, value_low, value_high, current, platform::ScreenDpi());
    auto set = reinterpret_cast<SetPropertyOp>(type->query(kOpSetProperty));
    if (set == nullptr || !set(unit.live, index, raw) || IsOwnUnit(*target.window, unit)) return;
    // Let the control settle with events held back, then keep its state.
    RuntimeState& state = Runtime();
    platform::ProcessPendingMessages();
    ++state.suspension;
    if (auto store = reinterpret_cast<StoreStateOp>(type->query(kOpStoreState))) store(unit.live, &unit);
    --state.suspension;
    platform::ProcessPendingMessages();
    return;
  }

  switch (property) {
    case kPropLeft:
    case kPropTop: {
      const int32_t v = Clamp(value, -kCoordinateLimit, kCoordinateLimit);
      (property == kPropLeft ? unit.left : unit.top) = v;
      if (live) {
        platform::Placement p = platform::WindowPlacement(unit.live->hwnd);
        (property == kPropLeft ? p.left : p.top) = v;
        platform::PlaceWindow(unit.live->hwnd, p);
      }
      break;
    }
    case kPropWidth:
    case kPropHeight: {
      const int32_t v = Clamp(value, 0, kCoordinateLimit);
      (property == kPropWidth ? unit.width : unit.height) = v;
      if (live) {
        platform::Placement p = platform::WindowPlacement(unit.live->hwnd);
        (property == kPropWidth ? p.width : p.height) = v;
        platform::PlaceWindow(unit.live->hwnd, p);
      }
      break;
    }
    case kPropTag: {
      const char* text = reinterpret_cast<const char*>(value_low);
      unit.tag = text != nullptr ? text : "";
      break;
    }
    case kPropVisible:
      SetFlag(unit, kFlagVisible, value != 0);
      if (live) {
        const UnitTypeDescriptor* type = FindUnitType(unit.type_id);
        if (value == 0) {
          platform::Hide(unit.live->hwnd);
        } else if (IsOwnUnit(*target.window, unit)) {
          ShowLoadedWindow(*target.window);  // may run a modal window's loop
        } else if (type == nullptr || !(type->flags & kTypeWindowless)) {
          platform::ShowWithoutActivating(unit.live->hwnd);
        }
      }
      break;
    case kPropDisabled:
      SetFlag(unit, kFlagDisabled, value != 0);
      if (live) platform::Enable(unit.live->hwnd, value == 0);
      break;
    case kPropMousePointer: {
      platform::DestroyMousePointer(unit.pointer_handle);
      unit.pointer_handle = 0;
      const std::string data = PointerData(value_low);
      unit.pointer_data.assign(data.begin(), data.end());
      if (!data.empty()) {
        std::string stored = data;
        if (stored.size() >= 4) {
          int32_t code;
          std::memcpy(&code, stored.data(), 4);
          code = PointerCodeForStore(code);
          std::memcpy(&stored[0], &code, 4);
          unit.pointer_data.assign(stored.begin(), stored.end());
        }
        unit.pointer_handle = platform::CreateMousePointer(stored);
      }
      if (live) platform::RefreshMousePointer();
      break;
    }
    default:
      break;
  }
}

}  // namespace rt
