// Letter case and character width conversion of code page 936 texts, and
// the decimal reader that turns a text into an integer.
#pragma once

#include <cstdint>

namespace rt {

enum TextTransformMode : int32_t {
  kTransformUpperCase = 0,
  kTransformLowerCase = 1,
  kTransformFullWidth = 2,
  kTransformHalfWidth = 3,
};

// Returns a new text from the runtime heap (null when the result is empty).
// A byte with bit 7 set is taken as a lead byte with the following byte as
// its trail; a lead byte at the very end is kept by the case modes and
// dropped by the width modes. An unknown mode gives an unchanged copy.
char* TransformText(const char* text, int32_t mode);

// Skips leading white space (space, 0x09..0x0D), takes one optional sign and
// then decimal digits up to the first non-digit. The value wraps around in
// 32 bits instead of clamping; no digits (or a null text) give 0.
int32_t ReadDecimal(const char* text);

}  // namespace rt
