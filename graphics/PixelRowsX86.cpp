// Vector row kernels for x86-64: SSSE3 (sixteen pixels a group), AVX2
// (thirty-two, and gathers for the zoom and the face) and AVX-512 with byte
// permutes and masked stores (sixty-four). Each function carries its own
// target attribute, so the file builds with the library's common flags, and
// a path is offered only when the CPU (and the OS) runs it. A row's last,
// partial group is drawn as the row's final whole group again: the same
// bytes go to the same places, so the result does not change.
#include "graphics/PixelRowsPaths.h"

#include <algorithm>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define LM_PIXELROWS_X86 1
#include <immintrin.h>
#endif

namespace pixelrows {

#ifdef LM_PIXELROWS_X86

namespace {

// Fade as one multiply: for g = 0..126 and every byte b,
//   b * g / 127 == (b * factor[g]) >> 16
// with factor[g] the smallest such 16-bit number (one exists for each g).
// Levels below 127 use g = level; levels above 128 work on inverted bytes:
//   255 - (255 - level) * (255 - b) / 127 == ~(~b * g / 127) with g = 255 - level.
// Levels 127 and 128 leave every byte as it is.
struct FadeFactors {
  uint16_t factor[127];
  FadeFactors() {
    for (long g = 0; g < 127; g++) {
      long lo = 0, hi = 65535;
      for (long b = 1; b < 256; b++) {
        const long q = b * g / 127;
        lo = std::max(lo, (q * 65536 + b - 1) / b);
        hi = std::min(hi, ((q + 1) * 65536 - 1) / b);
      }
      factor[g] = static_cast<uint16_t>(lo <= hi ? lo : 0);
    }
  }
};

const FadeFactors& fadeFactors() {
  static const FadeFactors f;
  return f;
}

struct Fader {
  bool identity;  // levels 127 and 128
  uint16_t factor;
  bool invert;
};

Fader faderFor(int level) {
  if (level == 127 || level == 128) return {true, 0, false};
  const int g = level < 128 ? level : 255 - level;
  return {false, fadeFactors().factor[g], level > 128};
}

// One row of a block with the plain loop.
void plainRow(unsigned char* dst, const unsigned char* src, const signed char* mask, size_t n, int level,
              const unsigned char* lut) {
  plain::drawBlock({dst, 0, src, 0, mask, 0, n, 1}, level, lut);
}

// Walks the rows of a block (a plain loop: target-specific code cannot go
// through a lambda, which does not share its function's target).
struct RowWalk {
  unsigned char* d;
  const unsigned char* s;
  const signed char* m;
  void next(const Block& b) {
    d += b.dstStep;
    s += b.srcStep;
    if (m) m += b.maskStep;
  }
};

// ---- SSSE3 ----

// Output register o of 16 pixels (48 bytes in three registers) takes byte i
// from input register r at index sw[o][r][i] (0x80: none): output byte j is
// pixel j / 3's channel 2 - j % 3 (R, G, B to B, G, R). ex[o] copies pixel
// j / 3's mask byte to each of its three bytes.
struct SseTables {
  alignas(16) unsigned char sw[3][3][16];
  alignas(16) unsigned char ex[3][16];
  SseTables() {
    for (int o = 0; o < 3; o++)
      for (int i = 0; i < 16; i++) {
        const int j = 16 * o + i;
        const int from = 3 * (j / 3) + (2 - j % 3);
        for (int r = 0; r < 3; r++) sw[o][r][i] = from / 16 == r ? static_cast<unsigned char>(from % 16) : 0x80;
        ex[o][i] = static_cast<unsigned char>(j / 3);
      }
  }
};

const SseTables& sseTables() {
  static const SseTables t;
  return t;
}

struct SseConsts {
  __m128i sw[3][3];
  __m128i ex[3];
  __m128i factor, invert;
};

__attribute__((target("ssse3"))) inline SseConsts sseConsts(const Fader& f) {
  const SseTables& t = sseTables();
  SseConsts c;
  for (int o = 0; o < 3; o++) {
    for (int r = 0; r < 3; r++) c.sw[o][r] = _mm_load_si128(reinterpret_cast<const __m128i*>(t.sw[o][r]));
    c.ex[o] = _mm_load_si128(reinterpret_cast<const __m128i*>(t.ex[o]));
  }
  c.factor = _mm_set1_epi16(static_cast<short>(f.factor));
  c.invert = f.invert ? _mm_set1_epi8(-1) : _mm_setzero_si128();
  return c;
}

// 16 bytes b to F(b): even and odd bytes in 16-bit lanes, (b * factor) >> 16 each.
__attribute__((target("ssse3"))) inline __m128i fade16(__m128i v, __m128i factor, __m128i invert) {
  const __m128i low = _mm_set1_epi16(0x00FF);
  v = _mm_xor_si128(v, invert);
  const __m128i even = _mm_mulhi_epu16(_mm_and_si128(v, low), factor);
  const __m128i odd = _mm_mulhi_epu16(_mm_srli_epi16(v, 8), factor);
  return _mm_xor_si128(_mm_or_si128(even, _mm_slli_epi16(odd, 8)), invert);
}

// 16 pixels.
template <bool Faded, bool Masked>
__attribute__((target("ssse3"))) inline void sseUnit(unsigned char* dst, const unsigned char* src,
                                                    const signed char* mask, const SseConsts& c) {
  const __m128i* s = reinterpret_cast<const __m128i*>(src);
  const __m128i a = _mm_loadu_si128(s), b = _mm_loadu_si128(s + 1), d = _mm_loadu_si128(s + 2);
  __m128i o[3];
  o[0] = _mm_or_si128(_mm_shuffle_epi8(a, c.sw[0][0]), _mm_shuffle_epi8(b, c.sw[0][1]));
  o[1] = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, c.sw[1][0]), _mm_shuffle_epi8(b, c.sw[1][1])),
                      _mm_shuffle_epi8(d, c.sw[1][2]));
  o[2] = _mm_or_si128(_mm_shuffle_epi8(b, c.sw[2][1]), _mm_shuffle_epi8(d, c.sw[2][2]));
  __m128i* out = reinterpret_cast<__m128i*>(dst);
  __m128i clear = _mm_setzero_si128();  // 0xFF where the pixel is transparent
  if (Masked) clear = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(mask)), _mm_setzero_si128());
  for (int r = 0; r < 3; r++) {
    __m128i v = Faded ? fade16(o[r], c.factor, c.invert) : o[r];
    if (Masked) {
      const __m128i keep = _mm_shuffle_epi8(clear, c.ex[r]);
      v = _mm_or_si128(_mm_andnot_si128(keep, v), _mm_and_si128(keep, _mm_loadu_si128(out + r)));
    }
    _mm_storeu_si128(out + r, v);
  }
}

