// Row kernel: byte-order swap, fade and mask. On x86-64 sixteen pixels go
// through SSE registers at a time (SSSE3 byte shuffles, chosen at run time);
// the plain loop handles other machines and the ends of rows.
#include "graphics/PixelRows.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define LM_PIXELROWS_SSE 1
#include <immintrin.h>
#endif

namespace pixelrows {

namespace {

template <bool Faded, bool Masked>
void plainRow(unsigned char* __restrict dst, const unsigned char* __restrict src, const signed char* __restrict mask,
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

#ifdef LM_PIXELROWS_SSE

// Shuffle masks for 16 pixels in three registers: output register o takes
// byte i from input register r at index sw[o][r][i] (0x80: none). Output
// byte j is pixel j / 3's channel 2 - j % 3 (RGB to BGR). The expansion
// masks copy pixel mask byte j / 3 to each of a pixel's three bytes.
struct Tables {
  alignas(16) unsigned char sw[3][3][16];
  alignas(16) unsigned char ex[3][16];
  Tables() {
    for (int o = 0; o < 3; o++)
      for (int i = 0; i < 16; i++) {
        int j = 16 * o + i;
        int from = 3 * (j / 3) + (2 - j % 3);
        for (int r = 0; r < 3; r++) sw[o][r][i] = from / 16 == r ? static_cast<unsigned char>(from % 16) : 0x80;
        ex[o][i] = static_cast<unsigned char>(j / 3);
      }
  }
};
const Tables tables;

// fadeTable[b][level] for 16 bytes at once:
//   level < 128:  b * level / 127
//   level >= 128: 255 - (255 - level) * (255 - b) / 127
// Both are t / 127 with t <= 255 * 127, and t / 127 == (t * 33027) >> 22 over that range.
__attribute__((target("ssse3"))) inline __m128i fadeBytes(__m128i v, __m128i factor, __m128i invert) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i k = _mm_set1_epi16(static_cast<short>(33027));
  v = _mm_xor_si128(v, invert);
  __m128i lo = _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), factor);
  __m128i hi = _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), factor);
  lo = _mm_srli_epi16(_mm_mulhi_epu16(lo, k), 6);
  hi = _mm_srli_epi16(_mm_mulhi_epu16(hi, k), 6);
  return _mm_xor_si128(_mm_packus_epi16(lo, hi), invert);
}

template <bool Faded, bool Masked>
__attribute__((target("ssse3"))) size_t sseRow(unsigned char* dst, const unsigned char* src, const signed char* mask,
                                               size_t n, int level) {
  const __m128i* sw = reinterpret_cast<const __m128i*>(tables.sw);
  const __m128i* ex = reinterpret_cast<const __m128i*>(tables.ex);
  const __m128i factor = _mm_set1_epi16(static_cast<short>(level < 128 ? level : 255 - level));
  const __m128i invert = level < 128 ? _mm_setzero_si128() : _mm_set1_epi8(-1);
  const __m128i zero = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i* s = reinterpret_cast<const __m128i*>(src + 3 * i);
    const __m128i a = _mm_loadu_si128(s), b = _mm_loadu_si128(s + 1), c = _mm_loadu_si128(s + 2);
    __m128i o[3];
    o[0] = _mm_or_si128(_mm_shuffle_epi8(a, _mm_load_si128(sw + 0)), _mm_shuffle_epi8(b, _mm_load_si128(sw + 1)));
    o[1] = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, _mm_load_si128(sw + 3)),
                                     _mm_shuffle_epi8(b, _mm_load_si128(sw + 4))),
                        _mm_shuffle_epi8(c, _mm_load_si128(sw + 5)));
    o[2] = _mm_or_si128(_mm_shuffle_epi8(b, _mm_load_si128(sw + 7)), _mm_shuffle_epi8(c, _mm_load_si128(sw + 8)));
    __m128i* d = reinterpret_cast<__m128i*>(dst + 3 * i);
    __m128i clear = zero;  // 0xFF where the pixel is transparent
    if (Masked) clear = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + i)), zero);
    for (int r = 0; r < 3; r++) {
      __m128i v = Faded ? fadeBytes(o[r], factor, invert) : o[r];
      if (Masked) {
        const __m128i keep = _mm_shuffle_epi8(clear, _mm_load_si128(ex + r));
        v = _mm_or_si128(_mm_andnot_si128(keep, v), _mm_and_si128(keep, _mm_loadu_si128(d + r)));
      }
      _mm_storeu_si128(d + r, v);
    }
  }
  return i;
}

const bool haveSsse3 = __builtin_cpu_supports("ssse3");

#endif

template <bool Faded, bool Masked>
void row(unsigned char* dst, const unsigned char* src, const signed char* mask, size_t n, [[maybe_unused]] int level,
         const unsigned char* lut) {
  size_t done = 0;
#ifdef LM_PIXELROWS_SSE
  if (haveSsse3) done = sseRow<Faded, Masked>(dst, src, mask, n, level);
#endif
  plainRow<Faded, Masked>(dst + 3 * done, src + 3 * done, Masked ? mask + done : nullptr, n - done, lut);
}

}  // namespace

void drawRow(unsigned char* dst, const unsigned char* src, const signed char* mask, size_t n, int level,
             const unsigned char* lut) {
  const bool faded = level != 128;
  if (mask) {
    if (faded)
      row<true, true>(dst, src, mask, n, level, lut);
    else
      row<false, true>(dst, src, mask, n, level, lut);
  } else {
    if (faded)
      row<true, false>(dst, src, nullptr, n, level, lut);
    else
      row<false, false>(dst, src, nullptr, n, level, lut);
  }
}

}  // namespace pixelrows
