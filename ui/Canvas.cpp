#include "ui/Canvas.h"

#include <algorithm>

#include "graphics/graphicDevice.h"
#include "save/SaveFile.h"

namespace ui {

Canvas::Canvas(ZegDevice* zeg)
    : zeg_(zeg), ok_(zeg && zeg->videoMemory && zeg->bytesPerPixel == 3 && zeg->width == kWidth &&
                     zeg->height == kHeight) {}

unsigned char* Canvas::pixel(int x, int y) {
  return zeg_->videoMemory + static_cast<long>(y) * zeg_->bytesPerLine + static_cast<long>(x) * 3;
}

bool Canvas::clip(int& x0, int& y0, int& x1, int& y1) const {
  if (!ok_) return false;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, kWidth - 1);
  y1 = std::min(y1, kHeight - 1);
  return x0 <= x1 && y0 <= y1;
}

void Canvas::dim() {
  if (!ok_) return;
  for (int y = 0; y < kHeight; ++y) {
    unsigned char* p = pixel(0, y);
    for (int i = 0; i < kWidth * 3; ++i) p[i] = static_cast<unsigned char>(p[i] * 3 / 8);
  }
}

void Canvas::fill(int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b) {
  if (!clip(x0, y0, x1, y1)) return;
  for (int y = y0; y <= y1; ++y) {
    unsigned char* p = pixel(x0, y);
    for (int x = x0; x <= x1; ++x, p += 3) {
      p[0] = b;
      p[1] = g;
      p[2] = r;
    }
  }
}

void Canvas::tint(int x0, int y0, int x1, int y1) {
  if (!clip(x0, y0, x1, y1)) return;
  for (int y = y0; y <= y1; ++y) {
    unsigned char* p = pixel(x0, y);
    for (int x = x0; x <= x1; ++x, p += 3) {
      p[0] = static_cast<unsigned char>(p[0] / 16 + 240);
      p[1] = static_cast<unsigned char>(p[1] / 16 + 64);
      p[2] = static_cast<unsigned char>(p[2] / 16 + 64);
    }
  }
}

void Canvas::panel(int x0, int y0, int x1, int y1) {
  fill(x0 + 1, y0, x1 - 1, y0 + 1, 240, 240, 0);
  fill(x0 + 1, y1 - 1, x1 - 1, y1, 240, 240, 0);
  fill(x0, y0 + 1, x0 + 1, y1 - 1, 240, 240, 0);
  fill(x1 - 1, y0 + 1, x1, y1 - 1, 240, 240, 0);
  tint(x0 + 2, y0 + 2, x1 - 2, y1 - 2);
}

void Canvas::bar(int x0, int y0, int x1, int y1) {
  const int top = y0, h = std::max(1, y1 - y0 + 1);
  if (!clip(x0, y0, x1, y1)) return;
  for (int y = y0; y <= y1; ++y) {
    // Brightest in the middle row, as the choice window's bar.
    const int k = (y - top) * 16 / h;
    const int grad = 8 * (k < 8 ? k + 1 : 15 - k);
    unsigned char* p = pixel(x0, y);
    for (int x = x0; x <= x1; ++x, p += 3) {
      p[0] = static_cast<unsigned char>(p[0] / 16 + 96 + grad);
      p[1] = static_cast<unsigned char>(p[1] / 16 + 64 + grad);
      p[2] = static_cast<unsigned char>(p[2] / 16 + 240);
    }
  }
}

void Canvas::text(int x, int y, const std::string& sjis, int level, int clipLeft, int clipRight) {
  if (!ok_) return;
  if (!font_) font_.emplace();
  font_->left = clipLeft;
  font_->right = clipRight;
  font_->puts(zeg_, x, y, level, sjis.c_str());
}

void Canvas::picture(int x, int y, const save::Thumbnail& t) {
  if (!ok_ || t.rgb.size() != static_cast<size_t>(t.width) * t.height * 3) return;
  for (int row = 0; row < t.height; ++row) {
    const int sy = y + row;
    if (sy < 0 || sy >= kHeight) continue;
    for (int col = 0; col < t.width; ++col) {
      const int sx = x + col;
      if (sx < 0 || sx >= kWidth) continue;
      const uint8_t* s = &t.rgb[(static_cast<size_t>(row) * t.width + col) * 3];
      unsigned char* p = pixel(sx, sy);
      p[0] = s[2];
      p[1] = s[1];
      p[2] = s[0];
    }
  }
}

int Canvas::textWidth(const std::string& sjis) {
  int w = 0;
  for (size_t i = 0; i < sjis.size(); ++i) {
    if (static_cast<unsigned char>(sjis[i]) >= 0x80 && i + 1 < sjis.size()) {
      w += 16;
      ++i;
    } else {
      w += 8;
    }
  }
  return w;
}

std::string Canvas::fit(const std::string& sjis, int pixels) {
  int w = 0;
  size_t i = 0;
  while (i < sjis.size()) {
    const bool wide = static_cast<unsigned char>(sjis[i]) >= 0x80;
    const int cw = wide ? 16 : 8;
    if (w + cw > pixels || (wide && i + 1 >= sjis.size())) break;
    w += cw;
    i += wide ? 2 : 1;
  }
  return sjis.substr(0, i);
}

std::string Canvas::fitWords(const std::string& sjis, int pixels) {
  const std::string line = fit(sjis, pixels);
  if (line.size() == sjis.size()) return line;
  auto letter = [](char c) { return c > ' ' && static_cast<unsigned char>(c) < 0x80; };
  if (!letter(sjis[line.size()]) || line.empty() || !letter(line.back())) return line;
  // Back to the last space, unless it is a double-byte character's trail byte.
  for (size_t i = line.size(); i-- > 0;) {
    if (static_cast<unsigned char>(line[i]) >= 0x80) break;
    if (line[i] == ' ') {
      size_t lead = 0;
      while (lead < i) lead += static_cast<unsigned char>(line[lead]) >= 0x80 ? 2 : 1;
      if (lead == i) return line.substr(0, i + 1);
      break;
    }
  }
  return line;
}

void shrinkFrame(const ZegDevice& zeg, int width, int height, save::Thumbnail& out) {
  out = save::Thumbnail{};
  if (!zeg.videoMemory || width <= 0 || height <= 0 || zeg.width < width || zeg.height < height) return;
  out.width = width;
  out.height = height;
  out.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  for (int ty = 0; ty < height; ++ty) {
    const int y0 = ty * zeg.height / height, y1 = (ty + 1) * zeg.height / height;
    for (int tx = 0; tx < width; ++tx) {
      const int x0 = tx * zeg.width / width, x1 = (tx + 1) * zeg.width / width;
      unsigned sum[3] = {0, 0, 0};
      for (int y = y0; y < y1; ++y) {
        const unsigned char* p = zeg.videoMemory + static_cast<long>(y) * zeg.bytesPerLine + x0 * 3L;
        for (int x = x0; x < x1; ++x, p += 3) {
          sum[0] += p[2];
          sum[1] += p[1];
          sum[2] += p[0];
        }
      }
      const unsigned n = static_cast<unsigned>((y1 - y0) * (x1 - x0));
      uint8_t* o = &out.rgb[(static_cast<size_t>(ty) * width + tx) * 3];
      for (int c = 0; c < 3; ++c) o[c] = static_cast<uint8_t>(sum[c] / n);
    }
  }
}

}  // namespace ui
