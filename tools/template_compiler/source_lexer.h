// The tokens of one line of the readable window template source: words and
// double-quoted texts, and the numbers that words write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace template_compiler {

struct Token {
  std::string text;  // UTF-8, as the source has it (quotes and escapes removed)
  bool quoted = false;
};

// Splits a line into words and double-quoted texts (escapes \" and \\);
// '#' outside quotes starts a comment. False for a broken quoted text.
bool Tokenize(const std::string& line, std::vector<Token>* tokens, std::string* error);

// Whether the token is the bare word `word` (a quoted text never is).
bool IsWord(const Token& t, const char* word);

constexpr int64_t kInt32Min = -2147483648LL;
constexpr int64_t kInt32Max = 2147483647LL;
constexpr int64_t kUint32Max = 4294967295LL;

// A word that writes a decimal or 0x hexadecimal number, optionally
// negative, from low to high; false for anything else.
bool ParseNumber(const Token& t, int64_t low, int64_t high, int64_t* value);

}  // namespace template_compiler
