#pragma once
// Writes spans of one screen row of the frame buffer, clipped to it: the
// window frames and translucent panels of the text and choice windows.
#include "graphics/graphicDevice.h"

class ScreenRow {
 public:
  ScreenRow(ZegDevice* zeg, int y)
      : p(y >= 0 && y < zeg->height ? zeg->videoMemory + static_cast<long>(y) * zeg->bytesPerLine : nullptr),
        w(zeg->width) {}

  // Pixels x0..x1 (inclusive) become colour c (bytes blue, green, red).
  void solid(int x0, int x1, const unsigned char* c) const {
    if (!clip(x0, x1)) return;
    for (unsigned char* q = p + x0 * 3; x0 <= x1; ++x0, q += 3) {
      q[0] = c[0];
      q[1] = c[1];
      q[2] = c[2];
    }
  }

  // Each byte keeps a sixteenth and gets a constant added:
  // b' = b / 16 + cb, g' = g / 16 + cg, r' = r / 16 + cr.
  // Sixteen pixels (48 bytes, whole blue-green-red triples) per block.
  void blend(int x0, int x1, int cr, int cg, int cb) const {
    if (!clip(x0, x1)) return;
    unsigned char add[48];
    for (int j = 0; j < 48; j += 3) {
      add[j] = static_cast<unsigned char>(cb);
      add[j + 1] = static_cast<unsigned char>(cg);
      add[j + 2] = static_cast<unsigned char>(cr);
    }
    unsigned char* q = p + x0 * 3;
    int n = x1 - x0 + 1;
    for (; n >= 16; n -= 16, q += 48)
      for (int j = 0; j < 48; ++j) q[j] = static_cast<unsigned char>((q[j] >> 4) + add[j]);
    for (int j = 0; j < 3 * n; ++j) q[j] = static_cast<unsigned char>((q[j] >> 4) + add[j]);
  }

  // Each byte keeps a sixteenth, lifted through tables:
  // b' = high[b / 16], g' = low[g / 16], r' = low[r / 16].
  void tint(int x0, int x1, const unsigned char* low, const unsigned char* high) const {
    if (!clip(x0, x1)) return;
    for (unsigned char* q = p + x0 * 3; x0 <= x1; ++x0, q += 3) {
      q[0] = high[q[0] >> 4];
      q[1] = low[q[1] >> 4];
      q[2] = low[q[2] >> 4];
    }
  }

 private:
  bool clip(int& x0, int& x1) const {
    if (!p) return false;
    if (x0 < 0) x0 = 0;
    if (x1 > w - 1) x1 = w - 1;
    return x0 <= x1;
  }
  unsigned char* p;
  int w;
};
