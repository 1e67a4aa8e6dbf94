// Text and number commands of the core command set. Every length, count and
// position is in bytes of code page 936; a double-byte character counts two.
// Text results are new texts from the runtime heap owned by the caller (null
// for the empty text); arguments are never kept or freed.
#pragma once

#include <cstdint>

#include "runtime/core/values.h"

namespace rt {

// (text) -> int: bytes before the terminator.
void TextLength(ArgValue* result, int32_t argc, ArgValue* args);
// (text, count) -> text: the first min(count, length) bytes; count <= 0 is
// empty. The cut may leave a lone lead byte at the end.
void LeftOfText(ArgValue* result, int32_t argc, ArgValue* args);
// (text, count) -> text: the last min(count, length) bytes; count <= 0 is
// empty. The result may begin with a trail byte.
void RightOfText(ArgValue* result, int32_t argc, ArgValue* args);
// (text, position, may be omitted = 1) -> int: the byte at the 1-based
// position, sign-extended; positions outside 1..length + 1 give 0.
void CharCodeAt(ArgValue* result, int32_t argc, ArgValue* args);
// (text) -> text: ASCII letters in upper case, double-byte characters kept.
void ToUpperCase(ArgValue* result, int32_t argc, ArgValue* args);
// (value of any kind) -> int.
void ToInteger(ArgValue* result, int32_t argc, ArgValue* args);
// (text A, text B, case-sensitive) -> int: -1, 0 or 1.
void CompareText(ArgValue* result, int32_t argc, ArgValue* args);
// (dividend, divisor...) -> double: divided in turn, truncating toward zero
// after each step. A zero divisor is a runtime error.
void IntegerDivide(ArgValue* result, int32_t argc, ArgValue* args);

// The integer value of one argument, as ToInteger computes it.
int32_t ValueToInteger(const ArgValue& value);

}  // namespace rt
