#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "game/Face.h"
#include "graphics/PixelRows.h"
#include "graphics/graphicDevice.h"
#include "tests/graphics/Pf1Bytes.h"

namespace {

using pf1test::Bytes;
using pf1test::Rgb;

constexpr uint16_t kRed = 0x001F, kGreen = 0x03E0, kBlue = 0x7C00, kWhite = 0x7FFF;

// A block of literal pixels: word(x, y) for each pixel.
Bytes layer(int w, int h, const std::function<uint16_t(int, int)>& word) {
  Bytes s;
  std::vector<uint16_t> words;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) words.push_back(word(x, y));
  for (size_t i = 0; i < words.size(); i += 127) {
    size_t n = std::min<size_t>(127, words.size() - i);
    s.push_back(static_cast<unsigned char>(n));
    for (size_t k = 0; k < n; k++) lmtest::put16(s, words[i + k]);
  }
  return pf1test::block(s, {});
}

Bytes clearLayer(int w, int h) {
  return layer(w, h, [](int, int) { return 0; });
}

// Base: a pattern distinct per pixel (never 0); overlays: transparent unless given.
uint16_t baseWord(int x, int y) { return static_cast<uint16_t>(0x8000 | ((x & 31) | ((y & 31) << 5) | 0x400)); }

Bytes faceFile(int w, int h, std::vector<Bytes> overlays = {}) {
  std::vector<Bytes> blocks = {layer(w, h, baseWord)};
  for (int i = 0; i < 6; i++) blocks.push_back(i < static_cast<int>(overlays.size()) ? overlays[i] : clearLayer(w, h));
  return pf1test::file(w, h, blocks);
}

struct FaceTest : ::testing::Test {
  lmtest::ScratchDir dir;
  ZegDevice zeg{320, 240, 24};
  const Rgb grey{3, 33, 133};
  void SetUp() override { pf1test::fill(zeg, grey); }
  // Bounding box of the changed pixels and their count.
  struct Box {
    int x0 = 9999, y0 = 9999, x1 = -1, y1 = -1, n = 0;
  };
  Box changed() const {
    Box b;
    for (int y = 0; y < 240; y++)
      for (int x = 0; x < 320; x++)
        if (!(pf1test::at(zeg, x, y) == grey)) {
          b.x0 = std::min(b.x0, x);
          b.y0 = std::min(b.y0, y);
          b.x1 = std::max(b.x1, x);
          b.y1 = std::max(b.y1, y);
          b.n++;
        }
    return b;
  }
  Face load(const Bytes& f) {
    lmtest::writeFile("FACE0101.PF1", f);
    return Face(4, "FACE0101.PF1");
  }
};

Rgb colourOf(uint16_t w) { return {(w & 31) * 8, ((w >> 5) & 31) * 8, ((w >> 10) & 31) * 8}; }

TEST_F(FaceTest, NaturalSizeSitsAtTheLeftOrRightCentre) {
  Face face = load(faceFile(64, 80));
  ASSERT_FALSE(face.empty());
  face.draw(&zeg, 128, 0, 0, 0, 0);
  Box b = changed();
  EXPECT_EQ(b.x0, 5);
  EXPECT_EQ(b.x1, 68);
  EXPECT_EQ(b.y0, 81);
  EXPECT_EQ(b.y1, 160);
  EXPECT_EQ(b.n, 64 * 80);
  EXPECT_EQ(pf1test::at(zeg, 5 + 9, 81 + 7), colourOf(baseWord(9, 7)));
  pf1test::fill(zeg, grey);
  face.draw(&zeg, 128, 256, 1, 0, 0);  // o = 256 is the natural path too
  b = changed();
  EXPECT_EQ(b.x0, 253);
  EXPECT_EQ(b.x1, 316);
  EXPECT_EQ(b.n, 64 * 80);
  pf1test::fill(zeg, grey);
  face.draw(&zeg, 128, 0, 7, 0, 0);  // any nonzero site is the right
  EXPECT_EQ(changed().x0, 253);
}

TEST_F(FaceTest, ZeroScaleAndEmptyFacesDrawNothing) {
  Face face = load(faceFile(64, 80));
  face.draw(&zeg, 0, 0, 0, 0, 0);
  face.draw(&zeg, -10, 30, 0, 0, 0);
  EXPECT_EQ(changed().n, 0);
  Face missing(4, "NOFACE.PF1");
  EXPECT_TRUE(missing.empty());
  missing.draw(&zeg, 128, 0, 0, 0, 0);
  missing.draw(&zeg, 100, 10, 0, 0, 0);
  EXPECT_EQ(changed().n, 0);
}

