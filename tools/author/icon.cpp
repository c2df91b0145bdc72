#include "tools/author/icon.h"

#include <algorithm>
#include <cmath>

#include "platform/Png.h"

namespace author {

namespace {

constexpr int kMaxSide = 4096;

// The overlap of source cell [i, i + 1) with [from, to), in source pixels.
double overlap(int i, double from, double to) {
  return std::max(0.0, std::min<double>(i + 1, to) - std::max<double>(i, from));
}

}  // namespace

bool scaleIcon(const std::vector<unsigned char>& rgba, int width, int height, const IconCrop& given, int size,
               std::vector<unsigned char>& out, std::string& error) {
  if (size < 1 || size > kMaxSide) {
    error = "icon size must be 1 to " + std::to_string(kMaxSide);
    return false;
  }
  if (width < 1 || height < 1 || rgba.size() < static_cast<size_t>(width) * height * 4) {
    error = "empty picture";
    return false;
  }
  IconCrop crop = given;
  if (crop.side == 0) {
    crop.side = std::min(width, height);
    crop.x = (width - crop.side) / 2;
    crop.y = (height - crop.side) / 2;
  }
  if (crop.side < 1 || crop.x < 0 || crop.y < 0 || crop.x > width - crop.side || crop.y > height - crop.side) {
    error = "the square " + std::to_string(crop.side) + " at " + std::to_string(crop.x) + "," + std::to_string(crop.y) +
            " does not lie inside the " + std::to_string(width) + "x" + std::to_string(height) + " picture";
    return false;
  }
  out.assign(static_cast<size_t>(size) * size * 4, 0);
  const double step = static_cast<double>(crop.side) / size;
  for (int oy = 0; oy < size; ++oy) {
    const double y0 = crop.y + oy * step, y1 = y0 + step;
    for (int ox = 0; ox < size; ++ox) {
      const double x0 = crop.x + ox * step, x1 = x0 + step;
      // out = sum(w * a * c) / sum(w * a) per colour, alpha = sum(w * a) / sum(w)
      double sum[3] = {0, 0, 0}, alpha = 0, area = 0;
      for (int sy = static_cast<int>(y0); sy < y1 && sy < height; ++sy) {
        const double wy = overlap(sy, y0, y1);
        for (int sx = static_cast<int>(x0); sx < x1 && sx < width; ++sx) {
          const double w = wy * overlap(sx, x0, x1);
          const unsigned char* p = &rgba[(static_cast<size_t>(sy) * width + sx) * 4];
          const double wa = w * p[3];
          for (int c = 0; c < 3; ++c) sum[c] += wa * p[c];
          alpha += wa;
          area += w;
        }
      }
      unsigned char* q = &out[(static_cast<size_t>(oy) * size + ox) * 4];
      if (alpha > 0)
        for (int c = 0; c < 3; ++c) q[c] = static_cast<unsigned char>(std::lround(sum[c] / alpha));
      q[3] = area > 0 ? static_cast<unsigned char>(std::lround(alpha / area)) : 0;
    }
  }
  return true;
}

bool makeIcon(const std::string& in, const std::string& out, const IconCrop& crop, int size, std::string& error) {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  std::string why;
  if (!platform::readPngRgba(in, width, height, rgba, &why)) {
    error = "cannot read " + in + ": " + why;
    return false;
  }
  std::vector<unsigned char> icon;
  if (!scaleIcon(rgba, width, height, crop, size, icon, error)) {
    error = in + ": " + error;
    return false;
  }
  if (!platform::writePng(out, size, size, 4, icon.data())) {
    error = "cannot write " + out;
    return false;
  }
  return true;
}

}  // namespace author
