// Unit type descriptors: what a command library tells the runtime about each
// control type it provides.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/core/control_object.h"
#include "runtime/core/property_data_type.h"

namespace rt {

// Type flag bits.
constexpr uint32_t kTypeRaisesEvents = 0x44;  // either bit
constexpr uint32_t kTypeClass2 = 0x0004;
constexpr uint32_t kTypeClass1 = 0x0040;
constexpr uint32_t kTypeFiltersMessages = 0x20;
constexpr uint32_t kTypeAcceptsEnter = 0x800;
constexpr uint32_t kTypeWindowless = 0x8000;  // never shown

// Operations answered by a descriptor's query.
enum UnitTypeOperation : int32_t {
  kOpCreate = 1,
  kOpSetProperty = 4,
  kOpGetProperty = 6,
  kOpAcceptsEnter = 10,
  kOpFilterMessage = 11,
  kOpStoreState = 12,  // write the control's current state into its type data
};

// A type-specific property value as the type sees it: a number, or bytes
// (text without terminator, byte buffer data, a 60-byte font record).
struct RawValue {
  int64_t number = 0;
  std::string bytes;
};

struct UnitRecord;
struct Window;

struct CreateParams {
  uintptr_t parent = 0;
  const uint8_t* type_data = nullptr;
  uint32_t type_data_size = 0;
  uint32_t style = 0;  // WS_DISABLED / WS_TABSTOP from the unit's flags
  uint32_t child_id = 0;
  uintptr_t menu = 0;
  int32_t left = 0, top = 0, width = 0, height = 0;
  Window* window = nullptr;
  uint32_t unit_id = 0;
};

using CreateOp = ControlObject* (*)(const CreateParams& params);
using SetPropertyOp = bool (*)(ControlObject* control, int32_t index, const RawValue& value);
using GetPropertyOp = bool (*)(ControlObject* control, int32_t index, RawValue* value);
using StoreStateOp = void (*)(ControlObject* control, UnitRecord* record);
// Query 10: whether the control takes the Enter key (it then raises its event 0).
using AcceptsEnterOp = bool (*)(ControlObject* control);

// A message on its way to dispatch, as a type's filter sees it. The filter
// may change wparam and lparam; they are written back into the message.
struct PlatformMessage {
  uintptr_t hwnd;
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
};
// Query 11: called once per unit type of the window (the type finds its
// controls in the window); true takes the message, which is then finished.
using FilterMessageOp = bool (*)(Window* window, PlatformMessage* message);

// Private notifications sent to every control's window during loading:
// the window and all its controls exist, and the window has been shown.
constexpr uint32_t kMsgLoadComplete = 0x83E8;
constexpr uint32_t kMsgWindowShown = 0x83E9;
// A program window hands notifications of its child controls (WM_COMMAND,
// WM_CTLCOLOR*, WM_DRAWITEM, ...) back to the control, as message
// kMsgReflectBase + the original message, same parameters; a nonzero
// answer to a WM_CTLCOLOR* is used as the brush.
constexpr uint32_t kMsgReflectBase = 0x2000;

// The operations a unit type offers (null where it has none), and the
// query that answers from them by operation number.
struct UnitTypeOps {
  CreateOp create = nullptr;
  SetPropertyOp set_property = nullptr;
  GetPropertyOp get_property = nullptr;
  StoreStateOp store_state = nullptr;
  AcceptsEnterOp accepts_enter = nullptr;
  FilterMessageOp filter_message = nullptr;
};
void* QueryOperation(const UnitTypeOps& ops, int32_t operation);

struct UnitTypeDescriptor {
  uint32_t type_id;
  uint32_t flags;
  const PropertyDataType* property_types;  // of each type property
  int32_t property_count;
  void* (*query)(int32_t operation);
};

// The descriptor of a unit type whose query answers from `Ops`, with the
// data type of each of its properties.
template <const UnitTypeOps& Ops, int32_t Count>
constexpr UnitTypeDescriptor DescribeUnitType(uint32_t type_id, uint32_t flags,
                                              const PropertyDataType (&property_types)[Count]) {
  return {type_id, flags, property_types, Count, [](int32_t operation) { return QueryOperation(Ops, operation); }};
}

// Data type of type property `index`; kDataTypeNone when the type has no
// such property.
PropertyDataType DataTypeOfProperty(const UnitTypeDescriptor& type, int32_t index);

void RegisterUnitType(const UnitTypeDescriptor* type);
const UnitTypeDescriptor* FindUnitType(uint32_t type_id);
// Request 2029: 2 for flag 0x0004, 1 for 0x0040, else 0.
int32_t UnitTypeClass(const UnitTypeDescriptor* type);

}  // namespace rt
