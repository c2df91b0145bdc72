// Drawing a decoded picture into the frame buffer: wrapping draw with fade and
// mask, horizontal and vertical slides, and the shrinking zoom. Every write is
// clipped to the frame buffer whatever the picture's size or the scroll.
#include <algorithm>
#include <cstdint>
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

  // Screen (x, y) shows image pixel ((scrollX + x) mod width, (scrollY + y) mod height):
  // blocks of screen rows whose image rows do not wrap, each copied as spans
  // that stop at the image's right edge.
  const int startCol = wrap(scrollX, width);
  const int startRow = wrap(scrollY, height);
  for (int y = 0; y < zeg->height;) {
    const int srcRow = (startRow + y) % height;
    const int rows = std::min(height - srcRow, zeg->height - y);
    const size_t rowBase = static_cast<size_t>(srcRow) * width;
    for (int x = 0, col = startCol; x < zeg->width; col = 0) {
      const int n = std::min(width - col, zeg->width - x);
      pixelrows::drawBlock({screenRow(zeg, y) + 3 * static_cast<size_t>(x), zeg->bytesPerLine,
                            data.data() + 3 * (rowBase + col), 3L * width,
                            useMask ? mask.data() + rowBase + col : nullptr, width, static_cast<size_t>(n),
                            static_cast<size_t>(rows)},
                           level, lut);
      x += n;
    }
    y += rows;
  }
}

void Pf1::scrollX(ZegDevice* zeg, int scroll) {
  if (empty() || !usable(zeg)) return;
  // Image column c goes to screen column c - scroll; image row y to screen row y.
  const long long first = std::max<long long>(0, scroll);
  const long long last = std::min<long long>(width, static_cast<long long>(zeg->width) + scroll);
  if (first >= last) return;
  const int rows = std::min(height, zeg->height);
  const size_t dstX = static_cast<size_t>(first - scroll);
  pixelrows::drawBlock({screenRow(zeg, 0) + 3 * dstX, zeg->bytesPerLine, data.data() + 3 * static_cast<size_t>(first),
                        3L * width, nullptr, 0, static_cast<size_t>(last - first), static_cast<size_t>(rows)},
                       128, nullptr);
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
  if (first >= last) return;
  const size_t n = static_cast<size_t>(std::min(width, zeg->width));
  pixelrows::drawBlock({screenRow(zeg, static_cast<int>(first - scroll)), zeg->bytesPerLine,
                        data.data() + 3 * static_cast<size_t>(first) * width, 3L * width, nullptr, 0, n,
                        static_cast<size_t>(last - first)},
                       level, lut);
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
  // at[i] is output column i's source byte offset (3 * column); `cols` keeps
  // the part of the list that is on screen and inside the image.
  std::vector<int32_t> at(static_cast<size_t>(w));
  pixelrows::Columns cols;
  int x0 = 0;
  int hacc = 100;
  int listStart = -1;
  int listEnd = 0;
  int vacc = 100;
  int srcRow = 0;
  for (int oy = 0; oy < h && srcRow < height; oy++) {
    if (hacc != listStart) {
      listStart = hacc;
      int col = 0;
      int inside = 0;
      for (int i = 0; i < w; i++) {
        at[i] = 3 * col;
        if (col < width) inside = i + 1;
        do {
          col++;
          hacc -= zoom;
        } while (hacc > 0);
        hacc += 100;
      }
      listEnd = hacc;
      x0 = std::max(0, -left);
      const int x1 = std::min({w, zeg->width - left, inside});
      cols.at.clear();
      if (x0 < x1) cols.at.assign(at.begin() + x0, at.begin() + x1);
      cols.prepare();
    } else {
      hacc = listEnd;
    }
    const int y = top + oy;
    if (y >= 0 && y < zeg->height && !cols.at.empty()) {
      const size_t rowStart = 3 * static_cast<size_t>(srcRow) * width;
      pixelrows::gatherRow(screenRow(zeg, y) + 3 * static_cast<size_t>(left + x0), data.data() + rowStart,
                           data.size() - rowStart, cols);
    }
    do {
      srcRow++;
      vacc -= zoom;
    } while (vacc > 0);
    vacc += 100;
  }
}
