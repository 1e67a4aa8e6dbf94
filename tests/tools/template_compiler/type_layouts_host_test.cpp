// The compiler's layouts of the unit types' stored data against the
// runtime's own writers and readers: every field with its width, its place
// and the version from which it is stored, and the versions the runtime reads.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runtime/commands/button.h"
#include "runtime/commands/drop_target.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/list_box.h"
#include "runtime/commands/trans_label.h"
#include "runtime/core/unit_record.h"
#include "runtime/core/window_unit_data.h"
#include "tools/template_compiler/type_layouts.h"

namespace template_compiler {
namespace {

// What the runtime writes again after reading the bytes; nothing when it
// refuses them.
using Reread = std::optional<std::vector<uint8_t>> (*)(const std::vector<uint8_t>& bytes);

template <class D, bool (*read)(const uint8_t*, size_t, D*),
          std::vector<uint8_t> (*write)(const D&)>
std::optional<std::vector<uint8_t>> RereadData(const std::vector<uint8_t>& bytes) {
  D data;
  if (!read(bytes.data(), bytes.size(), &data)) return std::nullopt;
  return write(data);
}

std::optional<std::vector<uint8_t>> RereadWindowData(const std::vector<uint8_t>& bytes) {
  rt::WindowUnitData data;
  if (!rt::ReadWindowUnitData(bytes, &data)) return std::nullopt;
  return rt::WriteWindowUnitData(data);
}

Reread RuntimeReread(uint32_t type_id) {
  switch (type_id) {
    case rt::kTypeWindow: return RereadWindowData;
    case rt::kTypeEditBox:
      return RereadData<rt::EditBoxData, rt::ReadEditBoxData, rt::WriteEditBoxData>;
    case rt::kTypeButton:
      return RereadData<rt::ButtonData, rt::ReadButtonData, rt::WriteButtonData>;
    case rt::kTypeListBox:
      return RereadData<rt::ListBoxData, rt::ReadListBoxData, rt::WriteListBoxData>;
    case rt::kTypeTransLabel:
      return RereadData<rt::TransLabelData, rt::ReadTransLabelData, rt::WriteTransLabelData>;
    case rt::kTypeDropTarget:
      return RereadData<rt::DropTargetData, rt::ReadDropTargetData, rt::WriteDropTargetData>;
    default: return nullptr;
  }
}

// A value for the field at `place` that no other field of the data has:
// numbers and lengths grow with the place. With `small`, numbers are 0 or 1,
// which every reader keeps as they are.
FieldValue ValueAt(Kind kind, size_t place, bool small) {
  FieldValue v;
  const int64_t n = static_cast<int64_t>(place);
  switch (kind) {
    case Kind::kInt:
    case Kind::kUint: v.number = small ? n % 2 : 0x01020300 + n; break;
    case Kind::kU16: v.number = small ? n % 2 : 0x0300 + n; break;
    case Kind::kText:
    case Kind::kBytes: v.bytes.assign(place, static_cast<char>('a' + place)); break;
    case Kind::kFont: v.bytes.assign(60, static_cast<char>(place)); break;
  }
  return v;
}

FieldValues ValuesOf(const TypeLayout& type, int32_t version, bool small) {
  FieldValues values;
  for (size_t place = 1; place < type.fields.size(); ++place) {
    const FieldLayout& f = type.fields[place];
    if (version >= f.min_version) values[f.name] = ValueAt(f.kind, place, small);
  }
  values["version"].number = version;
  return values;
}

void Put(std::vector<uint8_t>* out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The bytes the table describes: the stored fields in its order, numbers as
// little-endian words (16 bits for kU16), the rest as a 32-bit length and
// its bytes.
std::vector<uint8_t> TableBytes(const TypeLayout& type, int32_t version,
                                const FieldValues& values) {
  std::vector<uint8_t> out;
  for (const FieldLayout& f : type.fields) {
    if (version < f.min_version) continue;
    const FieldValue& v = values.at(f.name);
    if (f.kind == Kind::kInt || f.kind == Kind::kUint || f.kind == Kind::kU16) {
      Put(&out, static_cast<uint32_t>(v.number), f.kind == Kind::kU16 ? 2 : 4);
    } else {
      Put(&out, static_cast<uint32_t>(v.bytes.size()), 4);
      out.insert(out.end(), v.bytes.begin(), v.bytes.end());
    }
  }
  return out;
}

// The same data under another version number, the data's first word.
std::vector<uint8_t> WithVersion(std::vector<uint8_t> bytes, int32_t version) {
  for (int i = 0; i < 4; ++i) {
    bytes.at(i) = static_cast<uint8_t>(static_cast<uint32_t>(version) >> (8 * i));
  }
  return bytes;
}

TEST(TemplateTypeLayoutsTest, EveryFieldHasTheWidthAndPlaceOfTheRuntimesWriter) {
  std::set<std::string> type_names;
  std::set<uint32_t> type_ids;
  for (const TypeLayout& type : TypeLayouts()) {
    EXPECT_TRUE(type_names.insert(type.name).second) << type.name;
    EXPECT_TRUE(type_ids.insert(type.type_id).second) << type.name;
    ASSERT_FALSE(type.fields.empty()) << type.name;
    EXPECT_STREQ("version", type.fields[0].name) << type.name;
    EXPECT_EQ(Kind::kInt, type.fields[0].kind) << type.name;
    std::set<std::string> field_names;
    for (const FieldLayout& f : type.fields) {
      EXPECT_TRUE(field_names.insert(f.name).second) << type.name << "." << f.name;
    }
    for (int32_t version = type.min_version; version <= type.max_version; ++version) {
      const FieldValues values = ValuesOf(type, version, false);
      EXPECT_EQ(TableBytes(type, version, values), type.encode(values))
          << type.name << " version " << version;
    }
  }
  const std::set<uint32_t> runtime_types = {rt::kTypeWindow,     rt::kTypeEditBox,
                                            rt::kTypeButton,     rt::kTypeListBox,
                                            rt::kTypeTransLabel, rt::kTypeDropTarget};
  EXPECT_EQ(runtime_types, type_ids);
}

TEST(TemplateTypeLayoutsTest, TheRuntimeReadsBackEveryVersionTheCompilerAcceptsAndNoOther) {
  for (const TypeLayout& type : TypeLayouts()) {
    const Reread reread = RuntimeReread(type.type_id);
    ASSERT_NE(nullptr, reread) << type.name << ": no runtime reader";
    for (int32_t version = type.min_version; version <= type.max_version; ++version) {
      const std::vector<uint8_t> bytes = type.encode(ValuesOf(type, version, true));
      EXPECT_EQ(bytes, reread(bytes)) << type.name << " version " << version;
    }
    // The highest version's fields under a version number the compiler refuses.
    const std::vector<uint8_t> bytes = type.encode(ValuesOf(type, type.max_version, true));
    EXPECT_EQ(std::nullopt, reread(WithVersion(bytes, type.max_version + 1))) << type.name;
    if (type.min_version > 0) {
      EXPECT_EQ(std::nullopt, reread(WithVersion(bytes, type.min_version - 1))) << type.name;
    }
  }
}

}  // namespace
}  // namespace template_compiler
