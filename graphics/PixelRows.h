#pragma once
// Row kernels shared by the picture drawing code: image pixels are R, G, B,
// the frame buffer's are B, G, R.
#include <cstddef>

namespace pixelrows {

// dst[3i..3i+2] = src[3i+2], src[3i+1], src[3i]
inline void copy(unsigned char* __restrict dst, const unsigned char* __restrict src, size_t n) {
  for (size_t i = 0; i < n; i++) {
    dst[3 * i + 0] = src[3 * i + 2];
    dst[3 * i + 1] = src[3 * i + 1];
    dst[3 * i + 2] = src[3 * i + 0];
  }
}

// dst = lut[src] per byte, B G R order; lut is one fade level's column of the fade table.
inline void fade(unsigned char* __restrict dst, const unsigned char* __restrict src, size_t n,
                 const unsigned char* __restrict lut) {
  for (size_t i = 0; i < n; i++) {
    dst[3 * i + 0] = lut[src[3 * i + 2]];
    dst[3 * i + 1] = lut[src[3 * i + 1]];
    dst[3 * i + 2] = lut[src[3 * i + 0]];
  }
}

// dst = mask ? src : dst (transparent pixels keep the screen)
inline void copyMasked(unsigned char* __restrict dst, const unsigned char* __restrict src,
                       const signed char* __restrict mask, size_t n) {
  for (size_t i = 0; i < n; i++) {
    bool on = mask[i] != 0;
    dst[3 * i + 0] = on ? src[3 * i + 2] : dst[3 * i + 0];
    dst[3 * i + 1] = on ? src[3 * i + 1] : dst[3 * i + 1];
    dst[3 * i + 2] = on ? src[3 * i + 0] : dst[3 * i + 2];
  }
}

// dst = mask ? lut[src] : dst
inline void fadeMasked(unsigned char* __restrict dst, const unsigned char* __restrict src,
                       const signed char* __restrict mask, size_t n, const unsigned char* __restrict lut) {
  for (size_t i = 0; i < n; i++) {
    bool on = mask[i] != 0;
    dst[3 * i + 0] = on ? lut[src[3 * i + 2]] : dst[3 * i + 0];
    dst[3 * i + 1] = on ? lut[src[3 * i + 1]] : dst[3 * i + 1];
    dst[3 * i + 2] = on ? lut[src[3 * i + 0]] : dst[3 * i + 2];
  }
}

}  // namespace pixelrows
