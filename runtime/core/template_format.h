// The byte format of the window template: reading it into window records and
// writing records back. One description of every field layout (the Visit*
// templates below) serves both directions, so reader and writer cannot drift.
//
// Layout, little-endian, no alignment:
//   index size S (int32, 8 * W), W window ids, W slots (placeholders,
//   carried unchanged), then W window entries:
//     word A, word B, text 1 and text 2 (counted), unit count N (int32),
//     unit block size Z (int32), then Z bytes: N unit ids, N record offsets
//     (from the end of the offset table), and N records, each a uint32
//     length R and R bytes (VisitUnitRecord).
//
// What the reader rejects (returns false, reads nothing outside the buffer):
//   - any field running past the end of its enclosing block (stream, unit
//     block, record);
//   - S negative or not a multiple of 8, and any count or size that is
//     negative or larger than the bytes left could hold;
//   - a window with no units (every window needs its own unit);
//   - records that do not follow one another in unit order without gaps,
//     starting at offset 0 and filling the unit block exactly: the writer
//     lays them out that way, so anything else could not be written back
//     unchanged (this also rules out overlapping records);
//   - a zero text without its terminator inside its record;
//   - bytes left over after a menu item record's handler offset;
//   - trailing bytes after the last window entry.
// Everything the reader accepts is kept, so writing what was read gives the
// same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/unit_record.h"

namespace rt {

bool ReadWindowTemplate(const uint8_t* data, size_t size, std::vector<WindowRecord>* windows);

// Empty when a record cannot be stored (a zero text holding a zero byte, a
// size beyond 32 bits); an empty stream is never a valid template.
std::vector<uint8_t> WriteWindowTemplate(const std::vector<WindowRecord>& windows);

// Turns stored handler offsets into handler indexes: -1 is no handler; any
// other offset must be a non-negative multiple of 4 below 4 * handler_count.
// False on the first offset that is neither; the caller reports the
// template error.
bool ResolveHandlers(std::vector<WindowRecord>& windows, int32_t handler_count);

namespace template_stream {

// Reads fields from a bounded block; every failure is sticky and no read
// goes past the block.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), left_(size) {}

  size_t Left() const { return left_; }
  bool AtEnd() const { return left_ == 0; }

  bool U32(uint32_t& v) {
    if (left_ < 4) return false;
    v = static_cast<uint32_t>(p_[0]) | static_cast<uint32_t>(p_[1]) << 8 |
        static_cast<uint32_t>(p_[2]) << 16 | static_cast<uint32_t>(p_[3]) << 24;
    Skip(4);
    return true;
  }
  bool I32(int32_t& v) {
    uint32_t u = 0;
    if (!U32(u)) return false;
    v = static_cast<int32_t>(u);
    return true;
  }
  bool U16(uint16_t& v) {
    if (left_ < 2) return false;
    v = static_cast<uint16_t>(p_[0] | p_[1] << 8);
    Skip(2);
    return true;
  }
  // Bytes up to a zero byte, which must lie inside the block.
  bool ZeroText(std::string& s) {
    const void* end = left_ == 0 ? nullptr : std::memchr(p_, 0, left_);
    if (end == nullptr) return false;
    const size_t n = static_cast<size_t>(static_cast<const uint8_t*>(end) - p_);
    s.assign(reinterpret_cast<const char*>(p_), n);
    Skip(n + 1);
    return true;
  }
  // A signed 32-bit byte count, then that many bytes.
  bool CountedText(std::string& s) {
    size_t n = 0;
    if (!Count(n, 1)) return false;
    s.assign(reinterpret_cast<const char*>(p_), n);
    Skip(n);
    return true;
  }
  bool Block(std::vector<uint8_t>& b) {
    size_t n = 0;
    if (!Count(n, 1)) return false;
    b.assign(p_, p_ + n);
    Skip(n);
    return true;
  }
  // Everything up to the end of the block.
  bool Rest(std::vector<uint8_t>& b) {
    b.assign(p_, p_ + left_);
    Skip(left_);
    return true;
  }
  // A signed 32-bit count, then that many items of at least item_bytes each.
  template <class T, class Each>
  bool List(std::vector<T>& v, size_t item_bytes, Each each) {
    size_t n = 0;
    if (!Count(n, item_bytes)) return false;
    v.assign(n, T());
    for (T& item : v) {
      if (!each(item)) return false;
    }
    return true;
  }
  bool End() const { return AtEnd(); }

