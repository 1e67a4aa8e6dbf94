#include "tools/template_compiler/template_source.h"

#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "runtime/core/template_format.h"
#include "runtime/core/window_unit_data.h"

namespace template_compiler {
namespace {

using rt::template_stream::Writer;

struct Token {
  std::string text;
  bool quoted = false;
};

// Splits a line into words and double-quoted strings (escapes \" and \\);
// '#' outside quotes starts a comment.
bool Tokenize(const std::string& line, std::vector<Token>* tokens, std::string* error) {
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      Token t;
      t.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char q = line[i++];
        if (q == '"') {
          closed = true;
          break;
        }
        if (q == '\\') {
          if (i >= line.size() || (line[i] != '"' && line[i] != '\\')) {
            *error = "unknown escape in a quoted text";
            return false;
          }
          t.text += line[i++];
        } else {
          t.text += q;
        }
      }
      if (!closed) {
        *error = "quoted text without its closing quote";
        return false;
      }
      tokens->push_back(t);
    } else {
      Token t;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
             line[i] != '#' && line[i] != '"') {
        t.text += line[i++];
      }
      tokens->push_back(t);
    }
  }
  return true;
}

bool ParseNumber(const Token& t, int64_t low, int64_t high, int64_t* value) {
  if (t.quoted || t.text.empty()) return false;
  const std::string& s = t.text;
  size_t i = 0;
  bool negative = false;
  if (s[0] == '-') {
    negative = true;
    i = 1;
  }
  int base = 10;
  if (s.size() > i + 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    int digit = -1;
    const char c = s[i];
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    v = v * base + digit;
    if (v > (int64_t{1} << 33)) return false;
  }
  if (negative) v = -v;
  if (v < low || v > high) return false;
  *value = v;
  return true;
}

constexpr int64_t kInt32Min = -2147483648LL;
constexpr int64_t kInt32Max = 2147483647LL;
constexpr int64_t kUint32Max = 4294967295LL;

enum class Kind { kInt, kUint, kU16, kText, kBytes, kFont };

struct FieldLayout {
  const char* name;
  Kind kind;
  int32_t min_version;  // stored only when the data's version is at least this
};

// The stored type data of each unit type the source can describe; the
// fields are stored in the order listed, and "version" comes first.
struct TypeLayout {
  const char* name;
  uint32_t type_id;
  int32_t max_version;
  std::vector<FieldLayout> fields;
};