// A row of n >= 16 pixels.
template <bool Faded, bool Masked>
__attribute__((target("ssse3"))) inline void sseRow(unsigned char* dst, const unsigned char* src,
                                                   const signed char* mask, size_t n, const SseConsts& c) {
  for (size_t i = 0;; i += 16) {
    if (i + 16 > n) i = n - 16;
    sseUnit<Faded, Masked>(dst + 3 * i, src + 3 * i, Masked ? mask + i : nullptr, c);
    if (i + 16 == n) break;
  }
}

template <bool Faded, bool Masked>
__attribute__((target("ssse3"))) void sseBlock(const Block& b, int level, const Fader& f, const unsigned char* lut) {
  const SseConsts c = sseConsts(f);
  RowWalk w{b.dst, b.src, b.mask};
  for (size_t k = 0; k < b.rows; k++, w.next(b)) {
    if (b.n >= 16)
      sseRow<Faded, Masked>(w.d, w.s, w.m, b.n, c);
    else
      plainRow(w.d, w.s, w.m, b.n, level, lut);
  }
}

// Every row: dst[3i + 0, 1, 2] = F(src[3i + 2]), F(src[3i + 1]), F(src[3i + 0])
// where the mask is null or mask[i] != 0; F(b) = fadeTable[b][level] (b at 127 and 128).
void sseDrawBlock(const Block& b, int level, const unsigned char* lut) {
  const Fader f = faderFor(level);
  if (f.identity) {
    if (b.mask)
      sseBlock<false, true>(b, level, f, lut);
    else
      sseBlock<false, false>(b, level, f, lut);
  } else {
    if (b.mask)
      sseBlock<true, true>(b, level, f, lut);
    else
      sseBlock<true, false>(b, level, f, lut);
  }
}

