// A field's value as a data line of the source writes it after the field's
// name: one number, one quoted text, byte values, or a font.
#pragma once

#include <string>
#include <vector>

#include "tools/template_compiler/source_lexer.h"
#include "tools/template_compiler/type_layouts.h"

namespace template_compiler {

// t is the whole line, the field's name first. On failure *error says what
// the field takes.
bool ParseFieldValue(const FieldLayout& field, const std::vector<Token>& t, FieldValue* value,
                     std::string* error);

}  // namespace template_compiler
