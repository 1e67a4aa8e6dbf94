#include "tools/template_compiler/source_lexer.h"

namespace template_compiler {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The quoted text that starts at line[*i], its opening quote.
bool QuotedText(const std::string& line, size_t* i, Token* t, std::string* error) {
  t->quoted = true;
  ++*i;
  while (*i < line.size()) {
    const char q = line[(*i)++];
    if (q == '"') return true;
    if (q == '\\') {
      if (*i >= line.size() || (line[*i] != '"' && line[*i] != '\\')) {
        *error = "unknown escape in a quoted text";
        return false;
      }
      t->text += line[(*i)++];
    } else {
      t->text += q;
    }
  }
  *error = "quoted text without its closing quote";
  return false;
}

}  // namespace

bool Tokenize(const std::string& line, std::vector<Token>* tokens, std::string* error) {
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (IsBlank(c)) {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      Token t;
      if (!QuotedText(line, &i, &t, error)) return false;
      tokens->push_back(t);
    } else {
      Token t;
      while (i < line.size() && !IsBlank(line[i]) && line[i] != '#' && line[i] != '"') {
        t.text += line[i++];
      }
      tokens->push_back(t);
    }
  }
  return true;
}

bool IsWord(const Token& t, const char* word) { return !t.quoted && t.text == word; }

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
    if (v > (int64_t{1} << 33)) return false;  // well past 32 bits: no overflow below
  }
  if (negative) v = -v;
  if (v < low || v > high) return false;
  *value = v;
  return true;
}

}  // namespace template_compiler