// ---- AVX2 ----

// 32 pixels (96 bytes) make three 32-byte outputs of two 16-byte lanes. Lane
// L of output r holds output bytes o = 32r + 16L .. o + 15, which come from
// the 18 source bytes at 3 * (o / 3) (kAvxAt): two overlapping 16-byte
// windows there and two bytes on, picked by the shuffles a and b. Pixel
// masks: output 0 reads mask bytes 0-15 in both lanes, output 1 bytes 0-15
// and 16-31, output 2 bytes 16-31 in both; ex picks each byte's pixel.
constexpr int kAvxAt[3][2] = {{0, 15}, {30, 48}, {63, 78}};

struct AvxTables {
  alignas(32) unsigned char a[3][32];
  alignas(32) unsigned char b[3][32];
  alignas(32) unsigned char ex[3][32];
  AvxTables() {
    for (int r = 0; r < 3; r++)
      for (int L = 0; L < 2; L++) {
        const int o = 32 * r + 16 * L;
        const int maskBase = r == 0 ? 0 : r == 2 ? 16 : 16 * L;
        for (int j = 0; j < 16; j++) {
          const int g = o + j;
          const int from = 3 * (g / 3) + (2 - g % 3) - kAvxAt[r][L];  // 0..17
          a[r][16 * L + j] = from <= 15 ? static_cast<unsigned char>(from) : 0x80;
          b[r][16 * L + j] = from <= 15 ? 0x80 : static_cast<unsigned char>(from - 2);
          ex[r][16 * L + j] = static_cast<unsigned char>(g / 3 - maskBase);
        }
      }
  }
};

const AvxTables& avxTables() {
  static const AvxTables t;
  return t;
}

struct AvxConsts {
  __m256i a[3], b[3], ex[3];
  __m256i factor, invert;
};

__attribute__((target("avx2"))) inline AvxConsts avxConsts(const Fader& f) {
  const AvxTables& t = avxTables();
  AvxConsts c;
  for (int r = 0; r < 3; r++) {
    c.a[r] = _mm256_load_si256(reinterpret_cast<const __m256i*>(t.a[r]));
    c.b[r] = _mm256_load_si256(reinterpret_cast<const __m256i*>(t.b[r]));
    c.ex[r] = _mm256_load_si256(reinterpret_cast<const __m256i*>(t.ex[r]));
  }
  c.factor = _mm256_set1_epi16(static_cast<short>(f.factor));
  c.invert = f.invert ? _mm256_set1_epi8(-1) : _mm256_setzero_si256();
  return c;
}

__attribute__((target("avx2"))) inline __m256i fade32(__m256i v, __m256i factor, __m256i invert) {
  const __m256i low = _mm256_set1_epi16(0x00FF);
  v = _mm256_xor_si256(v, invert);
  const __m256i even = _mm256_mulhi_epu16(_mm256_and_si256(v, low), factor);
  const __m256i odd = _mm256_mulhi_epu16(_mm256_srli_epi16(v, 8), factor);
  return _mm256_xor_si256(_mm256_or_si256(even, _mm256_slli_epi16(odd, 8)), invert);
}

// 32 pixels.
template <bool Faded, bool Masked>
__attribute__((target("avx2"))) inline void avxUnit(unsigned char* d, const unsigned char* s, const signed char* mask,
                                                    const AvxConsts& c) {
  __m256i m[3];
  if (Masked) {
    const __m256i zero = _mm256_setzero_si256();
    const __m128i* mp = reinterpret_cast<const __m128i*>(mask);
    m[0] = _mm256_cmpeq_epi8(_mm256_broadcastsi128_si256(_mm_loadu_si128(mp)), zero);
    m[1] = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(mask)), zero);
    m[2] = _mm256_cmpeq_epi8(_mm256_broadcastsi128_si256(_mm_loadu_si128(mp + 1)), zero);
  }
