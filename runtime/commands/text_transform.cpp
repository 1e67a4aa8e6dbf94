#include "runtime/commands/text_transform.h"

#include <cstddef>
#include <cstring>

#include "runtime/core/heap.h"

namespace rt {
namespace {

using Bytes = const unsigned char*;

// A result of `length` bytes plus its terminator. The runtime heap takes
// 32-bit sizes; anything larger is reported like any failed allocation.
unsigned char* AllocateResult(size_t length) {
  if (length >= 0x7FFFFFFFu) AllocateMemory(-1);  // reports and ends the program
  return static_cast<unsigned char*>(AllocateMemory(static_cast<int32_t>(length + 1)));
}

// The width modes run twice over the source: once with `out` null to count
// the bytes, once to write them, so the result is allocated exactly once.
class Output {
 public:
  explicit Output(unsigned char* out) : out_(out) {}
  void Put(unsigned char b) {
    if (out_ != nullptr) out_[size_] = b;
    ++size_;
  }
  void Put(unsigned char a, unsigned char b) {
    Put(a);
    Put(b);
  }
  size_t size() const { return size_; }

 private:
  unsigned char* out_;
  size_t size_ = 0;
};

size_t ToFullWidth(Bytes s, unsigned char* out) {
  Output o(out);
  for (size_t i = 0; s[i] != 0; ++i) {
    const unsigned char b = s[i];
    if (b >= 0x80) {
      if (s[i + 1] == 0) break;  // a lone lead byte at the end is dropped
      o.Put(b, s[i + 1]);
      ++i;
    } else if (b == 0x20) {
      o.Put(0xA1, 0xA1);
    } else if (b == 0x7E) {
      o.Put(0xA1, 0xAB);
    } else if (b >= 0x21 && b <= 0x7D) {
      o.Put(0xA3, static_cast<unsigned char>(b | 0x80));
    } else {
      o.Put(b);
    }
  }
  return o.size();
}

size_t ToHalfWidth(Bytes s, unsigned char* out) {
  Output o(out);
  for (size_t i = 0; s[i] != 0; ++i) {
    const unsigned char b = s[i];
    if (b < 0x80) {
      o.Put(b);
      continue;
    }
    const unsigned char t = s[i + 1];
    if (t == 0) break;  // a lone lead byte at the end is dropped
    ++i;
    if (b == 0xA1 && t == 0xA1) {
      o.Put(0x20);
    } else if (b == 0xA1 && t == 0xAB) {
      o.Put(0x7E);
    } else if (b == 0xA1 && (t == 0xEE || t == 0xEF)) {
      o.Put(0x2A);
    } else if (b == 0xA3 && t >= 0xA1 && t <= 0xFE) {
      o.Put(static_cast<unsigned char>(t & 0x7F));
    } else {
      o.Put(b, t);
    }
  }
  return o.size();
}

char* BuildWidthText(Bytes s, size_t (*convert)(Bytes, unsigned char*)) {
  const size_t length = convert(s, nullptr);
  if (length == 0) return nullptr;
  unsigned char* result = AllocateResult(length);
  convert(s, result);
  result[length] = 0;
  return reinterpret_cast<char*>(result);
}

// The case modes keep the length: copy, then change letters in place.
char* ChangeCase(Bytes s, unsigned char first, unsigned char last, int delta) {
  const size_t length = std::strlen(reinterpret_cast<const char*>(s));
  if (length == 0) return nullptr;
  unsigned char* result = AllocateResult(length);
  std::memcpy(result, s, length + 1);
  for (size_t i = 0; result[i] != 0; ++i) {
    const unsigned char b = result[i];
    if (b >= 0x80) {
      // The trail byte may look like a letter; it is passed over unchanged.
      if (result[i + 1] == 0) break;
      ++i;
    } else if (b >= first && b <= last) {
      result[i] = static_cast<unsigned char>(b + delta);
    }
  }
  return reinterpret_cast<char*>(result);
}

}  // namespace

char* TransformText(const char* text, int32_t mode) {
  if (text == nullptr || *text == '\0') return nullptr;
  const auto* s = reinterpret_cast<Bytes>(text);
  switch (mode) {
    case kTransformUpperCase:
      return ChangeCase(s, 0x61, 0x7A, -0x20);
    case kTransformLowerCase:
      return ChangeCase(s, 0x41, 0x5A, 0x20);
    case kTransformFullWidth:
      return BuildWidthText(s, ToFullWidth);
    case kTransformHalfWidth:
      return BuildWidthText(s, ToHalfWidth);
    default:
      return NewText(text);
  }
}

int32_t ReadDecimal(const char* text) {
  if (text == nullptr) return 0;
  auto p = reinterpret_cast<Bytes>(text);
  while (*p == 0x20 || (*p >= 0x09 && *p <= 0x0D)) ++p;
  bool negative = false;
  if (*p == 0x2B || *p == 0x2D) {
    negative = *p == 0x2D;
    ++p;
  }
  uint32_t value = 0;  // unsigned: overflow wraps around by definition
  for (; *p >= 0x30 && *p <= 0x39; ++p) value = value * 10u + static_cast<uint32_t>(*p - 0x30);
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

}  // namespace rt