TEST_F(FaceTest, MouthOverEyesOverBase) {
  const int w = 8, h = 4;
  // Base transparent at (2, 0); mouth 1 opaque at (0, 0); eyes 2 opaque at (0, 0) and (1, 0).
  std::vector<Bytes> ov(6, clearLayer(w, h));
  ov[1] = layer(w, h, [](int x, int y) { return x == 0 && y == 0 ? kGreen : 0; });
  ov[5] = layer(w, h, [](int x, int y) { return y == 0 && x < 2 ? kBlue : 0; });
  std::vector<Bytes> blocks = {layer(w, h, [](int x, int y) { return x == 2 && y == 0 ? 0 : kRed; })};
  blocks.insert(blocks.end(), ov.begin(), ov.end());
  Face face = load(pf1test::file(w, h, blocks));
  face.draw(&zeg, 128, 0, 0, 2, 1);
  const int left = 37 - w / 2, top = 121 - h / 2;
  EXPECT_EQ(pf1test::at(zeg, left + 0, top), colourOf(kGreen));
  EXPECT_EQ(pf1test::at(zeg, left + 1, top), colourOf(kBlue));
  EXPECT_EQ(pf1test::at(zeg, left + 2, top), grey);
  EXPECT_EQ(pf1test::at(zeg, left + 3, top), colourOf(kRed));
  // Other selections leave the base showing.
  face.draw(&zeg, 128, 0, 0, 0, 0);
  EXPECT_EQ(pf1test::at(zeg, left + 0, top), colourOf(kRed));
}

TEST_F(FaceTest, MissingOrUnselectableOverlaysAreTransparent) {
  // Only the base and mouth 0: eyes and the other mouths are missing.
  Bytes f = pf1test::file(8, 4, {layer(8, 4, [](int, int) { return kRed; }),
                                  layer(8, 4, [](int x, int) { return x == 0 ? kWhite : 0; })});
  Face face = load(f);
  ASSERT_FALSE(face.empty());
  face.draw(&zeg, 128, 0, 0, 2, 0);
  EXPECT_EQ(pf1test::at(zeg, 33, 119), colourOf(kWhite));
  EXPECT_EQ(pf1test::at(zeg, 34, 119), colourOf(kRed));
  for (int sel : {-1, 3, 100, -2147483647 - 1}) {
    pf1test::fill(zeg, grey);
    face.draw(&zeg, 128, 0, 0, sel, sel);
    EXPECT_EQ(pf1test::at(zeg, 33, 119), colourOf(kRed)) << sel;
    face.draw(&zeg, 100, 40, 0, sel, 2);
  }
  // A base alone, and more blocks than there are slots.
  Face one = load(pf1test::file(8, 4, {layer(8, 4, [](int, int) { return kRed; })}));
  one.draw(&zeg, 128, 0, 0, 1, 1);
  std::vector<Bytes> many(12, layer(8, 4, [](int, int) { return kGreen; }));
  Face twelve = load(pf1test::file(8, 4, many));
  twelve.draw(&zeg, 128, 0, 0, 2, 2);
  EXPECT_EQ(pf1test::at(zeg, 33, 119), colourOf(kGreen));
}

TEST_F(FaceTest, QuarterTurnPutsTheRightEdgeOnTop) {
  // Left half blue, right half red.
  Bytes base = layer(64, 80, [](int x, int) { return x < 32 ? kBlue : kRed; });
  std::vector<Bytes> blocks = {base};
  for (int i = 0; i < 6; i++) blocks.push_back(clearLayer(64, 80));
  Face face = load(pf1test::file(64, 80, blocks));
  face.draw(&zeg, 128, 64, 0, 0, 0);
  EXPECT_EQ(pf1test::at(zeg, 37, 121 - 20), colourOf(kRed));
  EXPECT_EQ(pf1test::at(zeg, 37, 121 + 20), colourOf(kBlue));
  // Turned, the picture is about 80 wide and 64 tall.
  Box b = changed();
  EXPECT_NEAR(b.x1 - b.x0 + 1, 80, 2);
  EXPECT_NEAR(b.y1 - b.y0 + 1, 64, 2);
}

TEST_F(FaceTest, HalfScaleShrinksAboutTheCentre) {
  Face face = load(faceFile(64, 80));
  face.draw(&zeg, 64, 0, 1, 0, 0);
  Box b = changed();
  EXPECT_NEAR(b.x1 - b.x0 + 1, 32, 2);
  EXPECT_NEAR(b.y1 - b.y0 + 1, 40, 2);
  EXPECT_NEAR((b.x0 + b.x1) / 2.0, 285, 1.5);
  EXPECT_NEAR((b.y0 + b.y1) / 2.0, 121, 1.5);
}

