#pragma once
// The kernel tables of the row kernels' paths (inside graphics/ only).
#include "graphics/PixelRows.h"

namespace pixelrows {

struct Kernels {
  void (*drawBlock)(const Block&, int, const unsigned char*);
  void (*prepareColumns)(Columns&);
  void (*gatherRow)(unsigned char*, const unsigned char*, size_t, const Columns&);
  void (*bgraRow)(unsigned char*, const uint32_t*, size_t);
  void (*bgraWalkRow)(unsigned char*, const uint32_t*, size_t, const Walk&, size_t);
};

// Null when the compiler or the CPU lacks the path. A path fills the kernels
// it has no vector version of with the plain ones.
const Kernels* ssse3Kernels();
const Kernels* avx2Kernels();
const Kernels* avx512Kernels();  // the AVX2 kernels, with its own full-screen rows

}  // namespace pixelrows
