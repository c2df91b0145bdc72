#include "save/Bytes.h"

#include <algorithm>
#include <array>

namespace save {

void ByteWriter::str(const std::string& s) {
  const size_t n = std::min<size_t>(s.size(), 0xFFFF);
  u16(static_cast<uint32_t>(n));
  bytes(reinterpret_cast<const uint8_t*>(s.data()), n);
}

uint64_t ByteReader::get(int n) {
  if (!ok_ || n_ - at_ < static_cast<size_t>(n)) {
    ok_ = false;
    return 0;
  }
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) v |= static_cast<uint64_t>(p_[at_ + i]) << (8 * i);
  at_ += static_cast<size_t>(n);
  return v;
}

std::string ByteReader::str(size_t cap) {
  const size_t len = u16();
  if (!ok_ || len > cap || n_ - at_ < len) {
    ok_ = false;
    return {};
  }
  std::string s(reinterpret_cast<const char*>(p_ + at_), len);
  at_ += len;
  return s;
}

std::vector<uint8_t> ByteReader::bytes(size_t n) {
  if (!ok_ || n_ - at_ < n) {
    ok_ = false;
    return {};
  }
  std::vector<uint8_t> v(p_ + at_, p_ + at_ + n);
  at_ += n;
  return v;
}

// CRC-32 as zlib and PNG compute it (reflected polynomial 0xEDB88320),
// one table look-up per byte; kept here so the browser build needs no zlib:
//   crc = ~crc; for each byte b: crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8); crc = ~crc
uint32_t crc32Of(const uint8_t* p, size_t n, uint32_t crc) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

}  // namespace save
