// The choice window: item buffers, cursor movement and drawing.
#include "game/SelectWindow.h"

#include <algorithm>
#include <cstring>

#include "game/ScreenRow.h"
#include "graphics/graphicDevice.h"

namespace {

constexpr int kItemCap = 50;  // 49 bytes of text and the NUL

// Copies the longest prefix of whole characters that fits 49 bytes; a lead
// byte right before the NUL is a character of its own (the font draws
// nothing for it, the width counts it).
void copyItem(char* out, const char* in) {
  size_t len = 0;
  if (in) {
    while (in[len]) {
      const bool pair = static_cast<unsigned char>(in[len]) >= 0x80 && in[len + 1];
      const size_t n = pair ? 2 : 1;
      if (len + n > kItemCap - 1) break;
      len += n;
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

int SelectWindow::rowAt(int x, int y) const {
  const int sx = 160 - width, ex = 160 + width;
  if (max <= 0 || x < sx - 3 || x > ex + 2 || y < kBarTop || y >= kBarTop + kVisibleRows * kRowHeight) return -1;
  const int row = dispPos + (y - kBarTop) / kRowHeight;
  return row < max ? row : -1;
}

namespace {

const unsigned char kFrame[3] = {0, 240, 240};  // blue, green, red

}  // namespace

void SelectWindow::draw(ZegDevice* zeg) {
  if (!zeg || !zeg->videoMemory || max <= 0) return;
  const int sx = 160 - width, ex = 160 + width;

  for (int y : {131, 188}) ScreenRow(zeg, y).solid(sx, ex - 1, kFrame);
  for (int y : {132, 187}) ScreenRow(zeg, y).solid(sx - 2, ex + 1, kFrame);
  for (int y : {133, 186}) {
    const ScreenRow r(zeg, y);
    r.solid(sx - 2, sx - 1, kFrame);
    r.solid(ex, ex + 1, kFrame);
    r.blend(sx, ex - 1, 64, 64, 240);
  }
  const int y1 = 16 * pos + 3, y2 = y1 + 15;  // kBarTop is 134 + 3
  int grad = 0, d = 8;
  for (int y = 0; y < 52; ++y) {
    const ScreenRow r(zeg, 134 + y);
    r.solid(sx - 3, sx - 2, kFrame);
    r.solid(ex + 1, ex + 2, kFrame);
    if (y < y1 || y > y2) {
      r.blend(sx - 1, ex, 64, 64, 240);
      continue;
    }
    grad += d;
    if (grad >= 64) d = -d;
    r.blend(sx - 1, sx + 1, 64, 64, 240);
    r.blend(ex - 2, ex, 64, 64, 240);
    r.blend(sx + 2, ex - 3, 240, 64 + grad, 96 + grad);
  }

  for (int i = 0; i < 3; ++i) {
    const int n = dispPos + i;
    if (n >= 0 && n < 6 && item[n]) puts(zeg, sx + 2, 136 + 16 * i, item[n]);
  }
}