  // A signed 32-bit count whose items (item_bytes each at least) fit in what
  // is left; bounds every allocation by the input size.
  bool Count(size_t& n, size_t item_bytes) {
    int32_t count = 0;
    if (!I32(count) || count < 0) return false;
    n = static_cast<size_t>(count);
    return item_bytes == 0 || n <= left_ / item_bytes;
  }
  // Splits off the next n bytes as a block of their own.
  bool Take(size_t n, Reader& part) {
    if (n > left_) return false;
    part = Reader(p_, n);
    Skip(n);
    return true;
  }

 private:
  void Skip(size_t n) {
    p_ += n;
    left_ -= n;
  }

  const uint8_t* p_;
  size_t left_;
};

// Appends fields; Ok() turns false when a value cannot be stored faithfully.
class Writer {
 public:
  const std::vector<uint8_t>& Bytes() const { return out_; }
  bool Ok() const { return ok_; }

  bool U32(const uint32_t& v) {
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    out_.insert(out_.end(), b, b + 4);
    return true;
  }
  bool I32(const int32_t& v) { return U32(static_cast<uint32_t>(v)); }
  bool U16(const uint16_t& v) {
    out_.push_back(static_cast<uint8_t>(v));
    out_.push_back(static_cast<uint8_t>(v >> 8));
    return true;
  }
  bool ZeroText(const std::string& s) {
    if (s.find('\0') != std::string::npos) return Fail();
    out_.insert(out_.end(), s.begin(), s.end());
    out_.push_back(0);
    return true;
  }
  bool CountedText(const std::string& s) {
    if (!Size(s.size())) return false;
    out_.insert(out_.end(), s.begin(), s.end());
    return true;
  }
  bool Block(const std::vector<uint8_t>& b) {
    if (!Size(b.size())) return false;
    out_.insert(out_.end(), b.begin(), b.end());
    return true;
  }
  bool Rest(const std::vector<uint8_t>& b) {
    out_.insert(out_.end(), b.begin(), b.end());
    return true;
  }
  template <class T, class Each>
  bool List(const std::vector<T>& v, size_t /*item_bytes*/, Each each) {
    if (!Size(v.size())) return false;
    for (const T& item : v) {
      if (!each(item)) return false;
    }
    return true;
  }
  bool End() const { return true; }

  // A count or byte size, stored as a signed 32-bit word.
  bool Size(size_t n) {
    if (n > 0x7FFFFFFFu) return Fail();
    return U32(static_cast<uint32_t>(n));
  }
  void Append(const std::vector<uint8_t>& bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }
  bool Fail() {
    ok_ = false;
    return false;
  }

 private:
  std::vector<uint8_t> out_;
  bool ok_ = true;
};

// The fields of one unit record, in stored order. U is UnitRecord for the
// reader and const UnitRecord for the writer; u.id (from the unit id table)
// picks the menu item layout.
template <class Stream, class U>
bool VisitUnitRecord(Stream& s, U& u) {
  if (!s.U32(u.type_id) || !s.U32(u.shared_handler_unit)) return false;
  for (auto& word : u.header_reserved) {
    if (!s.U32(word)) return false;
  }
  if (!s.ZeroText(u.name) || !s.ZeroText(u.text2)) return false;

  if (IsMenuItemId(u.id)) {
    return s.U32(u.menu_reserved[0]) && s.U32(u.menu_reserved[1]) && s.U32(u.flags) &&
           s.ZeroText(u.caption) && s.I32(u.menu_event.offset) && s.End();
  }

  if (!s.U32(u.live_slot) || !s.I32(u.left) || !s.I32(u.top) || !s.I32(u.width) ||
      !s.I32(u.height) || !s.U32(u.pointer_slot) || !s.U32(u.container)) {
    return false;
  }
  if (!s.List(u.contained, 4, [&s](auto& id) { return s.U32(id); })) return false;
  if (!s.Block(u.pointer_data)) return false;
  if (!s.ZeroText(u.tag) || !s.U32(u.reserved_a) || !s.U32(u.flags) || !s.I32(u.focus_rank)) {
    return false;
  }
  if (!s.List(u.events, 8, [&s](auto& e) { return s.I32(e.event) && s.I32(e.offset); })) {
    return false;
  }
  for (auto& word : u.reserved_b) {
    if (!s.U32(word)) return false;
  }
  return s.Rest(u.type_data);
}

}  // namespace template_stream
}  // namespace rt
