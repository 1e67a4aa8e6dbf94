// Builds little-endian byte streams by hand for the template format tests,
// independently of the template writer, so the tests check the layout itself
// and not only that reader and writer agree.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace rt {
namespace testing_bytes {

class Bytes {
 public:
  Bytes& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  Bytes& I32(int32_t v) { return U32(static_cast<uint32_t>(v)); }
  Bytes& U16(uint16_t v) {
    b_.push_back(static_cast<uint8_t>(v));
    b_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  Bytes& Zero(const std::string& s) {  // a zero text
    b_.insert(b_.end(), s.begin(), s.end());
    b_.push_back(0);
    return *this;
  }
  Bytes& Counted(const std::string& s) {  // int32 count + bytes
    I32(static_cast<int32_t>(s.size()));
    b_.insert(b_.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& Raw(const std::vector<uint8_t>& v) {
    b_.insert(b_.end(), v.begin(), v.end());
    return *this;
  }
  Bytes& Raw(const std::string& s) {
    b_.insert(b_.end(), s.begin(), s.end());
    return *this;
  }
  const std::vector<uint8_t>& Get() const { return b_; }
  size_t Size() const { return b_.size(); }

 private:
  std::vector<uint8_t> b_;
};

// A window entry as raw pieces; BuildTemplate frames it.
struct RawWindow {
  uint32_t id = 0;
  uint32_t word_a = 0;
  uint32_t word_b = 0;
  std::string text1;
  std::string text2;
  std::vector<uint32_t> unit_ids;
  std::vector<std::vector<uint8_t>> records;  // record bodies, without their length
};

// Index, entries, unit blocks with offsets from the end of the offset table
// and length-prefixed records, as the format lays them out.
inline std::vector<uint8_t> BuildTemplate(const std::vector<RawWindow>& windows,
                                          uint32_t slot_value = 0) {
  Bytes out;
  out.I32(static_cast<int32_t>(8 * windows.size()));
  for (const RawWindow& w : windows) out.U32(w.id);
  for (size_t i = 0; i < windows.size(); ++i) out.U32(slot_value);
  for (const RawWindow& w : windows) {
    out.U32(w.word_a).U32(w.word_b).Counted(w.text1).Counted(w.text2);
    size_t records_size = 0;
    for (const auto& r : w.records) records_size += 4 + r.size();
    out.I32(static_cast<int32_t>(w.unit_ids.size()));
    out.I32(static_cast<int32_t>(8 * w.unit_ids.size() + records_size));
    for (uint32_t id : w.unit_ids) out.U32(id);
    uint32_t offset = 0;
    for (const auto& r : w.records) {
      out.U32(offset);
      offset += static_cast<uint32_t>(4 + r.size());
    }
    for (const auto& r : w.records) out.U32(static_cast<uint32_t>(r.size())).Raw(r);
  }
  return out.Get();
}

inline uint32_t WordAt(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | b.at(at + i);
  return v;
}

inline int32_t IntAt(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(WordAt(b, at));
}

}  // namespace testing_bytes
}  // namespace rt