struct Trig : Fade {
  static int sine(int i) { return sinTable[i & 0xFF]; }
  static int cosine(int i) { return cosTable[i & 0xFF]; }
};

// The general path written plainly: every pixel of the clipped square tested.
void referenceDraw(const Face& f, ZegDevice& zeg, int m, int o, int site, int eyes, int mouth) {
  const int cx = site == 0 ? 37 : 285;
  const int R = f.r * m / 256;
  const int s = Trig::sine(o), c = Trig::cosine(o);
  for (int dy = std::max(-R, -121); dy < std::min(R, 240 - 121); dy++)
    for (int dx = std::max(-R, -cx); dx < std::min(R, 320 - cx); dx++) {
      int x = (c * dx - s * dy) / m, y = (s * dx + c * dy) / m;
      if (x < -(f.width >> 1) || x >= (f.width >> 1) || y < -(f.height >> 1) || y >= (f.height >> 1)) continue;
      size_t p = static_cast<size_t>(y + (f.height >> 1)) * f.width + (f.width >> 1) + x;
      const unsigned char* src = nullptr;
      if (f.facemask[mouth][p])
        src = &f.facedata[mouth][3 * p];
      else if (f.facemask[3 + eyes][p])
        src = &f.facedata[3 + eyes][3 * p];
      else if (f.mask[p])
        src = &f.data[3 * p];
      if (src) pf1test::put(zeg, cx + dx, 121 + dy, {src[0], src[1], src[2]});
    }
}

TEST_F(FaceTest, GeneralPathMatchesThePlainInverseMapping) {
  // Odd sizes, a transparent hole and overlays make the spans uneven.
  const int w = 37, h = 51;
  std::vector<Bytes> blocks = {layer(w, h, [](int x, int y) { return (x - 18) * (x - 18) + (y - 25) * (y - 25) < 40 ? 0 : baseWord(x, y); })};
  for (int i = 0; i < 6; i++) blocks.push_back(layer(w, h, [i](int x, int y) { return (x + y + i) % 5 == 0 ? kWhite : 0; }));
  Face face = load(pf1test::file(w, h, blocks));
  ASSERT_FALSE(face.empty());
  ZegDevice want(320, 240, 24);
  for (int m : {1, 8, 18, 64, 97, 128, 200, 400})
    for (int o = 0; o < 256; o += 7)
      for (int site : {0, 1}) {
        pf1test::fill(zeg, grey);
        pf1test::fill(want, grey);
        face.draw(&zeg, m, o, site, o % 3, m % 3);
        if (m == 128 && o == 0) continue;
        referenceDraw(face, want, m, o, site, o % 3, m % 3);
        ASSERT_EQ(0, std::memcmp(zeg.storage(), want.storage(), 320 * 240 * 3)) << "m " << m << " o " << o << " site " << site;
      }
}

// Both paths written plainly, for any selection (outside 0-2: no layer).
void referenceAny(const Face& f, ZegDevice& zeg, int m, int o, int site, int eyes, int mouth) {
  auto pick = [&](size_t p) -> const unsigned char* {
    if (mouth >= 0 && mouth <= 2 && f.facemask[mouth][p]) return &f.facedata[mouth][3 * p];
    if (eyes >= 0 && eyes <= 2 && f.facemask[3 + eyes][p]) return &f.facedata[3 + eyes][3 * p];
    return f.mask[p] ? &f.data[3 * p] : nullptr;
  };
  const int cx = site == 0 ? 37 : 285;
  if (m == 128 && (o & 0xFF) == 0) {
    for (int y = 0; y < f.height; y++)
      for (int x = 0; x < f.width; x++)
        if (const unsigned char* src = pick(static_cast<size_t>(y) * f.width + x))
          pf1test::put(zeg, cx - f.width / 2 + x, 121 - f.height / 2 + y, {src[0], src[1], src[2]});
    return;
  }
  const int R = f.r * m / 256;
  const int s = Trig::sine(o), c = Trig::cosine(o);
  for (int dy = std::max(-R, -121); dy < std::min(R, 240 - 121); dy++)
    for (int dx = std::max(-R, -cx); dx < std::min(R, 320 - cx); dx++) {
      int x = (c * dx - s * dy) / m, y = (s * dx + c * dy) / m;
      if (x < -(f.width >> 1) || x >= (f.width >> 1) || y < -(f.height >> 1) || y >= (f.height >> 1)) continue;
      if (const unsigned char* src = pick(static_cast<size_t>(y + (f.height >> 1)) * f.width + (f.width >> 1) + x))
        pf1test::put(zeg, cx + dx, 121 + dy, {src[0], src[1], src[2]});
    }
}

