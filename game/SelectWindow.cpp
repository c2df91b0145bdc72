// The choice window: item buffers, cursor movement and drawing.
#include "game/SelectWindow.h"

#include <algorithm>
#include <cstring>

#include "graphics/graphicDevice.h"

namespace {

constexpr int kItemCap = 50;  // 49 bytes of text and the NUL

// Copies at most 49 bytes, never ending on a lone lead byte.
void copyItem(char* out, const char* in) {
  size_t len = 0;
  if (in) {
    while (in[len] && len < kItemCap - 1) {
      const bool lead = static_cast<unsigned char>(in[len]) >= 0x80;
      if (lead && (len + 2 > kItemCap - 1 || !in[len + 1])) break;
      len += lead ? 2 : 1;
    }
    std::memcpy(out, in, len);
  }
  out[len] = '\0';
}

}  // namespace

SelectWindow::SelectWindow(int num, char** data) {
  if (num <= 0 || num > 6 || !data) {
    max = 0;
    return;
  }
  max = num;
  for (int i = 0; i < max; ++i) {
    copyItem(buffers[i], data[i]);
    item[i] = buffers[i];
  }
  width = 4 * static_cast<int>(std::strlen(item[0])) + 2;
  // The text clip band stays on the screen even for a window wider than it.
  left = std::max(160 - width, -1);
  right = std::min(160 + width, 320);
  pos = dispPos = select = 0;
}

SelectWindow::~SelectWindow() = default;

int SelectWindow::up() {
  if (max <= 0 || select == 0) return 0;
  --select;
  if (pos > 0) --pos;
  else --dispPos;
  return 1;
}

int SelectWindow::down() {
  if (max <= 0 || select >= max - 1) return 0;
  ++select;
  if (pos == 2) ++dispPos;
  else ++pos;
  return 1;
}

int SelectWindow::decide() { return max > 0 ? select : 0; }

namespace {

// One screen row of the window, clipped to the frame buffer.
class Row {
 public:
  Row(ZegDevice* zeg, int y)
      : p(y >= 0 && y < zeg->height ? zeg->videoMemory + static_cast<long>(y) * zeg->bytesPerLine : nullptr),
        w(zeg->width) {}

  // Frame colour red 240, green 240, blue 0 on x0..x1 (inclusive).
  void frame(int x0, int x1) const {
    if (!clip(x0, x1)) return;
    for (unsigned char* q = p + x0 * 3; x0 <= x1; ++x0, q += 3) {
      q[0] = 0;
      q[1] = 240;
      q[2] = 240;
    }
  }

  // Blend: each byte keeps a sixteenth and gets a constant added:
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
  void panel(int x0, int x1) const { blend(x0, x1, 64, 64, 240); }

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

}  // namespace

void SelectWindow::draw(ZegDevice* zeg) {
  if (!zeg || !zeg->videoMemory || max <= 0) return;
  const int sx = 160 - width, ex = 160 + width;

  for (int y : {131, 188}) Row(zeg, y).frame(sx, ex - 1);
  for (int y : {132, 187}) Row(zeg, y).frame(sx - 2, ex + 1);
  for (int y : {133, 186}) {
    const Row r(zeg, y);
    r.frame(sx - 2, sx - 1);
    r.frame(ex, ex + 1);
    r.panel(sx, ex - 1);
  }
  const int y1 = 16 * pos + 3, y2 = y1 + 15;
  int grad = 0, d = 8;
  for (int y = 0; y < 52; ++y) {
    const Row r(zeg, 134 + y);
    r.frame(sx - 3, sx - 2);
    r.frame(ex + 1, ex + 2);
    if (y < y1 || y > y2) {
      r.panel(sx - 1, ex);
      continue;
    }
    grad += d;
    if (grad >= 64) d = -d;
    r.panel(sx - 1, sx + 1);
    r.panel(ex - 2, ex);
    r.blend(sx + 2, ex - 3, 240, 64 + grad, 96 + grad);
  }

  for (int i = 0; i < 3; ++i) {
    const int n = dispPos + i;
    if (n >= 0 && n < 6 && item[n]) puts(zeg, sx + 2, 136 + 16 * i, item[n]);
  }
}
