#pragma once
// Builds PF1 files byte by byte for the graphics tests, and reads pixels back
// from the frame buffer.
#include <array>
#include <cstdint>
#include <vector>

#include "graphics/graphicDevice.h"
#include "support/TestSupport.h"

namespace pf1test {

using lmtest::Bytes;

// One block: pixel stream followed by its 256-word palette.
inline Bytes block(const Bytes& stream, const std::array<uint16_t, 256>& pal) {
  Bytes b = stream;
  for (uint16_t w : pal) lmtest::put16(b, w);
  return b;
}

// A whole file; `num` defaults to the number of blocks, `sizes` to their real sizes.
inline Bytes file(int width, int height, const std::vector<Bytes>& blocks, int num = -1,
                  std::vector<uint32_t> sizes = {}) {
  if (num < 0) num = static_cast<int>(blocks.size());
  if (sizes.empty())
    for (const Bytes& b : blocks) sizes.push_back(static_cast<uint32_t>(b.size()));
  Bytes f = {'P', 'F', '1', 0, 0, 0};
  lmtest::put16(f, width);
  lmtest::put16(f, height);
  lmtest::put16(f, 0);
  lmtest::put16(f, num);
  lmtest::put16(f, 0);
  for (uint32_t s : sizes) lmtest::put32(f, s);
  for (const Bytes& b : blocks) f.insert(f.end(), b.begin(), b.end());
  return f;
}

// A block of n literal pixels, all of word w (split into runs of up to 127).
inline Bytes literalBlock(size_t n, uint16_t w) {
  Bytes s;
  while (n > 0) {
    size_t k = n > 127 ? 127 : n;
    s.push_back(static_cast<unsigned char>(k));
    for (size_t i = 0; i < k; i++) lmtest::put16(s, w);
    n -= k;
  }
  return block(s, {});
}

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline Rgb at(const ZegDevice& zeg, int x, int y) {
  const unsigned char* p = zeg.videoMemory + y * zeg.bytesPerLine + x * 3;
  return {p[2], p[1], p[0]};
}

inline void put(ZegDevice& zeg, int x, int y, Rgb c) {
  unsigned char* p = zeg.videoMemory + y * zeg.bytesPerLine + x * 3;
  p[0] = static_cast<unsigned char>(c.b);
  p[1] = static_cast<unsigned char>(c.g);
  p[2] = static_cast<unsigned char>(c.r);
}

inline void fill(ZegDevice& zeg, Rgb c) {
  for (int y = 0; y < zeg.height; y++)
    for (int x = 0; x < zeg.width; x++) put(zeg, x, y, c);
}

}  // namespace pf1test
