// What the stored data of each unit type holds, as the template source
// names it: the fields in stored order, the kind of value each takes and the
// version from which it is stored. The bytes come from the runtime's own
// writer of each type, whose data members the fields are bound to; the test
// of these layouts checks every entry against that writer and its reader.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace template_compiler {

// How the source writes a field's value.
enum class Kind {
  kInt,    // a signed 32-bit number
  kUint,   // an unsigned 32-bit number
  kU16,    // an unsigned 16-bit number
  kText,   // a quoted text, stored in GBK
  kBytes,  // byte values, or none
  kFont,   // a font record, or none
};

struct FieldValue {
  int64_t number = 0;
  std::string bytes;  // texts in GBK, byte blocks, font records
};

// Given field values by field name.
using FieldValues = std::map<std::string, FieldValue>;

struct FieldLayout {
  const char* name;
  Kind kind;
  int32_t min_version;  // stored only when the data's version is at least this
};

struct TypeLayout {
  const char* name;  // the unit type's word in the source
  uint32_t type_id;
  int32_t min_version;  // the versions the runtime reads
  int32_t max_version;
  std::vector<FieldLayout> fields;  // in stored order, "version" first
  // The stored data of values that hold every field their version stores.
  std::function<std::vector<uint8_t>(const FieldValues& values)> encode;
};

// Every unit type the source can describe.
const std::vector<TypeLayout>& TypeLayouts();

const TypeLayout* FindType(const std::string& name);
const FieldLayout* FindField(const TypeLayout& type, const std::string& name);

}  // namespace template_compiler
