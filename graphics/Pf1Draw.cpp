// Drawing a decoded picture into the frame buffer: wrapping draw with fade and
// mask, horizontal and vertical slides, and the shrinking zoom. Every write is
// clipped to the frame buffer whatever the picture's size or the scroll.
#include <algorithm>
#include <vector>

#include "graphics/PixelRows.h"
#include "graphics/Pf1.h"
#include "graphics/graphicDevice.h"

namespace {

bool usable(const ZegDevice* zeg) {
  return zeg && zeg->videoMemory && zeg->width > 0 && zeg->height > 0 && zeg->bytesPerPixel == 3;
}

inline unsigned char* screenRow(ZegDevice* zeg, int y) {
  return zeg->videoMemory + static_cast<long>(y) * zeg->bytesPerLine;
}

// a mod n in 0..n-1 for any sign of a (n > 0).
inline int wrap(long long a, int n) {
  long long m = a % n;
  return static_cast<int>(m < 0 ? m + n : m);
}

}  // namespace

void Pf1::draw(ZegDevice* zeg) { draw(zeg, 128, 0, 0, 0); }

void Pf1::draw(ZegDevice* zeg, int fadeLevel) { draw(zeg, fadeLevel, 0, 0, 0); }

void Pf1::draw(ZegDevice* zeg, int fadeLevel, int scrollX, int scrollY) {
  draw(zeg, fadeLevel, scrollX, scrollY, 0);
}

void Pf1::draw(ZegDevice* zeg, int fadeLevel, int scrollX, int scrollY, int useMask) {
  if (empty() || !usable(zeg)) return;
  const int level = std::clamp(fadeLevel, 0, 255);
  unsigned char lut[256];
  for (int cl = 0; cl < 256; cl++) lut[cl] = fadeTable[cl][level];

  // Screen (x, y) shows image pixel ((scrollX + x) mod width, (scrollY + y) mod height);
  // each screen row is copied as spans that stop at the image's right edge.
  const int startCol = wrap(scrollX, width);
  int srcRow = wrap(scrollY, height);
  for (int y = 0; y < zeg->height; y++) {
    unsigned char* dst = screenRow(zeg, y);
    const size_t rowBase = static_cast<size_t>(srcRow) * width;
    int x = 0;
    int col = startCol;
    while (x < zeg->width) {
      const size_t n = static_cast<size_t>(std::min(width - col, zeg->width - x));
      unsigned char* d = dst + 3 * static_cast<size_t>(x);
      const unsigned char* s = data.data() + 3 * (rowBase + col);
      const signed char* m = useMask ? mask.data() + rowBase + col : nullptr;
      pixelrows::drawRow(d, s, m, n, level, lut);
      x += static_cast<int>(n);
      col = 0;
    }
    if (++srcRow == height) srcRow = 0;
  }
}

void Pf1::scrollX(ZegDevice* zeg, int scroll) {
  if (empty() || !usable(zeg)) return;
  // Image column c goes to screen column c - scroll; image row y to screen row y.
  const long long first = std::max<long long>(0, scroll);
  const long long last = std::min<long long>(width, static_cast<long long>(zeg->width) + scroll);
  if (first >= last) return;
  const int rows = std::min(height, zeg->height);
  const size_t n = static_cast<size_t>(last - first);
  const size_t dstX = static_cast<size_t>(first - scroll);
  for (int y = 0; y < rows; y++) {
    const unsigned char* s = data.data() + 3 * (static_cast<size_t>(y) * width + static_cast<size_t>(first));
    pixelrows::drawRow(screenRow(zeg, y) + 3 * dstX, s, nullptr, n, 128, nullptr);
  }
}

void Pf1::scrollY(ZegDevice* zeg, int scroll) { scrollY(zeg, scroll, 128); }

void Pf1::scrollY(ZegDevice* zeg, int scroll, int fade) {
  if (empty() || !usable(zeg)) return;
  const int level = std::clamp(fade, 0, 255);
  unsigned char lut[256];
  for (int cl = 0; cl < 256; cl++) lut[cl] = fadeTable[cl][level];
  // Image row y goes to screen row y - scroll, across the image's columns.
  const long long first = std::max<long long>(0, scroll);
  const long long last = std::min<long long>(height, static_cast<long long>(zeg->height) + scroll);
  const size_t n = static_cast<size_t>(std::min(width, zeg->width));
  for (long long row = first; row < last; row++) {
    unsigned char* d = screenRow(zeg, static_cast<int>(row - scroll));
    const unsigned char* s = data.data() + 3 * static_cast<size_t>(row) * width;
    pixelrows::drawRow(d, s, nullptr, n, level, lut);
  }
}

void Pf1::zoom(ZegDevice* zeg, int zoom) {
  if (empty() || !usable(zeg) || zoom <= 0) return;
  // Above 100 the sampling would run past the image; such calls draw full size.
  zoom = std::min(zoom, 100);
  const int w = width * zoom / 100;
  const int h = height * zoom / 100;
  const int left = (width - w) / 2;
  const int top = (height - h) / 2;

  // Accumulator sampling: after each output pixel step the source column on
  // until acc - zoom*k <= 0, then add 100. The horizontal accumulator carries
  // from row to row, so a row's column list depends on its starting value;
  // the list is rebuilt only when that value changes.
  std::vector<int> cols(static_cast<size_t>(w));
  int hacc = 100;
  int listStart = -1;
  int listEnd = 0;
  int vacc = 100;
  int srcRow = 0;
  for (int oy = 0; oy < h && srcRow < height; oy++) {
    if (hacc != listStart) {
      listStart = hacc;
      int col = 0;
      for (int i = 0; i < w; i++) {
        cols[i] = col;
        do {
          col++;
          hacc -= zoom;
        } while (hacc > 0);
        hacc += 100;
      }
      listEnd = hacc;
    } else {
      hacc = listEnd;
    }
    const int y = top + oy;
    if (y >= 0 && y < zeg->height) {
      unsigned char* dst = screenRow(zeg, y);
      const unsigned char* src = data.data() + 3 * static_cast<size_t>(srcRow) * width;
      const int x0 = std::max(0, -left);
      const int x1 = std::min(w, zeg->width - left);
      for (int i = x0; i < x1; i++) {
        const int c = cols[i];
        if (c >= width) break;
        unsigned char* d = dst + 3 * static_cast<size_t>(left + i);
        d[0] = src[3 * c + 2];
        d[1] = src[3 * c + 1];
        d[2] = src[3 * c + 0];
      }
    }
    do {
      srcRow++;
      vacc -= zoom;
    } while (vacc > 0);
    vacc += 100;
  }
}