#pragma GCC unroll 3
  for (int r = 0; r < 3; r++) {
    const __m128i* s0 = reinterpret_cast<const __m128i*>(s + kAvxAt[r][0]);
    const __m128i* s1 = reinterpret_cast<const __m128i*>(s + kAvxAt[r][1]);
    const __m128i* s0b = reinterpret_cast<const __m128i*>(s + kAvxAt[r][0] + 2);
    const __m128i* s1b = reinterpret_cast<const __m128i*>(s + kAvxAt[r][1] + 2);
    __m256i v = _mm256_or_si256(_mm256_shuffle_epi8(_mm256_loadu2_m128i(s1, s0), c.a[r]),
                                _mm256_shuffle_epi8(_mm256_loadu2_m128i(s1b, s0b), c.b[r]));
    if (Faded) v = fade32(v, c.factor, c.invert);
    __m256i* dp = reinterpret_cast<__m256i*>(d + 32 * r);
    if (Masked) v = _mm256_blendv_epi8(v, _mm256_loadu_si256(dp), _mm256_shuffle_epi8(m[r], c.ex[r]));
    _mm256_storeu_si256(dp, v);
  }
}

template <bool Faded, bool Masked>
__attribute__((target("avx2"))) void avxBlock(const Block& b, int level, const Fader& f, const unsigned char* lut) {
  const AvxConsts c = avxConsts(f);
  const SseConsts narrow = sseConsts(f);
  RowWalk w{b.dst, b.src, b.mask};
  for (size_t k = 0; k < b.rows; k++, w.next(b)) {
    if (b.n >= 32) {
      for (size_t i = 0;; i += 32) {
        if (i + 32 > b.n) i = b.n - 32;
        avxUnit<Faded, Masked>(w.d + 3 * i, w.s + 3 * i, Masked ? w.m + i : nullptr, c);
        if (i + 32 == b.n) break;
      }
    } else if (b.n >= 16) {
      sseRow<Faded, Masked>(w.d, w.s, w.m, b.n, narrow);
    } else {
      plainRow(w.d, w.s, w.m, b.n, level, lut);
    }
  }
}

// Every row: dst[3i + 0, 1, 2] = F(src[3i + 2]), F(src[3i + 1]), F(src[3i + 0])
// where the mask is null or mask[i] != 0; F(b) = fadeTable[b][level] (b at 127 and 128).
void avxDrawBlock(const Block& b, int level, const unsigned char* lut) {
  const Fader f = faderFor(level);
  if (f.identity) {
    if (b.mask)
      avxBlock<false, true>(b, level, f, lut);
    else
      avxBlock<false, false>(b, level, f, lut);
  } else {
    if (b.mask)
      avxBlock<true, true>(b, level, f, lut);
    else
      avxBlock<true, false>(b, level, f, lut);
  }
}

// ---- AVX-512 (BW and VBMI) ----

#define LM_AVX512 "avx512f,avx512bw,avx512vbmi"

// 64 pixels (192 bytes) make three 64-byte outputs. Output o holds bytes
// 64o .. 64o + 63, taken by one two-register byte permute from 64-byte
// windows at kWideAt[o][0] and [1] (together they cover the 66 source bytes
// the output needs). ex[o] picks each output byte's pixel from the 64 mask
// bytes. Rows under 64 pixels use masked loads and stores, so nothing
// outside the row is read or written.
constexpr int kWideAt[3][2] = {{0, 64}, {63, 127}, {126, 128}};

struct WideTables {
  alignas(64) unsigned char idx[3][64];
  alignas(64) unsigned char ex[3][64];
  WideTables() {
    for (int o = 0; o < 3; o++)
      for (int j = 0; j < 64; j++) {
        const int g = 64 * o + j;
        const int from = 3 * (g / 3) + (2 - g % 3);
        const int rel = from - kWideAt[o][0];
        idx[o][j] = static_cast<unsigned char>(rel < 64 ? rel : 64 + from - kWideAt[o][1]);
        ex[o][j] = static_cast<unsigned char>(g / 3);
      }
  }
};