const std::vector<TypeLayout>& TypeLayouts() {
  static const std::vector<TypeLayout> layouts = {
      // Encoded through WriteWindowUnitData; listed here for the checks.
      {"window",
       rt::kTypeWindow,
       rt::kWindowUnitDataVersion,
       {{"version", Kind::kInt, 0},
        {"border_style", Kind::kInt, 0},
        {"picture_mode", Kind::kInt, 0},
        {"background_colour", Kind::kUint, 0},
        {"maximise_button", Kind::kInt, 0},
        {"minimise_button", Kind::kInt, 0},
        {"control_box", Kind::kInt, 0},
        {"start_position", Kind::kInt, 0},
        {"close_button", Kind::kInt, 0},
        {"property14", Kind::kInt, 0},
        {"enter_moves_focus", Kind::kInt, 0},
        {"escape_closes", Kind::kInt, 0},
        {"f1_opens_help", Kind::kInt, 0},
        {"help_topic", Kind::kInt, 0},
        {"own_taskbar_window", Kind::kInt, 2},
        {"drag_by_body", Kind::kInt, 3},
        {"property28", Kind::kInt, 3},
        {"always_on_top", Kind::kInt, 4},
        {"property30", Kind::kInt, 5},
        {"text31", Kind::kText, 6},
        {"background_picture", Kind::kBytes, 0},
        {"byte_block20", Kind::kBytes, 0},
        {"byte_block13", Kind::kBytes, 0},
        {"caption", Kind::kText, 0},
        {"help_file", Kind::kText, 0}}},
      {"edit_box",
       rt::kTypeEditBox,
       2,
       {{"version", Kind::kInt, 0},
        {"border_style", Kind::kInt, 0},
        {"property2", Kind::kInt, 0},
        {"background_colour", Kind::kUint, 0},
        {"hide_selection", Kind::kInt, 0},
        {"max_length", Kind::kInt, 0},
        {"multi_line", Kind::kInt, 0},
        {"scroll_bars", Kind::kInt, 0},
        {"alignment", Kind::kInt, 0},
        {"input_mode", Kind::kInt, 0},
        {"password_char", Kind::kU16, 0},
        {"letter_case", Kind::kInt, 0},
        {"spin_button", Kind::kInt, 0},
        {"spin_minimum", Kind::kInt, 0},
        {"spin_maximum", Kind::kInt, 0},
        {"selection_start", Kind::kInt, 0},
        {"selection_length", Kind::kInt, 0},
        {"font", Kind::kFont, 0},
        {"content", Kind::kText, 0},
        {"extra_text1", Kind::kText, 2},
        {"extra_text2", Kind::kText, 2}}},
      {"button", rt::kTypeButton, 1, {{"version", Kind::kInt, 0}, {"caption", Kind::kText, 0}}},
      {"list_box",
       rt::kTypeListBox,
       3,
       {{"version", Kind::kInt, 0},
        {"border_style", Kind::kInt, 0},
        {"sorted", Kind::kInt, 0},
        {"multi_column", Kind::kInt, 0},
        {"item_height_extra", Kind::kInt, 0},
        {"word6", Kind::kInt, 0},
        {"background_colour", Kind::kUint, 0},
        {"extended_select", Kind::kInt, 0},
        {"selected_index", Kind::kInt, 0},
        {"font", Kind::kFont, 0}}},
      {"trans_label",
       rt::kTypeTransLabel,
       1,
       {{"version", Kind::kInt, 0},
        {"text_effect", Kind::kInt, 0},
        {"text_color", Kind::kUint, 0},
        {"horizontal_align", Kind::kInt, 0},
        {"vertical_align", Kind::kInt, 0},
        {"word_wrap", Kind::kInt, 0},
        {"font", Kind::kFont, 0},
        {"caption", Kind::kText, 0}}},
      {"drop_target",
       rt::kTypeDropTarget,
       1,
       {{"version", Kind::kInt, 0},
        {"accept_text", Kind::kInt, 0},
        {"accept_html", Kind::kInt, 0},
        {"accept_url", Kind::kInt, 0},
        {"accept_files", Kind::kInt, 0}}},
  };
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

struct Value {
  int64_t number = 0;
  std::string bytes;  // texts in GBK, byte blocks, font records
};

// A LOGFONTA record: five 32-bit words, eight bytes, a 32-byte face name.
constexpr size_t kLogFontSize = 60;

bool ParseFont(const std::vector<Token>& t, std::string* record, std::string* error) {
  if (t.size() == 2 && !t[1].quoted && t[1].text == "none") {
    record->clear();
    return true;
  }
  int64_t words[5] = {0, 0, 0, 0, 0};  // height, width, escapement, orientation, weight
  int64_t bytes[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  static const char* const word_names[5] = {"height", "width", "escapement", "orientation",
                                            "weight"};
  static const char* const byte_names[8] = {"italic",         "underline",      "strike_out",
                                            "charset",        "out_precision",  "clip_precision",
                                            "quality",        "pitch_and_family"};
  std::string face;
  bool has_face = false;
  if (t.size() % 2 != 1) {
    *error = "font takes 'none' or pairs of a key and a value";
    return false;
  }
  for (size_t i = 1; i + 1 < t.size(); i += 2) {
    const std::string& key = t[i].text;
    if (key == "face") {
      if (!t[i + 1].quoted || !Utf8ToGbk(t[i + 1].text, &face) || face.size() > 31) {
        *error = "font face must be a quoted text of at most 31 GBK bytes";
        return false;
      }
      has_face = true;
      continue;
    }
    bool known = false;
    for (int k = 0; k < 5 && !known; ++k) {
      if (key == word_names[k]) {
        known = true;
        if (!ParseNumber(t[i + 1], kInt32Min, kInt32Max, &words[k])) {
          *error = "font " + key + " must be a 32-bit number";
          return false;
        }
      }
    }
    for (int k = 0; k < 8 && !known; ++k) {
      if (key == byte_names[k]) {
        known = true;
        if (!ParseNumber(t[i + 1], 0, 255, &bytes[k])) {
          *error = "font " + key + " must be a byte value";
          return false;
        }
      }
    }
    if (!known) {
      *error = "unknown font key '" + key + "'";
      return false;
    }
  }
  if (!has_face) {
    *error = "a font needs a face";
    return false;
  }
  Writer w;
  for (int64_t v : words) w.I32(static_cast<int32_t>(v));
  std::vector<uint8_t> out = w.Bytes();
  for (int64_t v : bytes) out.push_back(static_cast<uint8_t>(v));
  out.insert(out.end(), face.begin(), face.end());
  out.resize(kLogFontSize, 0);
  record->assign(out.begin(), out.end());
  return true;
}

bool ParseValue(const FieldLayout& field, const std::vector<Token>& t, Value* value,
                std::string* error) {
  const std::string name = field.name;
  switch (field.kind) {
    case Kind::kInt:
    case Kind::kUint:
    case Kind::kU16: {
      const int64_t low = field.kind == Kind::kInt ? kInt32Min : 0;
      const int64_t high =
          field.kind == Kind::kInt ? kInt32Max : field.kind == Kind::kUint ? kUint32Max : 0xFFFF;
      if (t.size() != 2 || !ParseNumber(t[1], low, high, &value->number)) {
        *error = name + " needs one number in range";
        return false;
      }
      return true;
    }
    case Kind::kText:
      if (t.size() != 2 || !t[1].quoted) {
        *error = name + " needs one quoted text";
        return false;
      }
      if (!Utf8ToGbk(t[1].text, &value->bytes)) {
        *error = name + ": text has characters GBK cannot hold";
        return false;
      }
      return true;
    case Kind::kBytes:
      value->bytes.clear();
      if (t.size() == 2 && !t[1].quoted && t[1].text == "none") return true;
      for (size_t i = 1; i < t.size(); ++i) {
        int64_t b = 0;
        if (!ParseNumber(t[i], 0, 255, &b)) {
          *error = name + " takes 'none' or byte values";
          return false;
        }
        value->bytes.push_back(static_cast<char>(b));
      }
      return true;
    case Kind::kFont:
      return ParseFont(t, &value->bytes, error);
  }
  return false;
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// The window unit's data goes through the runtime's own writer.
std::vector<uint8_t> EncodeWindowData(const std::map<std::string, Value>& v) {
  rt::WindowUnitData d;
  auto num = [&v](const char* name, int32_t* field) {
    auto it = v.find(name);
    if (it != v.end()) *field = static_cast<int32_t>(it->second.number);
  };
  auto text = [&v](const char* name, std::string* field) {
    auto it = v.find(name);
    if (it != v.end()) *field = it->second.bytes;
  };
  auto block = [&v](const char* name, std::vector<uint8_t>* field) {
    auto it = v.find(name);
    if (it != v.end()) *field = Bytes(it->second.bytes);
  };
  num("version", &d.version);
  num("border_style", &d.border_style);
  num("picture_mode", &d.picture_mode);
  d.background_colour = static_cast<uint32_t>(v.at("background_colour").number);
  num("maximise_button", &d.maximise_button);
  num("minimise_button", &d.minimise_button);
  num("control_box", &d.control_box);
  num("start_position", &d.start_position);
  num("close_button", &d.close_button);
  num("property14", &d.property14);
  num("enter_moves_focus", &d.enter_moves_focus);
  num("escape_closes", &d.escape_closes);
  num("f1_opens_help", &d.f1_opens_help);
  num("help_topic", &d.help_topic);
  num("own_taskbar_window", &d.own_taskbar_window);
  num("drag_by_body", &d.drag_by_body);
  num("property28", &d.property28);
  num("always_on_top", &d.always_on_top);
  num("property30", &d.property30);
  text("text31", &d.text31);
  block("background_picture", &d.background_picture);
  block("byte_block20", &d.byte_block20);
  block("byte_block13", &d.byte_block13);
  text("caption", &d.caption);
  text("help_file", &d.help_file);
  return rt::WriteWindowUnitData(d);
}

std::vector<uint8_t> EncodeData(const TypeLayout& type, int32_t version,
                                const std::map<std::string, Value>& values) {
  if (type.type_id == rt::kTypeWindow) return EncodeWindowData(values);
  Writer w;
  for (const FieldLayout& f : type.fields) {
    if (version < f.min_version) continue;
    const Value& v = values.at(f.name);
    switch (f.kind) {
      case Kind::kInt:
        w.I32(static_cast<int32_t>(v.number));
        break;
      case Kind::kUint:
        w.U32(static_cast<uint32_t>(v.number));
        break;
      case Kind::kU16:
        w.U16(static_cast<uint16_t>(v.number));
        break;
      case Kind::kText:
        w.CountedText(v.bytes);
        break;
      case Kind::kBytes:
      case Kind::kFont:
        w.Block(Bytes(v.bytes));
        break;
    }
  }
  return w.Bytes();
}

class Compiler {
 public:
  explicit Compiler(const std::vector<std::string>& handlers) : handlers_(handlers) {}

  bool Run(const std::string& source, std::vector<rt::WindowRecord>* windows,
           std::string* error) {
    std::istringstream in(source);
    std::string line;
    while (std::getline(in, line)) {
      ++line_;
      std::vector<Token> tokens;
      std::string problem;
      if (!Tokenize(line, &tokens, &problem) || (!tokens.empty() && !Statement(tokens, &problem))) {
        *error = "line " + std::to_string(line_) + ": " + problem;
        return false;
      }
    }
    std::string problem;
    if (data_type_ != nullptr) problem = "type data without 'end'";
    if (problem.empty() && windows_.empty()) problem = "no window";
    if (problem.empty()) CloseWindow(&problem);
    if (!problem.empty()) {
      *error = "at end: " + problem;
      return false;
    }
    *windows = windows_;
    return true;
  }

 private:
  bool Statement(const std::vector<Token>& t, std::string* error) {
    if (t[0].quoted) {
      *error = "a statement starts with a word";
      return false;
    }
    const std::string& word = t[0].text;
    if (data_type_ != nullptr) return DataStatement(t, error);
    if (word == "window") return WindowStatement(t, error);
    if (windows_.empty()) {
      *error = "'" + word + "' before the first window";
      return false;
    }
    if (word == "unit") return UnitStatement(t, error);
    if (windows_.back().units.empty()) {
      *error = "'" + word + "' before the window's first unit";
      return false;
    }
    return UnitField(t, error);
  }

  bool Id(const Token& t, uint32_t* id, std::string* error) {
    int64_t v = 0;
    if (!ParseNumber(t, 0, kUint32Max, &v)) {
      *error = "'" + t.text + "' is not a 32-bit id";
      return false;
    }
    *id = static_cast<uint32_t>(v);
    return true;
  }

  bool Int(const Token& t, int32_t* out, std::string* error) {
    int64_t v = 0;
    if (!ParseNumber(t, kInt32Min, kInt32Max, &v)) {
      *error = "'" + t.text + "' is not a 32-bit number";
      return false;
    }
    *out = static_cast<int32_t>(v);
    return true;
  }

  bool Text(const Token& t, std::string* out, std::string* error) {
    if (!t.quoted) {
      *error = "'" + t.text + "' must be a quoted text";
      return false;
    }
    if (!Utf8ToGbk(t.text, out)) {
      *error = "text has characters GBK cannot hold";
      return false;
    }
    return true;
  }

  bool CloseWindow(std::string* error) {
    if (windows_.empty()) return true;
    const rt::WindowRecord& w = windows_.back();
    if (w.units.empty()) {
      *error = "window without units";
      return false;
    }
    if (w.units.front().type_id != rt::kTypeWindow) {
      *error = "a window's first unit must be its own unit of type window";
      return false;
    }
    return true;
  }

  // window ID [word_a N] [word_b N] [text1 "..."] [text2 "..."]
  bool WindowStatement(const std::vector<Token>& t, std::string* error) {
    if (!CloseWindow(error)) return false;
    rt::WindowRecord w;
    if (t.size() < 2 || t.size() % 2 != 0) {
      *error = "window takes an id and pairs of a key and a value";
      return false;
    }
    if (!Id(t[1], &w.id, error)) return false;
    for (const rt::WindowRecord& other : windows_) {
      if (other.id == w.id) {
        *error = "window id used twice";
        return false;
      }
    }
    for (size_t i = 2; i < t.size(); i += 2) {
      const std::string& key = t[i].text;
      bool ok = false;
      if (key == "word_a") {
        ok = Id(t[i + 1], &w.word_a, error);
      } else if (key == "word_b") {
        ok = Id(t[i + 1], &w.word_b, error);
      } else if (key == "text1") {
        ok = Text(t[i + 1], &w.text1, error);
      } else if (key == "text2") {
        ok = Text(t[i + 1], &w.text2, error);
      } else {
        *error = "unknown window key '" + key + "'";
      }
      if (!ok) return false;
    }
    windows_.push_back(w);
    return true;
  }

  // unit ID TYPE "NAME"
  bool UnitStatement(const std::vector<Token>& t, std::string* error) {
    if (t.size() != 4) {
      *error = "unit takes an id, a type and a quoted name";
      return false;
    }
    rt::UnitRecord u;
    if (!Id(t[1], &u.id, error)) return false;
    if (rt::IsMenuItemId(u.id)) {
      *error = "menu items are not supported by this compiler";
      return false;
    }
    const TypeLayout* type = FindType(t[2].text);
    if (t[2].quoted || type == nullptr) {
      *error = "unknown unit type '" + t[2].text + "'";
      return false;
    }
    if (!Text(t[3], &u.name, error)) return false;
    rt::WindowRecord& w = windows_.back();
    for (const rt::UnitRecord& other : w.units) {
      if (other.id == u.id) {
        *error = "unit id used twice in one window";
        return false;
      }
    }
    if (!w.units.empty() && type->type_id == rt::kTypeWindow) {
      *error = "only a window's first unit is of type window";
      return false;
    }
    u.type_id = type->type_id;
    u.pointer_data.assign(4, 0);  // pointer code 0, the default pointer
    w.units.push_back(u);
    unit_type_ = type;
    unit_has_data_ = false;
    return true;
  }

  bool UnitField(const std::vector<Token>& t, std::string* error) {
    rt::UnitRecord& u = windows_.back().units.back();
    const std::string& word = t[0].text;
    auto args = [&](size_t n) {
      if (t.size() == n + 1) return true;
      *error = word + " takes " + std::to_string(n) + " value(s)";
      return false;
    };
    if (word == "geometry") {
      return args(4) && Int(t[1], &u.left, error) && Int(t[2], &u.top, error) &&
             Int(t[3], &u.width, error) && Int(t[4], &u.height, error);
    }
    if (word == "flags") {
      u.flags = 0;
      if (t.size() == 2 && t[1].text == "none" && !t[1].quoted) return true;
      for (size_t i = 1; i < t.size(); ++i) {
        const std::string& f = t[i].text;
        if (f == "V") {
          u.flags |= rt::kFlagVisible;
        } else if (f == "D") {
          u.flags |= rt::kFlagDisabled;
        } else if (f == "T") {
          u.flags |= rt::kFlagTabStop;
        } else {
          *error = "flags are V, D, T or none";
          return false;
        }
      }
      if (t.size() < 2) {
        *error = "flags needs V, D, T or none";
        return false;
      }
      return true;
    }
    if (word == "tag") return args(1) && Text(t[1], &u.tag, error);
    if (word == "text2") return args(1) && Text(t[1], &u.text2, error);
    if (word == "container") return args(1) && Id(t[1], &u.container, error);
    if (word == "shared_handler_unit") return args(1) && Id(t[1], &u.shared_handler_unit, error);
    if (word == "focus_rank") return args(1) && Int(t[1], &u.focus_rank, error);
    if (word == "contained") {
      u.contained.clear();
      for (size_t i = 1; i < t.size(); ++i) {
        uint32_t id = 0;
        if (!Id(t[i], &id, error)) return false;
        u.contained.push_back(id);
      }
      return true;
    }
    if (word == "pointer") {
      if (!args(1)) return false;
      if (t[1].text == "none" && !t[1].quoted) {
        u.pointer_data.clear();
        return true;
      }
      int32_t code = 0;
      if (!Int(t[1], &code, error)) return false;
      Writer w;
      w.I32(code);
      u.pointer_data = w.Bytes();
      return true;
    }
    if (word == "on") return args(2) && EventStatement(t, u, error);
    if (word == "data") {
      if (!args(0)) return false;
      if (unit_has_data_) {
        *error = "a unit has one type data block";
        return false;
      }
      data_type_ = unit_type_;
      data_values_.clear();
      data_line_ = line_;
      return true;
    }
    *error = "unknown statement '" + word + "'";
    return false;
  }

  // on EVENT HANDLER  (handler name from the handler table, or none)
  bool EventStatement(const std::vector<Token>& t, rt::UnitRecord& u, std::string* error) {
    rt::EventBinding e;
    if (!Int(t[1], &e.event, error)) return false;
    for (const rt::EventBinding& other : u.events) {
      if (other.event == e.event) {
        *error = "event bound twice";
        return false;
      }
    }
    const std::string& name = t[2].text;
    if (name == "none" && !t[2].quoted) {
      e.offset = -1;
    } else {
      size_t i = 0;
      while (i < handlers_.size() && handlers_[i] != name) ++i;
      if (t[2].quoted || i == handlers_.size()) {
        *error = "unknown handler '" + name + "'";
        return false;
      }
      e.offset = static_cast<int32_t>(4 * i);
    }
    u.events.push_back(e);
    return true;
  }

  bool DataStatement(const std::vector<Token>& t, std::string* error) {
    const std::string& word = t[0].text;
    if (word == "end") {
      if (t.size() != 1) {
        *error = "end takes no value";
        return false;
      }
      return FinishData(error);
    }
    const FieldLayout* field = FindField(*data_type_, word);
    if (field == nullptr) {
      *error = std::string("no field '") + word + "' in the data of " + data_type_->name;
      return false;
    }
    if (data_values_.count(word) != 0) {
      *error = "field '" + word + "' given twice";
      return false;
    }
    Value v;
    if (!ParseValue(*field, t, &v, error)) return false;
    data_values_[word] = v;
    return true;
  }

  // Every field the version stores must be given, and no other.
  bool FinishData(std::string* error) {
    const TypeLayout& type = *data_type_;
    auto version = data_values_.find("version");
    if (version == data_values_.end()) {
      *error = "type data needs its version";
      return false;
    }
    const int64_t v = version->second.number;
    if (v < 0 || v > type.max_version) {
      *error = std::string("version of ") + type.name + " data must be 0 to " +
               std::to_string(type.max_version);
      return false;
    }
    for (const FieldLayout& f : type.fields) {
      const bool stored = v >= f.min_version;
      const bool given = data_values_.count(f.name) != 0;
      if (stored && !given) {
        *error = std::string("field '") + f.name + "' missing (data from line " +
                 std::to_string(data_line_) + ")";
        return false;
      }
      if (!stored && given) {
        *error = std::string("field '") + f.name + "' is not stored by version " +
                 std::to_string(v);
        return false;
      }
    }
    windows_.back().units.back().type_data =
        EncodeData(type, static_cast<int32_t>(v), data_values_);
    data_type_ = nullptr;
    unit_has_data_ = true;
    return true;
  }

  const std::vector<std::string>& handlers_;
  std::vector<rt::WindowRecord> windows_;
  const TypeLayout* unit_type_ = nullptr;
  bool unit_has_data_ = false;
  const TypeLayout* data_type_ = nullptr;  // non-null inside data ... end
  std::map<std::string, Value> data_values_;
  int data_line_ = 0;
  int line_ = 0;
};

}  // namespace

bool Utf8ToGbk(const std::string& utf8, std::string* gbk) {
  gbk->clear();
  if (utf8.empty()) return true;
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = utf8;
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in_p = &in[0];
  size_t in_left = in.size();
  char* out_p = &out[0];
  size_t out_left = out.size();
  const size_t r = iconv(cd, &in_p, &in_left, &out_p, &out_left);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || in_left != 0) return false;
  out.resize(out.size() - out_left);
  *gbk = out;
  return true;
}

bool ParseHandlerNames(const std::string& def_text, std::vector<std::string>* names,
                       std::string* error) {
  names->clear();
  std::istringstream in(def_text);
  std::string line;
  int number = 0;
  const std::string open = "SONOTECA_HANDLER(";
  while (std::getline(in, line)) {
    ++number;
    const size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line.compare(start, 2, "//") == 0) continue;
    const size_t close = line.find(')', start);
    const size_t end = line.find_last_not_of(" \t\r");
    if (line.compare(start, open.size(), open) != 0 || close == std::string::npos ||
        close != end || close == start + open.size()) {
      *error = "handlers: line " + std::to_string(number) + " is not SONOTECA_HANDLER(Name)";
      return false;
    }
    const std::string name = line.substr(start + open.size(), close - start - open.size());
    for (const std::string& n : *names) {
      if (n == name) {
        *error = "handlers: " + name + " listed twice";
        return false;
      }
    }
    names->push_back(name);
  }
  return true;
}

