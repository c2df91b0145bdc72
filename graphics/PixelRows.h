#pragma once
// The row kernel behind every full-width picture draw: image pixels are
// R, G, B; frame-buffer pixels are B, G, R.
#include <cstddef>

namespace pixelrows {

// For i in 0..n-1, when mask is null or mask[i] != 0:
//   dst[3i + 0] = F(src[3i + 2]); dst[3i + 1] = F(src[3i + 1]); dst[3i + 2] = F(src[3i + 0])
// with F(b) = fadeTable[b][level], or F(b) = b at level 128; pixels whose mask
// is 0 keep the screen. `lut` is fade level `level`'s column of the fade table.
void drawRow(unsigned char* dst, const unsigned char* src, const signed char* mask, size_t n, int level,
             const unsigned char* lut);

}  // namespace pixelrows
