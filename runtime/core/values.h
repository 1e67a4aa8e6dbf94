// Typed 12-byte values passed to and returned by every command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace rt {

enum TypeTag : uint32_t {
  kTagOmitted = 0,
  kTagByte = 0x80000101,
  kTagShort = 0x80000201,
  kTagInt = 0x80000301,
  kTagInt64 = 0x80000401,
  kTagFloat = 0x80000501,
  kTagDouble = 0x80000601,
  kTagBool = 0x80000002,
  kTagDateTime = 0x80000003,
  kTagText = 0x80000004,
  kTagBuffer = 0x80000005,
  kTagSubroutine = 0x80000006,
  kTagWide8 = 0x80000008,  // only in event arguments; carried as 8 bytes
};

#pragma pack(push, 1)
// An 8-byte payload and a type tag. 32-bit kinds use the first four bytes
// and leave the rest zero; pointers occupy the first sizeof(void*) bytes.
struct ArgValue {
  unsigned char payload[8];
  uint32_t tag;

  uint32_t Word(int i) const {
    uint32_t w;
    std::memcpy(&w, payload + 4 * i, 4);
    return w;
  }
  int32_t AsInt() const { return static_cast<int32_t>(Word(0)); }
  int64_t AsInt64() const {
    int64_t v;
    std::memcpy(&v, payload, 8);
    return v;
  }
  double AsDouble() const {
    double v;
    std::memcpy(&v, payload, 8);
    return v;
  }
  float AsFloat() const {
    float v;
    std::memcpy(&v, payload, 4);
    return v;
  }
  uintptr_t AsAddress() const {
    uintptr_t v;
    std::memcpy(&v, payload, sizeof v);
    return v;
  }
  const char* AsText() const { return reinterpret_cast<const char*>(AsAddress()); }
  bool IsOmitted() const { return tag == kTagOmitted; }

  static ArgValue Make(uint32_t tag) {
    ArgValue v{};
    v.tag = tag;
    return v;
  }
  static ArgValue Int(int32_t i) {
    ArgValue v = Make(kTagInt);
    std::memcpy(v.payload, &i, 4);
    return v;
  }
  static ArgValue Int64(int64_t i) {
    ArgValue v = Make(kTagInt64);
    std::memcpy(v.payload, &i, 8);
    return v;
  }
  static ArgValue Byte(uint8_t b) {
    ArgValue v = Make(kTagByte);
    v.payload[0] = b;
    return v;
  }
  static ArgValue Short(int16_t s) {
    ArgValue v = Make(kTagShort);
    std::memcpy(v.payload, &s, 2);
    return v;
  }
  static ArgValue Float(float f) {
    ArgValue v = Make(kTagFloat);
    std::memcpy(v.payload, &f, 4);
    return v;
  }
  static ArgValue Double(double d, uint32_t tag = kTagDouble) {
    ArgValue v = Make(tag);
    std::memcpy(v.payload, &d, 8);
    return v;
  }
  static ArgValue DateTime(double days) { return Double(days, kTagDateTime); }
  static ArgValue Bool(bool b) {
    ArgValue v = Make(kTagBool);
    v.payload[0] = b ? 1 : 0;
    return v;
  }
  static ArgValue Address(const void* p, uint32_t tag) {
    ArgValue v = Make(tag);
    uintptr_t a = reinterpret_cast<uintptr_t>(p);
    std::memcpy(v.payload, &a, sizeof a);
    return v;
  }
  static ArgValue Text(const char* s) { return Address(s, kTagText); }
  static ArgValue Omitted() { return Make(kTagOmitted); }
};
#pragma pack(pop)

static_assert(sizeof(ArgValue) == 12, "ArgValue is 12 bytes");
static_assert(offsetof(ArgValue, payload) == 0, "payload first");
static_assert(offsetof(ArgValue, tag) == 8, "tag after the 8-byte payload");
static_assert(sizeof(uintptr_t) <= 8, "a pointer fits the payload");

// The one shape of every command. The caller zeroes *result first.
using CommandFn = void (*)(ArgValue* result, int32_t argc, ArgValue* args);

// A command's result. Only the payload is written: the caller knows the
// kind, and the record keeps the tag its call gate zeroed.
inline void SetInt(ArgValue* result, int32_t value) { std::memcpy(result->payload, &value, 4); }
inline void SetBool(ArgValue* result, bool value) { SetInt(result, value ? 1 : 0); }
inline void SetInt64(ArgValue* result, int64_t value) { std::memcpy(result->payload, &value, 8); }
inline void SetDouble(ArgValue* result, double value) { std::memcpy(result->payload, &value, 8); }
inline void SetAddress(ArgValue* result, const void* address) {
  const uintptr_t a = reinterpret_cast<uintptr_t>(address);
  std::memcpy(result->payload, &a, sizeof a);
}
// A text that the caller then owns; null is the empty text.
inline void SetText(ArgValue* result, const char* text) { SetAddress(result, text); }

// The two call gates: zero a result record, call, hand the record back.
ArgValue CallCoreCommand(CommandFn command, int32_t argc, ArgValue* args);
ArgValue CallLibraryCommand(CommandFn command, int32_t argc, ArgValue* args);

}  // namespace rt