bool CompileTemplateSource(const std::string& source, const std::vector<std::string>& handlers,
                           std::vector<rt::WindowRecord>* windows, std::string* error) {
  Compiler compiler(handlers);
  return compiler.Run(source, windows, error);
}

std::string FormatInclude(const std::vector<uint8_t>& bytes) {
  std::string out =
      "// Generated by scripts/regenerate-template from resources/window_template.txt\n"
      "// and resources/handlers.def; do not edit. " +
      std::to_string(bytes.size()) + " bytes.\n";
  char item[8];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(item, sizeof item, "0x%02X,", bytes[i]);
    out += item;
    out += (i % 12 == 11 || i + 1 == bytes.size()) ? "\n" : " ";
  }
  return out;
}

bool ReadTextFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return !in.bad();
}

bool GenerateInclude(const std::string& source_path, const std::string& handlers_path,
                     std::string* include_text, std::string* error) {
  std::string source;
  std::string def;
  if (!ReadTextFile(source_path, &source)) {
    *error = "cannot read " + source_path;
    return false;
  }
  if (!ReadTextFile(handlers_path, &def)) {
    *error = "cannot read " + handlers_path;
    return false;
  }
  std::vector<std::string> handlers;
  if (!ParseHandlerNames(def, &handlers, error)) return false;
  std::vector<rt::WindowRecord> windows;
  if (!CompileTemplateSource(source, handlers, &windows, error)) {
    *error = source_path + ": " + *error;
    return false;
  }
  const std::vector<uint8_t> bytes = rt::WriteWindowTemplate(windows);
  if (bytes.empty()) {
    *error = "the windows cannot be stored";
    return false;
  }
  *include_text = FormatInclude(bytes);
  return true;
}

}  // namespace template_compiler
