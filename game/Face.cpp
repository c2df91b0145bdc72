// The character face: base picture with mouth and eye overlays, drawn at
// natural size or scaled and rotated about its centre.
#include "game/Face.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "graphics/PixelRows.h"
#include "graphics/graphicDevice.h"

namespace {

constexpr int kCentreRow = 121;
constexpr int kBlocks = 7;  // base, three mouths, three eye states

// The three layers of one draw; a missing overlay has null pointers.
struct Layers {
  const unsigned char* mouthData;
  const signed char* mouthMask;
  const unsigned char* eyesData;
  const signed char* eyesMask;
  const unsigned char* baseData;
  const signed char* baseMask;

  // Mouth over eyes over base; null where all three are transparent.
  const unsigned char* pick(size_t p) const {
    if (mouthMask && mouthMask[p]) return mouthData + 3 * p;
    if (eyesMask && eyesMask[p]) return eyesData + 3 * p;
    if (baseMask[p]) return baseData + 3 * p;
    return nullptr;
  }
};

long long floorDiv(long long a, long long b) {  // b > 0
  long long q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

long long ceilDiv(long long a, long long b) {  // b > 0
  long long q = a / b;
  return (a % b != 0 && a > 0) ? q + 1 : q;
}

// Narrows [lo, hi) to the integers d with low < k*d + b < high.
void narrow(long long k, long long b, long long low, long long high, long long& lo, long long& hi) {
  if (k == 0) {
    if (!(low < b && b < high)) hi = lo;
  } else if (k > 0) {
    lo = std::max(lo, floorDiv(low - b, k) + 1);
    hi = std::min(hi, ceilDiv(high - b, k));
  } else {
    lo = std::max(lo, floorDiv(b - high, -k) + 1);
    hi = std::min(hi, ceilDiv(b - low, -k));
  }
}

}  // namespace

Face::Face(int type, const char* fname) : Pf1(0, nullptr) {
  std::FILE* fp = openData(type, fname);
  if (!fp) return;
  loadFaceFrom(Pf1FileSource(fp));
  std::fclose(fp);
}

void Face::loadFaceFromMemory(const unsigned char* file, size_t size) {
  loadFaceFrom(Pf1MemorySource(file, size));
}

void Face::loadFaceFrom(const Pf1Source& src) {
  clear();
  std::vector<uint32_t>().swap(composed_);
  composedMouth_ = composedEyes_ = -2;
  for (int k = 0; k < 6; k++) {
    std::vector<unsigned char>().swap(facedata[k]);
    std::vector<signed char>().swap(facemask[k]);
  }
  Pf1Layout layout;
  try {
    if (!parsePf1Layout(src, layout) || layout.num < 1) return;
  } catch (const std::bad_alloc&) {
    return;
  }
  // Room for all seven layers counts against the picture size limit.
  if (!setSize(layout.width, layout.height, kBlocks)) return;
  setSize(layout.width, layout.height, 1);
  // Blocks past the seventh have no slot and are ignored; missing ones stay
  // empty and draw as fully transparent.
  const int blocks = std::min(layout.num, kBlocks);
  std::vector<unsigned char> baseData;
  std::vector<signed char> baseMask;
  for (int i = 0; i < blocks; i++) {
    decodeBlock(src, layout, i);
    if (i == 0) {
      baseData.swap(data);
      baseMask.swap(mask);
    } else {
      facedata[i - 1].swap(data);
      facemask[i - 1].swap(mask);
    }
  }
  data.swap(baseData);
  mask.swap(baseMask);
  if (empty()) clear();
}

void Face::compose(int eyes, int mouth) {
  if (eyes == composedEyes_ && mouth == composedMouth_ && !composed_.empty()) return;
  const size_t pixels = static_cast<size_t>(width) * height;
  auto overlay = [&](int k, const unsigned char*& d, const signed char*& msk) {
    d = nullptr;
    msk = nullptr;
    // Selections outside 0-2 and overlays the file lacks show nothing.
    if (k >= 0 && k < 6 && facemask[k].size() == pixels && facedata[k].size() == 3 * pixels) {
      d = facedata[k].data();
      msk = facemask[k].data();
    }
  };
  Layers layers{};
  if (mouth >= 0 && mouth <= 2) overlay(mouth, layers.mouthData, layers.mouthMask);
  if (eyes >= 0 && eyes <= 2) overlay(3 + eyes, layers.eyesData, layers.eyesMask);
  layers.baseData = data.data();
  layers.baseMask = mask.data();
  composed_.assign(pixels, 0);
  for (size_t p = 0; p < pixels; p++)
    if (const unsigned char* rgb = layers.pick(p)) {
      const unsigned char bgra[4] = {rgb[2], rgb[1], rgb[0], 0xFF};
      std::memcpy(&composed_[p], bgra, 4);
    }
  composedEyes_ = eyes;
  composedMouth_ = mouth;
}

void Face::draw(ZegDevice* zeg, int m, int o, int site, int eyes, int mouth) {
  if (empty() || m <= 0 || !zeg || !zeg->videoMemory || zeg->bytesPerPixel != 3) return;
  compose(eyes, mouth);

  const int cx = site == 0 ? 37 : 285;
  const int cy = kCentreRow;
  const int sw = zeg->width, sh = zeg->height;

  if (m == 128 && (o & 0xFF) == 0) {
    // Natural size: image pixel (x, y) at screen (cx - width/2 + x, cy - height/2 + y).
    const int left = cx - width / 2, top = cy - height / 2;
    const int x0 = std::max(0, -left), x1 = std::min(width, sw - left);
    const int y0 = std::max(0, -top), y1 = std::min(height, sh - top);
    if (x0 >= x1) return;
    for (int y = y0; y < y1; y++) {
      unsigned char* row = zeg->videoMemory + static_cast<long>(top + y) * zeg->bytesPerLine;
      pixelrows::bgraRow(row + 3 * static_cast<size_t>(left + x0), composed_.data() + static_cast<size_t>(y) * width + x0,
                         static_cast<size_t>(x1 - x0));
    }
    return;
  }

  // General path, inverse mapping: screen (cx + dx, cy + dy) shows image pixel
  //   x = (c*dx - s*dy) / m,  y = (s*dx + c*dy) / m   (truncating),
  // drawn when -(w>>1) <= x < (w>>1) and -(h>>1) <= y < (h>>1). For m > 0 and
  // integer X, trunc(X/m) >= -hw  <=>  X > -(hw+1)*m, and trunc(X/m) < hw <=> X < hw*m
  // (hw >= 1), so each row's span of drawn dx is solved exactly instead of
  // testing every pixel of the bounding square.
  const long long hw = width >> 1, hh = height >> 1;
  if (hw == 0 || hh == 0) return;
  const long long s = sinTable[o & 0xFF], c = cosTable[o & 0xFF];
  const long long mm = m;
  const long long R = std::min<long long>(static_cast<long long>(r) * mm / 256, 1LL << 24);
  const long long dyLo = std::max(-R, static_cast<long long>(-cy));
  const long long dyHi = std::min(R, static_cast<long long>(sh - cy));
  for (long long dy = dyLo; dy < dyHi; dy++) {
    long long lo = std::max(-R, static_cast<long long>(-cx));
    long long hi = std::min(R, static_cast<long long>(sw - cx));
    narrow(c, -s * dy, -(hw + 1) * mm, hw * mm, lo, hi);
    narrow(s, c * dy, -(hh + 1) * mm, hh * mm, lo, hi);
    if (lo >= hi) continue;
    unsigned char* row = zeg->videoMemory + static_cast<long>(cy + dy) * zeg->bytesPerLine;
    const pixelrows::Walk walk{c * lo - s * dy, s * lo + c * dy, c, s, mm, hw, hh, width};
    pixelrows::bgraWalkRow(row + 3 * static_cast<size_t>(cx + lo), composed_.data(), composed_.size(), walk,
                           static_cast<size_t>(hi - lo));
  }
}
