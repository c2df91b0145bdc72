// Plain row kernels and the choice of path: each call goes through the table
// of the path in use, which the fastest path the CPU runs fills at start-up.
#include "graphics/PixelRows.h"

#include <cstring>

#include "graphics/PixelRowsPaths.h"

namespace pixelrows {

namespace plain {

namespace {

template <bool Faded, bool Masked>
void row(unsigned char* __restrict dst, const unsigned char* __restrict src, const signed char* __restrict mask,
         size_t n, const unsigned char* __restrict lut) {
  for (size_t i = 0; i < n; i++) {
    if (Masked && !mask[i]) continue;
    unsigned char r = src[3 * i], g = src[3 * i + 1], b = src[3 * i + 2];
    if (Faded) {
      r = lut[r];
      g = lut[g];
      b = lut[b];
    }
    dst[3 * i] = b;
    dst[3 * i + 1] = g;
    dst[3 * i + 2] = r;
  }
}

inline void putBgra(unsigned char* d, const uint32_t* px) {
  unsigned char p[4];
  std::memcpy(p, px, 4);
  if (!p[3]) return;
  d[0] = p[0];
  d[1] = p[1];
  d[2] = p[2];
}

}  // namespace

void drawBlock(const Block& b, int level, const unsigned char* lut) {
  const bool faded = level != 128;
  for (size_t k = 0; k < b.rows; k++) {
    unsigned char* dst = b.dst + static_cast<long>(k) * b.dstStep;
    const unsigned char* src = b.src + static_cast<long>(k) * b.srcStep;
    const signed char* mask = b.mask ? b.mask + static_cast<long>(k) * b.maskStep : nullptr;
    if (mask) {
      if (faded)
        row<true, true>(dst, src, mask, b.n, lut);
      else
        row<false, true>(dst, src, mask, b.n, lut);
    } else {
      if (faded)
        row<true, false>(dst, src, nullptr, b.n, lut);
      else
        row<false, false>(dst, src, nullptr, b.n, lut);
    }
  }
}

void prepareColumns(Columns& cols) {
  cols.preparedFor = Path::Plain;
  cols.tables.clear();
}

void gatherRow(unsigned char* dst, const unsigned char* src, size_t, const Columns& cols) {
  const int32_t* at = cols.at.data();
  for (size_t i = 0; i < cols.at.size(); i++) {
    const unsigned char* s = src + at[i];
    dst[3 * i] = s[2];
    dst[3 * i + 1] = s[1];
    dst[3 * i + 2] = s[0];
  }
}

void bgraRow(unsigned char* dst, const uint32_t* px, size_t n) {
  for (size_t i = 0; i < n; i++) putBgra(dst + 3 * i, px + i);
}

void bgraWalkRow(unsigned char* dst, const uint32_t* px, size_t pixels, const Walk& w, size_t n) {
  long long X = w.X, Y = w.Y;
  for (size_t i = 0; i < n; i++, X += w.dX, Y += w.dY) {
    const long long x = X / w.m + w.hw, y = Y / w.m + w.hh;
    if (x < 0 || x >= 2 * w.hw || y < 0 || y >= 2 * w.hh) continue;  // outside the run's contract; kept as a guard
    const unsigned long long p = static_cast<unsigned long long>(y) * w.width + static_cast<unsigned long long>(x);
    if (p < pixels) putBgra(dst + 3 * i, px + p);
  }
}

}  // namespace plain

namespace {

const Kernels plainKernels = {plain::drawBlock, plain::prepareColumns, plain::gatherRow, plain::bgraRow, plain::bgraWalkRow};

const Kernels* kernelsFor(Path path) {
  switch (path) {
    case Path::Plain:
      return &plainKernels;
    case Path::Ssse3:
      return ssse3Kernels();
    case Path::Avx2:
      return avx2Kernels();
    case Path::Avx512:
      return avx512Kernels();
  }
  return nullptr;
}

Path fastest() {
  if (avx512Kernels()) return Path::Avx512;
  if (avx2Kernels()) return Path::Avx2;
  if (ssse3Kernels()) return Path::Ssse3;
  return Path::Plain;
}

// Chosen on first use, so that no other start-up code depends on the order
// in which files are initialised.
struct InUse {
  Path path;
  const Kernels* kernels;
};
InUse& inUse() {
  static InUse use{fastest(), kernelsFor(fastest())};
  return use;
}

}  // namespace

bool available(Path path) { return kernelsFor(path) != nullptr; }

Path currentPath() { return inUse().path; }

bool usePath(Path path) {
  const Kernels* k = kernelsFor(path);
  if (!k) return false;
  inUse() = {path, k};
  return true;
}

const char* pathName(Path path) {
  switch (path) {
    case Path::Plain:
      return "plain";
    case Path::Ssse3:
      return "ssse3";
    case Path::Avx2:
      return "avx2";
    case Path::Avx512:
      return "avx512";
  }
  return "?";
}

void drawBlock(const Block& block, int level, const unsigned char* lut) {
  inUse().kernels->drawBlock(block, level, lut);
}

void Columns::prepare() { inUse().kernels->prepareColumns(*this); }

void gatherRow(unsigned char* dst, const unsigned char* src, size_t srcBytes, const Columns& cols) {
  inUse().kernels->gatherRow(dst, src, srcBytes, cols);
}

void bgraRow(unsigned char* dst, const uint32_t* px, size_t n) { inUse().kernels->bgraRow(dst, px, n); }

void bgraWalkRow(unsigned char* dst, const uint32_t* px, size_t pixels, const Walk& walk, size_t n) {
  inUse().kernels->bgraWalkRow(dst, px, pixels, walk, n);
}

}  // namespace pixelrows
