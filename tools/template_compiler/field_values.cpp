#include "tools/template_compiler/field_values.h"

#include <cstring>

#include "runtime/core/font_record.h"
#include "tools/template_compiler/gbk_text.h"

namespace template_compiler {
namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "a font record's bytes are stored as they lie in memory, little-endian");

// The font keys of the source and the record's members they set.
struct FontWord {
  const char* key;
  int32_t rt::FontRecord::*member;
};
struct FontByte {
  const char* key;
  uint8_t rt::FontRecord::*member;
};

// Sets one key of the font; false for an unknown key or a value out of range.
bool FontKey(const std::string& key, const Token& value, rt::FontRecord* font,
             std::string* error) {
  static const FontWord words[] = {{"height", &rt::FontRecord::height},
                                   {"width", &rt::FontRecord::width},
                                   {"escapement", &rt::FontRecord::escapement},
                                   {"orientation", &rt::FontRecord::orientation},
                                   {"weight", &rt::FontRecord::weight}};
  static const FontByte bytes[] = {{"italic", &rt::FontRecord::italic},
                                   {"underline", &rt::FontRecord::underline},
                                   {"strike_out", &rt::FontRecord::strike_out},
                                   {"charset", &rt::FontRecord::char_set},
                                   {"out_precision", &rt::FontRecord::out_precision},
                                   {"clip_precision", &rt::FontRecord::clip_precision},
                                   {"quality", &rt::FontRecord::quality},
                                   {"pitch_and_family", &rt::FontRecord::pitch_and_family}};
  int64_t v = 0;
  for (const FontWord& w : words) {
    if (key != w.key) continue;
    if (!ParseNumber(value, kInt32Min, kInt32Max, &v)) {
      *error = "font " + key + " must be a 32-bit number";
      return false;
    }
    font->*w.member = static_cast<int32_t>(v);
    return true;
  }
  for (const FontByte& b : bytes) {
    if (key != b.key) continue;
    if (!ParseNumber(value, 0, 255, &v)) {
      *error = "font " + key + " must be a byte value";
      return false;
    }
    font->*b.member = static_cast<uint8_t>(v);
    return true;
  }
  *error = "unknown font key '" + key + "'";
  return false;
}

// "font none" (no record: the default font) or pairs of a key and a value,
// the face among them; keys not given are 0.
bool ParseFont(const std::vector<Token>& t, std::string* record, std::string* error) {
  if (t.size() == 2 && IsWord(t[1], "none")) {
    record->clear();
    return true;
  }
  if (t.size() % 2 != 1) {
    *error = "font takes 'none' or pairs of a key and a value";
    return false;
  }
  rt::FontRecord font{};
  bool has_face = false;
  for (size_t i = 1; i + 1 < t.size(); i += 2) {
    const std::string& key = t[i].text;
    if (key != "face") {
      if (!FontKey(key, t[i + 1], &font, error)) return false;
      continue;
    }
    std::string face;
    if (!t[i + 1].quoted || !Utf8ToGbk(t[i + 1].text, &face) ||
        face.size() >= sizeof font.face_name) {
      *error = "font face must be a quoted text of at most 31 GBK bytes";
      return false;
    }
    std::memset(font.face_name, 0, sizeof font.face_name);
    std::memcpy(font.face_name, face.data(), face.size());
    has_face = true;
  }
  if (!has_face) {
    *error = "a font needs a face";
    return false;
  }
  record->assign(reinterpret_cast<const char*>(&font), sizeof font);
  return true;
}

bool ParseNumberField(const FieldLayout& field, const std::vector<Token>& t, FieldValue* value,
                      std::string* error) {
  const int64_t low = field.kind == Kind::kInt ? kInt32Min : 0;
  const int64_t high =
      field.kind == Kind::kInt ? kInt32Max : field.kind == Kind::kUint ? kUint32Max : 0xFFFF;
  if (t.size() != 2 || !ParseNumber(t[1], low, high, &value->number)) {
    *error = std::string(field.name) + " needs one number in range";
    return false;
  }
  return true;
}

bool ParseTextField(const FieldLayout& field, const std::vector<Token>& t, FieldValue* value,
                    std::string* error) {
  if (t.size() != 2 || !t[1].quoted) {
    *error = std::string(field.name) + " needs one quoted text";
    return false;
  }
  if (!Utf8ToGbk(t[1].text, &value->bytes)) {
    *error = std::string(field.name) + ": text has characters GBK cannot hold";
    return false;
  }
  return true;
}

bool ParseBytesField(const FieldLayout& field, const std::vector<Token>& t, FieldValue* value,
                     std::string* error) {
  value->bytes.clear();
  if (t.size() == 2 && IsWord(t[1], "none")) return true;
  for (size_t i = 1; i < t.size(); ++i) {
    int64_t b = 0;
    if (!ParseNumber(t[i], 0, 255, &b)) {
      *error = std::string(field.name) + " takes 'none' or byte values";
      return false;
    }
    value->bytes.push_back(static_cast<char>(b));
  }
  return true;
}

}  // namespace

bool ParseFieldValue(const FieldLayout& field, const std::vector<Token>& t, FieldValue* value,
                     std::string* error) {
  switch (field.kind) {
    case Kind::kInt:
    case Kind::kUint:
    case Kind::kU16:
      return ParseNumberField(field, t, value, error);
    case Kind::kText:
      return ParseTextField(field, t, value, error);
    case Kind::kBytes:
      return ParseBytesField(field, t, value, error);
    case Kind::kFont:
      return ParseFont(t, &value->bytes, error);
  }
  return false;
}

}  // namespace template_compiler
