// Reading and writing the type data that the window template stores for a
// control: 32-bit little-endian words, 16-bit words and counted byte runs.
// Reads past the end fail instead of reading outside the data.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace rt {

class StoredDataReader {
 public:
  StoredDataReader(const uint8_t* data, size_t size) : data_(data), size_(data != nullptr ? size : 0) {}

  bool AtEnd() const { return offset_ >= size_; }
  bool ok() const { return ok_; }
  // For data that must end here: more bytes fail it.
  void ExpectEnd() {
    if (!AtEnd()) ok_ = false;
  }

  int32_t Word() {
    uint8_t b[4] = {};
    Take(b, 4);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                                (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24));
  }
  uint16_t Half() {
    uint8_t b[2] = {};
    Take(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
  }
  // A 32-bit length and that many bytes.
  std::string Counted() {
    const int32_t length = Word();
    if (!ok_ || length < 0 || static_cast<size_t>(length) > size_ - offset_) {
      ok_ = false;
      return std::string();
    }
    std::string bytes(reinterpret_cast<const char*>(data_ + offset_), static_cast<size_t>(length));
    offset_ += static_cast<size_t>(length);
    return bytes;
  }

 private:
  void Take(uint8_t* out, size_t n) {
    if (!ok_ || n > size_ - offset_) {
      ok_ = false;
      return;
    }
    std::memcpy(out, data_ + offset_, n);
    offset_ += n;
  }

  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
  bool ok_ = true;
};

// The stored data of a control type: empty data gives the defaults;
// otherwise the version word, which must lie in oldest..newest, then the
// fields, which `read_fields(reader, data)` reads (the version already in
// data). False for another version or data that ends early; *data changes
// only on success.
template <typename Data, typename ReadFields>
bool ReadStoredData(const uint8_t* bytes, size_t size, int32_t oldest, int32_t newest, Data* data,
                    ReadFields read_fields) {
  if (bytes == nullptr || size == 0) {
    *data = Data();
    return true;
  }
  StoredDataReader r(bytes, size);
  Data d;
  d.version = r.Word();
  if (!r.ok() || d.version < oldest || d.version > newest) return false;
  read_fields(r, d);
  if (!r.ok()) return false;
  *data = d;
  return true;
}

class StoredDataWriter {
 public:
  void Word(int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Half(uint16_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
  }
  void Counted(const std::string& bytes) {
    Word(static_cast<int32_t>(bytes.size()));
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace rt