TEST_F(FaceTest, EverySelectionOnEveryPathShowsTheChosenLayers) {
  // The face keeps the last selection's layers composed: changing the mouth
  // or the eyes, or loading another face, must show the new layers at once.
  const int w = 37, h = 51;
  auto file = [&](int salt) {
    std::vector<Bytes> blocks = {layer(w, h, [salt](int x, int y) { return (x * y + salt) % 7 == 0 ? 0 : baseWord(x + salt, y); })};
    for (int k = 1; k < 7; k++)
      blocks.push_back(layer(w, h, [k, salt](int x, int y) {
        return (x * k + y + salt) % 4 == 0 ? static_cast<uint16_t>(0x8000 | (k * 0x0C63 + salt)) : 0;
      }));
    return pf1test::file(w, h, blocks);
  };
  Face face = load(file(0));
  ASSERT_FALSE(face.empty());
  const std::pair<int, int> selections[] = {{0, 0}, {1, 0}, {1, 2}, {2, 2}, {0, 1}, {2, 1}, {0, 0}, {3, 0}, {-1, 1}, {0, 5}, {0, 0}};
  ZegDevice want(320, 240, 24);
  const pixelrows::Path before = pixelrows::currentPath();
  for (pixelrows::Path path : {pixelrows::Path::Plain, pixelrows::Path::Ssse3, pixelrows::Path::Avx2, pixelrows::Path::Avx512}) {
    if (!pixelrows::usePath(path)) continue;
    for (int reload = 0; reload < 2; reload++) {
      if (reload) {
        const Bytes other = file(3);
        face.loadFaceFromMemory(other.data(), other.size());
      }
      for (const auto& [eyes, mouth] : selections)
        for (const auto& [m, o] : {std::pair<int, int>{128, 0}, {90, 40}, {128, 200}}) {
          pf1test::fill(zeg, grey);
          pf1test::fill(want, grey);
          face.draw(&zeg, m, o, mouth & 1, eyes, mouth);
          referenceAny(face, want, m, o, mouth & 1, eyes, mouth);
          ASSERT_EQ(0, std::memcmp(zeg.storage(), want.storage(), 320 * 240 * 3))
              << pixelrows::pathName(path) << " reload " << reload << " eyes " << eyes << " mouth " << mouth << " m " << m;
        }
    }
    const Bytes first = file(0);
    face.loadFaceFromMemory(first.data(), first.size());
  }
  pixelrows::usePath(before);
}

TEST_F(FaceTest, LargeFacesAreClippedAtTheScreenEdges) {
  Face face = load(faceFile(300, 260));
  face.draw(&zeg, 128, 0, 0, 0, 0);
  Box b = changed();
  EXPECT_EQ(b.x0, 0);
  EXPECT_EQ(b.y0, 0);
  EXPECT_EQ(b.y1, 239);
  EXPECT_EQ(pf1test::at(zeg, 0, 0), colourOf(baseWord(150 - 37, 130 - 121)));
  pf1test::fill(zeg, grey);
  face.draw(&zeg, 128, 30, 0, 0, 0);
  face.draw(&zeg, 255, 200, 1, 1, 1);
  face.draw(&zeg, 2147483647, 3, 1, 1, 1);
  b = changed();
  EXPECT_EQ(b.x0, 0);
  EXPECT_EQ(b.y0, 0);
  EXPECT_EQ(b.x1, 319);
  EXPECT_EQ(b.y1, 239);
}

TEST_F(FaceTest, DamagedFaceFilesLoadSafely) {
  Bytes f = faceFile(16, 16);
  for (size_t cut : {size_t(0), size_t(10), size_t(40), f.size() / 3, f.size() - 1}) {
    Bytes part(f.begin(), f.begin() + cut);
    Face face = load(part);
    face.draw(&zeg, 128, 0, 0, 1, 1);
    face.draw(&zeg, 90, 17, 1, 2, 0);
  }
  Bytes huge = pf1test::file(2000, 2000, {layer(1, 1, [](int, int) { return kRed; })}, 7);
  EXPECT_TRUE(load(huge).empty());  // seven layers of 4M pixels each exceed the limit
}

}  // namespace
