#include "runtime/core/unit_types.h"

#include "runtime/core/runtime_state.h"

namespace rt {

PropertyDataType DataTypeOfProperty(const UnitTypeDescriptor& type, int32_t index) {
  if (index < 0 || index >= type.property_count || type.property_types == nullptr) return kDataTypeNone;
  return type.property_types[index];
}

void RegisterUnitType(const UnitTypeDescriptor* type) {
  for (const UnitTypeDescriptor*& known : Runtime().unit_types) {
    if (known->type_id == type->type_id) {
      known = type;
      return;
    }
  }
  Runtime().unit_types.push_back(type);
}

const UnitTypeDescriptor* FindUnitType(uint32_t type_id) {
  for (const UnitTypeDescriptor* type : Runtime().unit_types) {
    if (type->type_id == type_id) return type;
  }
  return nullptr;
}

void* QueryOperation(const UnitTypeOps& ops, int32_t operation) {
  switch (operation) {
    case kOpCreate: return reinterpret_cast<void*>(ops.create);
    case kOpSetProperty: return reinterpret_cast<void*>(ops.set_property);
    case kOpGetProperty: return reinterpret_cast<void*>(ops.get_property);
    case kOpStoreState: return reinterpret_cast<void*>(ops.store_state);
    case kOpAcceptsEnter: return reinterpret_cast<void*>(ops.accepts_enter);
    case kOpFilterMessage: return reinterpret_cast<void*>(ops.filter_message);
    default: return nullptr;
  }
}

int32_t UnitTypeClass(const UnitTypeDescriptor* type) {
  if (type == nullptr) return 0;
  if (type->flags & kTypeClass2) return 2;
  if (type->flags & kTypeClass1) return 1;
  return 0;
}

}  // namespace rt