const WideTables& wideTables() {
  static const WideTables t;
  return t;
}

struct WideConsts {
  __m512i idx[3], ex[3];
  __m512i factor, invert;
};

__attribute__((target(LM_AVX512))) inline WideConsts wideConsts(const Fader& f) {
  const WideTables& t = wideTables();
  WideConsts c;
  for (int o = 0; o < 3; o++) {
    c.idx[o] = _mm512_load_si512(t.idx[o]);
    c.ex[o] = _mm512_load_si512(t.ex[o]);
  }
  c.factor = _mm512_set1_epi16(static_cast<short>(f.factor));
  c.invert = f.invert ? _mm512_set1_epi8(-1) : _mm512_setzero_si512();
  return c;
}

// Bits 0 .. limit - from - 1 set: the bytes of a 64-byte access at `from`
// that lie below `limit`.
inline __mmask64 below(long from, long limit) {
  const long k = limit - from;
  return k >= 64 ? ~__mmask64{0} : k <= 0 ? __mmask64{0} : (__mmask64{1} << k) - 1;
}

__attribute__((target(LM_AVX512))) inline __m512i fade64(__m512i v, __m512i factor, __m512i invert) {
  const __m512i low = _mm512_set1_epi16(0x00FF);
  v = _mm512_xor_si512(v, invert);
  const __m512i even = _mm512_mulhi_epu16(_mm512_and_si512(v, low), factor);
  const __m512i odd = _mm512_mulhi_epu16(_mm512_srli_epi16(v, 8), factor);
  return _mm512_xor_si512(_mm512_or_si512(even, _mm512_slli_epi16(odd, 8)), invert);
}

// 64 pixels, or when Partial the first `bytes` / 3 of them.
template <bool Faded, bool Masked, bool Partial>
__attribute__((target(LM_AVX512))) inline void wideUnit(unsigned char* d, const unsigned char* s,
                                                       const signed char* mask, long bytes, const WideConsts& c) {
  __m512i m = _mm512_setzero_si512();
  if (Masked) m = Partial ? _mm512_maskz_loadu_epi8(below(0, bytes / 3), mask) : _mm512_loadu_si512(mask);
#pragma GCC unroll 3
  for (int o = 0; o < 3; o++) {
    __mmask64 store = ~__mmask64{0};
    __m512i w0, w1;
    if (Partial) {
      store = below(64 * o, bytes);
      if (!store) break;
      w0 = _mm512_maskz_loadu_epi8(below(kWideAt[o][0], bytes), s + kWideAt[o][0]);
      w1 = _mm512_maskz_loadu_epi8(below(kWideAt[o][1], bytes), s + kWideAt[o][1]);
    } else {
      w0 = _mm512_loadu_si512(s + kWideAt[o][0]);
      w1 = _mm512_loadu_si512(s + kWideAt[o][1]);
    }
    __m512i v = _mm512_permutex2var_epi8(w0, c.idx[o], w1);
    if (Faded) v = fade64(v, c.factor, c.invert);
    if (Masked) {
      const __m512i px = _mm512_maskz_permutexvar_epi8(~__mmask64{0}, c.ex[o], m);
      store &= _mm512_test_epi8_mask(px, px);
    }
    if (Partial || Masked)
      _mm512_mask_storeu_epi8(d + 64 * o, store, v);
    else
      _mm512_storeu_si512(d + 64 * o, v);
  }
}

template <bool Faded, bool Masked>
__attribute__((target(LM_AVX512))) void wideBlock(const Block& b, const Fader& f) {
  const WideConsts c = wideConsts(f);
  RowWalk w{b.dst, b.src, b.mask};
  for (size_t k = 0; k < b.rows; k++, w.next(b)) {
    if (b.n < 64) {
      if (b.n) wideUnit<Faded, Masked, true>(w.d, w.s, w.m, static_cast<long>(3 * b.n), c);
      continue;
    }
    for (size_t i = 0;; i += 64) {
      if (i + 64 > b.n) i = b.n - 64;
      wideUnit<Faded, Masked, false>(w.d + 3 * i, w.s + 3 * i, Masked ? w.m + i : nullptr, 192, c);
      if (i + 64 == b.n) break;
    }
  }
}

