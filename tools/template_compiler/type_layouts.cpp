#include "tools/template_compiler/type_layouts.h"

#include <cstddef>
#include <type_traits>

#include "runtime/commands/button.h"
#include "runtime/commands/drop_target.h"
#include "runtime/commands/edit_box.h"
#include "runtime/commands/list_box.h"
#include "runtime/commands/trans_label.h"
#include "runtime/core/unit_record.h"
#include "runtime/core/window_unit_data.h"

namespace template_compiler {
namespace {

// The data struct and the field type of a pointer to a data member.
template <class M>
struct MemberOf;
template <class D, class F>
struct MemberOf<F D::*> {
  using Data = D;
  using Field = F;
};
template <auto Member>
using DataOf = typename MemberOf<decltype(Member)>::Data;
template <auto Member>
using FieldOf = typename MemberOf<decltype(Member)>::Field;

// The kind follows the runtime member's type; a member of any other type
// does not compile.
constexpr Kind KindOf(const int32_t*) { return Kind::kInt; }
constexpr Kind KindOf(const uint32_t*) { return Kind::kUint; }
constexpr Kind KindOf(const uint16_t*) { return Kind::kU16; }
constexpr Kind KindOf(const std::string*) { return Kind::kText; }
constexpr Kind KindOf(const std::vector<uint8_t>*) { return Kind::kBytes; }

// The parsed value is in range for its kind, so the narrowing keeps it.
void Assign(const FieldValue& v, int32_t* member) { *member = static_cast<int32_t>(v.number); }
void Assign(const FieldValue& v, uint32_t* member) { *member = static_cast<uint32_t>(v.number); }
void Assign(const FieldValue& v, uint16_t* member) { *member = static_cast<uint16_t>(v.number); }
void Assign(const FieldValue& v, std::string* member) { *member = v.bytes; }
void Assign(const FieldValue& v, std::vector<uint8_t>* member) {
  member->assign(v.bytes.begin(), v.bytes.end());
}

// A field of the source bound to where it goes in the runtime's data D.
template <class D>
struct Binding {
  FieldLayout layout;
  void (*store)(const FieldValue& value, D* data);
};

template <auto Member>
Binding<DataOf<Member>> Field(const char* name, int32_t min_version = 0) {
  return {{name, KindOf(static_cast<FieldOf<Member>*>(nullptr)), min_version},
          [](const FieldValue& v, DataOf<Member>* d) { Assign(v, &(d->*Member)); }};
}

// The runtime keeps a font record as the bytes of a text.
template <auto Member>
Binding<DataOf<Member>> FontField(const char* name) {
  static_assert(std::is_same<FieldOf<Member>, std::string>::value, "a font is kept as bytes");
  Binding<DataOf<Member>> b = Field<Member>(name);
  b.layout.kind = Kind::kFont;
  return b;
}

// Element `index` of an array member.
template <auto Member, size_t index>
Binding<DataOf<Member>> Element(const char* name) {
  using Item = std::remove_extent_t<FieldOf<Member>>;
  static_assert(index < std::extent<FieldOf<Member>>::value, "an element of the array");
  return {{name, KindOf(static_cast<Item*>(nullptr)), 0},
          [](const FieldValue& v, DataOf<Member>* d) { Assign(v, &(d->*Member)[index]); }};
}

// A type whose data the runtime's `write` stores from a D filled with the
// given values; fields not given keep D's defaults (the version does not
// store them).
template <class D>
TypeLayout Layout(const char* name, uint32_t type_id, int32_t min_version, int32_t max_version,
                  std::vector<uint8_t> (*write)(const D&), std::vector<Binding<D>> bindings) {
  TypeLayout type{name, type_id, min_version, max_version, {}, {}};
  for (const Binding<D>& b : bindings) type.fields.push_back(b.layout);
  type.encode = [write, bindings](const FieldValues& values) {
    D data;
    for (const Binding<D>& b : bindings) {
      const auto given = values.find(b.layout.name);
      if (given != values.end()) b.store(given->second, &data);
    }
    return write(data);
  };
  return type;
}

TypeLayout WindowLayout() {
  using D = rt::WindowUnitData;
  return Layout<D>(
      "window", rt::kTypeWindow, 0, rt::kWindowUnitDataVersion, rt::WriteWindowUnitData,
      {Field<&D::version>("version"), Field<&D::border_style>("border_style"),
       Field<&D::picture_mode>("picture_mode"), Field<&D::background_colour>("background_colour"),
       Field<&D::maximise_button>("maximise_button"),
       Field<&D::minimise_button>("minimise_button"), Field<&D::control_box>("control_box"),
       Field<&D::start_position>("start_position"), Field<&D::close_button>("close_button"),
       Field<&D::property14>("property14"), Field<&D::enter_moves_focus>("enter_moves_focus"),
       Field<&D::escape_closes>("escape_closes"), Field<&D::f1_opens_help>("f1_opens_help"),
       Field<&D::help_topic>("help_topic"),
       Field<&D::own_taskbar_window>("own_taskbar_window", 2),
       Field<&D::drag_by_body>("drag_by_body", 3), Field<&D::property28>("property28", 3),
       Field<&D::always_on_top>("always_on_top", 4), Field<&D::property30>("property30", 5),
       Field<&D::text31>("text31", 6), Field<&D::background_picture>("background_picture"),
       Field<&D::byte_block20>("byte_block20"), Field<&D::byte_block13>("byte_block13"),
       Field<&D::caption>("caption"), Field<&D::help_file>("help_file")});
}

TypeLayout EditBoxLayout() {
  using D = rt::EditBoxData;
  return Layout<D>(
      "edit_box", rt::kTypeEditBox, 0, rt::kEditBoxDataVersion, rt::WriteEditBoxData,
      {Field<&D::version>("version"), Field<&D::border_style>("border_style"),
       Field<&D::property2>("property2"), Field<&D::background_colour>("background_colour"),
       Field<&D::hide_selection>("hide_selection"), Field<&D::max_length>("max_length"),
       Field<&D::multi_line>("multi_line"), Field<&D::scroll_bars>("scroll_bars"),
       Field<&D::alignment>("alignment"), Field<&D::input_mode>("input_mode"),
       Field<&D::password_char>("password_char"), Field<&D::letter_case>("letter_case"),
       Field<&D::spin_button>("spin_button"), Field<&D::spin_minimum>("spin_minimum"),
       Field<&D::spin_maximum>("spin_maximum"), Field<&D::selection_start>("selection_start"),
       Field<&D::selection_length>("selection_length"), FontField<&D::font>("font"),
       Field<&D::content>("content"), Field<&D::extra_text1>("extra_text1", 2),
       Field<&D::extra_text2>("extra_text2", 2)});
}

// The button reads only its one version.
TypeLayout ButtonLayout() {
  using D = rt::ButtonData;
  return Layout<D>("button", rt::kTypeButton, rt::kButtonDataVersion, rt::kButtonDataVersion,
                   rt::WriteButtonData,
                   {Field<&D::version>("version"), Field<&D::caption>("caption")});
}

TypeLayout ListBoxLayout() {
  using D = rt::ListBoxData;
  return Layout<D>(
      "list_box", rt::kTypeListBox, 0, rt::kListBoxDataVersion, rt::WriteListBoxData,
      {Field<&D::version>("version"), Field<&D::border_style>("border_style"),
       Field<&D::sorted>("sorted"), Field<&D::multi_column>("multi_column"),
       Field<&D::item_height_extra>("item_height_extra"), Field<&D::word6>("word6"),
       Field<&D::background_colour>("background_colour"),
       Field<&D::extended_select>("extended_select"),
       Field<&D::selected_index>("selected_index"), FontField<&D::font>("font")});
}

TypeLayout TransLabelLayout() {
  using D = rt::TransLabelData;
  return Layout<D>(
      "trans_label", rt::kTypeTransLabel, 0, rt::kTransLabelDataVersion, rt::WriteTransLabelData,
      {Field<&D::version>("version"), Field<&D::text_effect>("text_effect"),
       Field<&D::text_colour>("text_color"), Field<&D::horizontal_align>("horizontal_align"),
       Field<&D::vertical_align>("vertical_align"), Field<&D::word_wrap>("word_wrap"),
       FontField<&D::font>("font"), Field<&D::caption>("caption")});
}

TypeLayout DropTargetLayout() {
  using D = rt::DropTargetData;
  return Layout<D>("drop_target", rt::kTypeDropTarget, 0, rt::kDropTargetDataVersion,
                   rt::WriteDropTargetData,
                   {Field<&D::version>("version"),
                    Element<&D::accept, rt::kDropAcceptText>("accept_text"),
                    Element<&D::accept, rt::kDropAcceptHtml>("accept_html"),
                    Element<&D::accept, rt::kDropAcceptUrl>("accept_url"),
                    Element<&D::accept, rt::kDropAcceptFiles>("accept_files")});
}

}  // namespace

const std::vector<TypeLayout>& TypeLayouts() {
  static const std::vector<TypeLayout> layouts = {WindowLayout(),   EditBoxLayout(),
                                                  ButtonLayout(),   ListBoxLayout(),
                                                  TransLabelLayout(), DropTargetLayout()};
  return layouts;
}

const TypeLayout* FindType(const std::string& name) {
  for (const TypeLayout& t : TypeLayouts()) {
    if (name == t.name) return &t;
  }
  return nullptr;
}

const FieldLayout* FindField(const TypeLayout& type, const std::string& name) {
  for (const FieldLayout& f : type.fields) {
    if (name == f.name) return &f;
  }
  return nullptr;
}

}  // namespace template_compiler
