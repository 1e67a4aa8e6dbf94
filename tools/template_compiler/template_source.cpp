#include "tools/template_compiler/template_source.h"

#include <sstream>

#include "runtime/core/template_format.h"
#include "tools/template_compiler/field_values.h"
#include "tools/template_compiler/source_lexer.h"
#include "tools/template_compiler/type_layouts.h"

namespace template_compiler {
namespace {

using rt::template_stream::Writer;

// Reads the source line by line: window and unit statements open records,
// the lines after a unit fill it, and data ... end gathers its type data.
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
      if (t.size() == 2 && IsWord(t[1], "none")) return true;
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
      if (IsWord(t[1], "none")) {
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
    if (IsWord(t[2], "none")) {
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
    FieldValue v;
    if (!ParseFieldValue(*field, t, &v, error)) return false;
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
    if (v < type.min_version || v > type.max_version) {
      const std::string versions =
          type.min_version == type.max_version
              ? std::to_string(type.max_version)
              : std::to_string(type.min_version) + " to " + std::to_string(type.max_version);
      *error = std::string("version of ") + type.name + " data must be " + versions;
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
    windows_.back().units.back().type_data = type.encode(data_values_);
    data_type_ = nullptr;
    unit_has_data_ = true;
    return true;
  }

  const std::vector<std::string>& handlers_;
  std::vector<rt::WindowRecord> windows_;
  const TypeLayout* unit_type_ = nullptr;
  bool unit_has_data_ = false;
  const TypeLayout* data_type_ = nullptr;  // non-null inside data ... end
  FieldValues data_values_;
  int data_line_ = 0;
  int line_ = 0;
};

}  // namespace

bool CompileTemplateSource(const std::string& source, const std::vector<std::string>& handlers,
                           std::vector<rt::WindowRecord>* windows, std::string* error) {
  Compiler compiler(handlers);
  return compiler.Run(source, windows, error);
}

}  // namespace template_compiler