// Every row: dst[3i + 0, 1, 2] = F(src[3i + 2]), F(src[3i + 1]), F(src[3i + 0])
// where the mask is null or mask[i] != 0; F(b) = fadeTable[b][level] (b at 127 and 128).
void wideDrawBlock(const Block& b, int level, const unsigned char*) {
  const Fader f = faderFor(level);
  if (f.identity) {
    if (b.mask)
      wideBlock<false, true>(b, f);
    else
      wideBlock<false, false>(b, f);
  } else {
    if (b.mask)
      wideBlock<true, true>(b, f);
    else
      wideBlock<true, false>(b, f);
  }
}

// Eight 4-byte pixels to 24 bytes: in each lane, bytes (k, k+1, k+2) of its
// four pixels packed to the lane's first 12 bytes, then the two lanes joined.
__attribute__((target("avx2"))) inline __m256i pack24(__m256i fourByte, __m256i laneShuffle) {
  const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
  return _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(fourByte, laneShuffle), join);
}

__attribute__((target("avx2"))) inline void store24(unsigned char* d, __m256i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(v));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm256_extracti128_si256(v, 1));
}

// Eight B, G, R, A pixels over the 24 screen bytes at d, where A is 0xFF.
__attribute__((target("avx2"))) inline void putBgra8(unsigned char* d, __m256i px) {
  const __m256i colour = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128,  //
                                          0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128);
  const __m256i alpha = _mm256_setr_epi8(3, 3, 3, 7, 7, 7, 11, 11, 11, 15, 15, 15, -128, -128, -128, -128,  //
                                         3, 3, 3, 7, 7, 7, 11, 11, 11, 15, 15, 15, -128, -128, -128, -128);
  const __m256i a = pack24(px, alpha);
  if (_mm256_testz_si256(a, a)) return;
  const __m256i c = pack24(px, colour);
  const __m256i old = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d))),
      _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d + 16)), 1);
  store24(d, _mm256_blendv_epi8(old, c, a));
}

// plain::gatherRow's formula: dst[3i..3i+2] = src[at[i] + 2], src[at[i] + 1], src[at[i]].
// Each gather reads four bytes, so a group runs only while its last pixel's
// fourth byte is inside src.
__attribute__((target("avx2"))) void avxGather(unsigned char* dst, const unsigned char* src, size_t srcBytes,
                                               const int32_t* at, size_t n) {
  const __m256i swap = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -128, -128, -128, -128,  //
                                        2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -128, -128, -128, -128);
  size_t i = 0;
  for (; i + 8 <= n && static_cast<size_t>(at[i + 7]) + 4 <= srcBytes; i += 8) {
    const __m256i idx = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + i));
    const __m256i px = _mm256_i32gather_epi32(reinterpret_cast<const int*>(src), idx, 1);
    store24(dst + 3 * i, pack24(px, swap));
  }
  for (; i < n; i++) {
    const unsigned char* s = src + at[i];
    dst[3 * i] = s[2];
    dst[3 * i + 1] = s[1];
    dst[3 * i + 2] = s[0];
  }
}

void avxPrepareColumns(Columns& cols) {
  cols.preparedFor = Path::Avx2;
  cols.tables.clear();
}

void avxGatherRow(unsigned char* dst, const unsigned char* src, size_t srcBytes, const Columns& cols) {
  avxGather(dst, src, srcBytes, cols.at.data(), cols.at.size());
}

// plain::bgraRow's formula: dst[3i..3i+2] = px[i]'s B, G, R where its A != 0.
__attribute__((target("avx2"))) void avxBgraRow(unsigned char* dst, const uint32_t* px, size_t n) {
  size_t i = 0;
  for (; i + 8 <= n; i += 8) putBgra8(dst + 3 * i, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(px + i)));
  plain::bgraRow(dst + 3 * i, px + i, n - i);
}

