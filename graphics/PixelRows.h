#pragma once
// The row kernels behind every picture and face draw: image pixels are
// R, G, B; frame-buffer pixels are B, G, R. Each kernel has a plain loop (the
// reference, and the only one off x86) and vector versions for the CPUs that
// run them; the fastest one the CPU runs is chosen at start-up. Every version
// gives the same bytes as the plain loop.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixelrows {

// The vector paths; a path the CPU or the compiler lacks is not available.
// Avx512 needs its byte-permute (VBMI) and byte-mask (BW) parts.
enum class Path { Plain, Ssse3, Avx2, Avx512 };
bool available(Path path);
// The path in use (at start-up the fastest available one).
Path currentPath();
// Uses `path` from now on (tests and benchmarks compare them); false, and no
// change, when it is not available.
bool usePath(Path path);
const char* pathName(Path path);

// One run of a rotated, scaled sampling: run pixel i shows image pixel
//   x = trunc((X + i * dX) / m) + hw,   y = trunc((Y + i * dY) / m) + hh
// (m > 0). The caller has solved the run so that 0 <= x < 2 * hw and
// 0 <= y < 2 * hh for every i, with 2 * hw <= width.
struct Walk {
  long long X, Y, dX, dY, m;
  long long hw, hh;
  int width;
};

// `rows` rows of n pixels: row k goes from src + k * srcStep (and its mask
// from mask + k * maskStep) to dst + k * dstStep. Steps are in bytes and may
// be negative (the frame buffer is stored bottom-up). Null mask: no mask.
struct Block {
  unsigned char* dst;
  long dstStep;
  const unsigned char* src;
  long srcStep;
  const signed char* mask;
  long maskStep;
  size_t n;
  size_t rows;
};

// In every row, for i in 0..n-1, when mask is null or mask[i] != 0:
//   dst[3i + 0] = F(src[3i + 2]); dst[3i + 1] = F(src[3i + 1]); dst[3i + 2] = F(src[3i + 0])
// with F(b) = fadeTable[b][level], or F(b) = b at level 128; pixels whose mask
// is 0 keep the screen. `lut` is fade level `level`'s column of the fade table
// (unused at 128). Source and destination do not overlap.
void drawBlock(const Block& block, int level, const unsigned char* lut);

// A zoom row's sampled columns: at[i] is output pixel i's source byte offset
// (3 * column), in increasing order. prepare() lets the path in use work out
// what it needs from them once for all the rows that share them; call it
// after changing `at` (a list prepared for another path still works).
struct Columns {
  std::vector<int32_t> at;
  void prepare();

  Path preparedFor = Path::Plain;
  std::vector<unsigned char> tables;  // the preparing path's own
};

// Zoom sampling, for i in 0..n-1 (n = cols.at.size()):
//   dst[3i + 0] = src[at[i] + 2]; dst[3i + 1] = src[at[i] + 1]; dst[3i + 2] = src[at[i]]
// Only src[0 .. srcBytes - 1] is read (every at[i] + 2 lies below srcBytes).
void gatherRow(unsigned char* dst, const unsigned char* src, size_t srcBytes, const Columns& cols);

// Face pixels, already composed and in screen order: B, G, R, A with A 0 for
// transparent and 0xFF for opaque. For i in 0..n-1, when px[i]'s A != 0:
//   dst[3i + 0..2] = px[i]'s B, G, R
void bgraRow(unsigned char* dst, const uint32_t* px, size_t n);

// The same for a rotated, scaled run: dst pixel i takes px[y * width + x] of
// the walk above. `pixels` is the size of px.
void bgraWalkRow(unsigned char* dst, const uint32_t* px, size_t pixels, const Walk& walk, size_t n);


// The plain loops themselves, always available: the reference the vector
// versions are tested against.
namespace plain {
void drawBlock(const Block& block, int level, const unsigned char* lut);
void prepareColumns(Columns& cols);
void gatherRow(unsigned char* dst, const unsigned char* src, size_t srcBytes, const Columns& cols);
void bgraRow(unsigned char* dst, const uint32_t* px, size_t n);
void bgraWalkRow(unsigned char* dst, const uint32_t* px, size_t pixels, const Walk& walk, size_t n);
}  // namespace plain

}  // namespace pixelrows
