#pragma once
// Little-endian byte writing and bounds-checked reading for the player's own
// files (saves, read marks). A reader that runs past its end stays failed and
// reads zeros from then on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace save {

class ByteWriter {
 public:
  void u8(uint32_t v) { out_.push_back(static_cast<uint8_t>(v)); }
  void u16(uint32_t v) { put(v, 2); }
  void u32(uint32_t v) { put(v, 4); }
  void i32(int32_t v) { put(static_cast<uint32_t>(v), 4); }
  void u64(uint64_t v) { put(v, 8); }
  void i64(int64_t v) { put(static_cast<uint64_t>(v), 8); }
  // A string of at most 65535 bytes: its length (u16), then its bytes.
  void str(const std::string& s);
  void bytes(const uint8_t* p, size_t n) { out_.insert(out_.end(), p, p + n); }
  std::vector<uint8_t>& data() { return out_; }

 private:
  void put(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::vector<uint8_t> out_;
};

class ByteReader {
 public:
  ByteReader(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  uint32_t u8() { return static_cast<uint32_t>(get(1)); }
  uint32_t u16() { return static_cast<uint32_t>(get(2)); }
  uint32_t u32() { return static_cast<uint32_t>(get(4)); }
  int32_t i32() { return static_cast<int32_t>(get(4)); }
  uint64_t u64() { return get(8); }
  int64_t i64() { return static_cast<int64_t>(get(8)); }
  // A string written by ByteWriter::str, refused (failed) when longer than `cap`.
  std::string str(size_t cap);
  // `n` raw bytes; empty and failed when fewer remain.
  std::vector<uint8_t> bytes(size_t n);
  bool ok() const { return ok_; }
  bool atEnd() const { return at_ == n_; }

 private:
  uint64_t get(int n);
  const uint8_t* p_;
  size_t n_;
  size_t at_ = 0;
  bool ok_ = true;
};

// CRC-32 (as zlib and PNG compute it) of `n` bytes, continuing from `crc`.
uint32_t crc32Of(const uint8_t* p, size_t n, uint32_t crc = 0);

}  // namespace save