// Truncating X / m in eight 32-bit lanes: a float estimate, then one step of
// correction on the remainder r = X - q * m, which must lie in [0, m) for
// X >= 0 and in (-m, 0] for X < 0. Exact while |X / m| < 2^21.
__attribute__((target("avx2"))) inline __m256i divTrunc(__m256i X, __m256 inverse, __m256i m, __m256i mMinus1,
                                                         __m256i oneMinusM) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i q = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(X), inverse));
  const __m256i r = _mm256_sub_epi32(X, _mm256_mullo_epi32(q, m));
  const __m256i neg = _mm256_cmpgt_epi32(zero, X);
  const __m256i under = _mm256_cmpgt_epi32(_mm256_and_si256(neg, oneMinusM), r);  // q one too large
  const __m256i over = _mm256_cmpgt_epi32(r, _mm256_andnot_si256(neg, mMinus1));  // q one too small
  return _mm256_sub_epi32(_mm256_add_epi32(q, under), over);
}

// plain::bgraWalkRow's formula:
//   x = trunc((X + i dX) / m) + hw, y = trunc((Y + i dY) / m) + hh, dst pixel i = px[y * width + x]
// in eight lanes at a time. Taken when every lane value fits 32 bits and the
// run's ends are inside the picture (x and y move monotonically along a run,
// so then every pixel is); otherwise the plain loop does the run.
__attribute__((target("avx2"))) void avxBgraWalkRow(unsigned char* dst, const uint32_t* px, size_t pixels,
                                                    const Walk& w, size_t n) {
  constexpr long long kLimit = 1LL << 20;
  auto inside = [&](long long i) {
    const long long x = (w.X + i * w.dX) / w.m + w.hw, y = (w.Y + i * w.dY) / w.m + w.hh;
    return x >= 0 && x < 2 * w.hw && y >= 0 && y < 2 * w.hh &&
           static_cast<unsigned long long>(y) * w.width + static_cast<unsigned long long>(x) < pixels;
  };
  const bool fits = n >= 8 && w.m > 0 && w.hw < kLimit && w.hh < kLimit && w.dX > -kLimit && w.dX < kLimit &&
                    w.dY > -kLimit && w.dY < kLimit && (std::max(w.hw, w.hh) + 2) * w.m < (1LL << 30) &&
                    static_cast<long long>(w.width) * 2 * w.hh < (1LL << 31) && inside(0) &&
                    inside(static_cast<long long>(n) - 1);
  if (!fits) {
    plain::bgraWalkRow(dst, px, pixels, w, n);
    return;
  }
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i m = _mm256_set1_epi32(static_cast<int>(w.m));
  const __m256i mMinus1 = _mm256_set1_epi32(static_cast<int>(w.m - 1));
  const __m256i oneMinusM = _mm256_set1_epi32(static_cast<int>(1 - w.m));
  const __m256 inverse = _mm256_set1_ps(1.0f / static_cast<float>(w.m));
  const __m256i hw = _mm256_set1_epi32(static_cast<int>(w.hw)), hh = _mm256_set1_epi32(static_cast<int>(w.hh));
  const __m256i width = _mm256_set1_epi32(w.width);
  const __m256i stepX = _mm256_set1_epi32(static_cast<int>(8 * w.dX));
  const __m256i stepY = _mm256_set1_epi32(static_cast<int>(8 * w.dY));
  __m256i X = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(w.X)),
                               _mm256_mullo_epi32(lanes, _mm256_set1_epi32(static_cast<int>(w.dX))));
  __m256i Y = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(w.Y)),
                               _mm256_mullo_epi32(lanes, _mm256_set1_epi32(static_cast<int>(w.dY))));
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i x = _mm256_add_epi32(divTrunc(X, inverse, m, mMinus1, oneMinusM), hw);
    const __m256i y = _mm256_add_epi32(divTrunc(Y, inverse, m, mMinus1, oneMinusM), hh);
    const __m256i p = _mm256_add_epi32(_mm256_mullo_epi32(y, width), x);
    putBgra8(dst + 3 * i, _mm256_i32gather_epi32(reinterpret_cast<const int*>(px), p, 4));
    X = _mm256_add_epi32(X, stepX);
    Y = _mm256_add_epi32(Y, stepY);
  }
  Walk rest = w;
  rest.X += static_cast<long long>(i) * w.dX;
  rest.Y += static_cast<long long>(i) * w.dY;
  plain::bgraWalkRow(dst + 3 * i, px, pixels, rest, n - i);
}

// Zoom rows with byte permutes: groups of 16 output pixels whose sources lie
// within 128 bytes take them with one two-register permute (tables: 64 index
// bytes a group, output byte j from source byte at[16k + j / 3] - at[16k] +
// 2 - j % 3); other groups gather.
constexpr size_t kGroup = 16;

void widePrepareColumns(Columns& cols) {
  const size_t n = cols.at.size();
  const size_t groups = (n + kGroup - 1) / kGroup;
  cols.preparedFor = Path::Avx512;
  cols.tables.assign(64 * groups, 0);
  for (size_t k = 0; k < groups; k++) {
    unsigned char* idx = &cols.tables[64 * k];
    const size_t first = kGroup * k, count = std::min(kGroup, n - first);
    const long base = cols.at[first];
    if (cols.at[first + count - 1] + 2 - base >= 128) continue;  // idx[63] stays 0: gather
    for (size_t j = 0; j < 3 * count; j++)
      idx[j] = static_cast<unsigned char>(cols.at[first + j / 3] - base + 2 - static_cast<long>(j % 3));
    idx[63] = 1;
  }
}

// dst[3i + 0, 1, 2] = src[at[i] + 2], src[at[i] + 1], src[at[i]].
__attribute__((target(LM_AVX512))) void wideGatherRow(unsigned char* dst, const unsigned char* src, size_t srcBytes,
                                                      const Columns& cols) {
  if (cols.preparedFor != Path::Avx512) {
    avxGatherRow(dst, src, srcBytes, cols);
    return;
  }
  const size_t n = cols.at.size();
  const long limit = static_cast<long>(srcBytes);
  for (size_t k = 0, first = 0; first < n; k++, first += kGroup) {
    const size_t count = std::min(kGroup, n - first);
    const unsigned char* idx = &cols.tables[64 * k];
    if (!idx[63]) {
      avxGather(dst + 3 * first, src, srcBytes, cols.at.data() + first, count);
      continue;
    }
    const long base = cols.at[first];
    __m512i w0, w1;
    if (base + 128 <= limit) {
      w0 = _mm512_loadu_si512(src + base);
      w1 = _mm512_loadu_si512(src + base + 64);
    } else {
      w0 = _mm512_maskz_loadu_epi8(below(base, limit), src + base);
      w1 = _mm512_maskz_loadu_epi8(below(base + 64, limit), src + base + 64);
    }
    const __m512i v = _mm512_permutex2var_epi8(w0, _mm512_loadu_si512(idx), w1);
    _mm512_mask_storeu_epi8(dst + 3 * first, below(0, static_cast<long>(3 * count)), v);
  }
}

}  // namespace

const Kernels* ssse3Kernels() {
  static const Kernels k = {sseDrawBlock, plain::prepareColumns, plain::gatherRow, plain::bgraRow, plain::bgraWalkRow};
  static const bool ok = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
  return ok ? &k : nullptr;
}

const Kernels* avx2Kernels() {
  static const Kernels k = {avxDrawBlock, avxPrepareColumns, avxGatherRow, avxBgraRow, avxBgraWalkRow};
  static const bool ok = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return ok ? &k : nullptr;
}

const Kernels* avx512Kernels() {
  static const Kernels k = {wideDrawBlock, widePrepareColumns, wideGatherRow, avxBgraRow, avxBgraWalkRow};
  static const bool ok = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
                                                    __builtin_cpu_supports("avx512bw") &&
                                                    __builtin_cpu_supports("avx512vbmi"));
  return ok ? &k : nullptr;
}

#else

const Kernels* ssse3Kernels() { return nullptr; }
const Kernels* avx2Kernels() { return nullptr; }
const Kernels* avx512Kernels() { return nullptr; }

#endif

}  // namespace pixelrows
