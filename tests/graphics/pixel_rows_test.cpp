// Every vector path of the row kernels against the plain loops: all fade
// levels and byte values, mask patterns, row lengths around each path's group
// size, misaligned and bottom-up rows, zoom column lists and face walks.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "graphics/Fade.h"
#include "graphics/Pf1.h"
#include "graphics/PixelRows.h"
#include "graphics/graphicDevice.h"
#include "tests/graphics/Pf1Bytes.h"

namespace {

using pixelrows::Path;

// The fade table (built by the first construction of a Fade).
struct Table : Fade {
  static unsigned char at(int cl, int level) {
    Table built;
    return fadeTable[cl][level];
  }
  static std::vector<unsigned char> column(int level) {
    Table built;
    std::vector<unsigned char> lut(256);
    for (int cl = 0; cl < 256; cl++) lut[cl] = fadeTable[cl][level];
    return lut;
  }
};

std::vector<Path> vectorPaths() {
  std::vector<Path> out;
  for (Path p : {Path::Ssse3, Path::Avx2, Path::Avx512})
    if (pixelrows::available(p)) out.push_back(p);
  return out;
}

// Runs f with `path` in use, then restores the path before.
template <class F>
void onPath(Path path, F f) {
  const Path before = pixelrows::currentPath();
  ASSERT_TRUE(pixelrows::usePath(path));
  f();
  pixelrows::usePath(before);
}

TEST(PixelRows, PathsAreChosenAndSwitched) {
  EXPECT_TRUE(pixelrows::available(Path::Plain));
  const Path start = pixelrows::currentPath();
  EXPECT_TRUE(pixelrows::available(start));
  // The fastest available path is the one in use at start-up.
  for (Path p : vectorPaths()) EXPECT_GE(static_cast<int>(start), static_cast<int>(p)) << pixelrows::pathName(p);
  EXPECT_TRUE(pixelrows::usePath(Path::Plain));
  EXPECT_EQ(pixelrows::currentPath(), Path::Plain);
  EXPECT_TRUE(pixelrows::usePath(start));
  EXPECT_STREQ(pixelrows::pathName(Path::Avx512), "avx512");
#if !defined(__x86_64__)
  EXPECT_FALSE(pixelrows::available(Path::Avx2));
  EXPECT_FALSE(pixelrows::usePath(Path::Avx2));
#endif
}

TEST(PixelRows, PlainLoopSwapsChannelsAndFadesThroughTheTable) {
  std::vector<unsigned char> src = {10, 20, 30, 200, 100, 0};
  std::vector<signed char> mask = {0, 1};
  for (int level : {0, 64, 127, 128, 192, 255}) {
    std::vector<unsigned char> lut = Table::column(level);
    std::vector<unsigned char> dst(6, 9);
    pixelrows::plain::drawBlock({dst.data(), 0, src.data(), 0, nullptr, 0, 2, 1}, level, lut.data());
    const std::vector<unsigned char> want = {Table::at(30, level), Table::at(20, level), Table::at(10, level),
                                             Table::at(0, level),  Table::at(100, level), Table::at(200, level)};
    EXPECT_EQ(dst, want) << level;
    std::vector<unsigned char> masked(6, 9);
    pixelrows::plain::drawBlock({masked.data(), 0, src.data(), 0, mask.data(), 0, 2, 1}, level, lut.data());
    EXPECT_EQ(masked, (std::vector<unsigned char>{9, 9, 9, want[3], want[4], want[5]})) << level;
  }
}

TEST(PixelRows, EveryPathMatchesThePlainLoopForEveryLevelAndByte) {
  // 256 pixels: every byte value in every channel, in three different orders.
  const size_t n = 256;
  std::vector<unsigned char> src(3 * n);
  std::vector<signed char> mask(n);
  for (size_t i = 0; i < n; i++) {
    src[3 * i] = static_cast<unsigned char>(i);
    src[3 * i + 1] = static_cast<unsigned char>(255 - i);
    src[3 * i + 2] = static_cast<unsigned char>(i * 77 + 5);
    mask[i] = static_cast<signed char>(i % 3 == 1 ? 0 : i % 5 + 1);
  }
  for (int level = 0; level < 256; level++) {
    std::vector<unsigned char> lut = Table::column(level);
    for (bool masked : {false, true}) {
      const signed char* m = masked ? mask.data() : nullptr;
      std::vector<unsigned char> want(3 * n, 0x5A);
      pixelrows::plain::drawBlock({want.data(), 0, src.data(), 0, m, 0, n, 1}, level, lut.data());
      for (Path p : vectorPaths())
        onPath(p, [&] {
          std::vector<unsigned char> got(3 * n, 0x5A);
          pixelrows::drawBlock({got.data(), 0, src.data(), 0, m, 0, n, 1}, level, lut.data());
          ASSERT_EQ(got, want) << pixelrows::pathName(p) << " level " << level << " mask " << masked;
        });
    }
  }
}

// Random bytes, and masks of several kinds (any nonzero byte is opaque).
std::vector<signed char> maskPattern(int kind, size_t n, std::mt19937& rng) {
  std::vector<signed char> m(n);
  for (size_t i = 0; i < n; i++) {
    switch (kind) {
      case 0: m[i] = 1; break;
      case 1: m[i] = 0; break;
      case 2: m[i] = static_cast<signed char>(i & 1); break;
      case 3: m[i] = static_cast<signed char>((i / 7) % 2 ? -1 : 0); break;
      default: m[i] = static_cast<signed char>(rng() % 3 == 0 ? 0 : ((static_cast<int>(rng() % 255) - 127) | 1)); break;
    }
  }
  return m;
}

TEST(PixelRows, EveryPathMatchesThePlainLoopOnEveryLengthAndAlignment) {
  std::mt19937 rng(7);
  const size_t rows = 3;
  const size_t guard = 70;
  for (size_t n = 0; n <= 200; n++)
    for (size_t offset : {size_t(0), size_t(1), size_t(3)})
      for (int kind = -1; kind < 5; kind++)
        for (int level : {128, 127, 0, 61, 200, 255}) {
          // Exact-size source and mask, so that a read past either is caught
          // by the address sanitizer; a bottom-up destination with guard bytes
          // around every row.
          std::vector<unsigned char> src(3 * n * rows);
          for (auto& b : src) b = static_cast<unsigned char>(rng());
          std::vector<signed char> mask = kind < 0 ? std::vector<signed char>() : maskPattern(kind, n * rows, rng);
          const long stride = static_cast<long>(3 * n + 2 * guard);
          std::vector<unsigned char> base(static_cast<size_t>(stride) * rows + offset);
          for (auto& b : base) b = static_cast<unsigned char>(rng());
          unsigned char* lastRow = base.data() + offset + static_cast<size_t>(stride) * (rows - 1) + guard;
          std::vector<unsigned char> lut = Table::column(level);
          auto block = [&](unsigned char* at) {
            return pixelrows::Block{at,
                                    -stride,
                                    src.data(),
                                    static_cast<long>(3 * n),
                                    kind < 0 ? nullptr : mask.data(),
                                    static_cast<long>(n),
                                    n,
                                    rows};
          };
          const std::vector<unsigned char> before = base;
          pixelrows::plain::drawBlock(block(lastRow), level, lut.data());
          const std::vector<unsigned char> want = base;
          for (Path p : vectorPaths())
            onPath(p, [&] {
              base = before;
              pixelrows::drawBlock(block(lastRow), level, lut.data());
              ASSERT_EQ(base, want) << pixelrows::pathName(p) << " n " << n << " offset " << offset << " mask kind "
                                    << kind << " level " << level;
            });
        }
}

// The zoom's column list for one zoom value: output column i's source column.
std::vector<int32_t> zoomColumns(int width, int zoom, int hacc) {
  std::vector<int32_t> at;
  int col = 0;
  for (int i = 0; i < width * zoom / 100; i++) {
    at.push_back(3 * col);
    do {
      col++;
      hacc -= zoom;
    } while (hacc > 0);
    hacc += 100;
  }
  return at;
}

TEST(PixelRows, GathersMatchThePlainLoopForEveryZoomAndForSparseLists) {
  std::mt19937 rng(11);
  std::vector<std::vector<int32_t>> lists;
  for (int width : {1, 7, 33, 320})
    for (int zoom = 1; zoom <= 100; zoom++) lists.push_back(zoomColumns(width, zoom, 100 - (zoom * 7) % 100));
  for (int k = 0; k < 200; k++) {  // random gaps, some wider than a 16-pixel group can span
    std::vector<int32_t> at;
    int col = static_cast<int>(rng() % 5);
    for (size_t i = 0, n = rng() % 90; i < n; i++) {
      at.push_back(3 * col);
      col += 1 + static_cast<int>(rng() % (k % 2 ? 3 : 14));
    }
    lists.push_back(at);
  }
  for (const auto& at : lists) {
    if (at.empty()) continue;
    // The source ends right after the last sampled pixel.
    std::vector<unsigned char> src(static_cast<size_t>(at.back()) + 3);
    for (auto& b : src) b = static_cast<unsigned char>(rng());
    pixelrows::Columns cols;
    cols.at = at;
    std::vector<unsigned char> want(3 * at.size() + 8, 0xEE);
    pixelrows::plain::gatherRow(want.data(), src.data(), src.size(), cols);
    std::vector<Path> prepared = vectorPaths();
    prepared.push_back(Path::Plain);
    for (Path use : vectorPaths())
      for (Path prep : prepared) {  // a list prepared for one path still works on another
        onPath(prep, [&] { cols.prepare(); });
        onPath(use, [&] {
          std::vector<unsigned char> got(3 * at.size() + 8, 0xEE);
          pixelrows::gatherRow(got.data(), src.data(), src.size(), cols);
          ASSERT_EQ(got, want) << pixelrows::pathName(use) << " prepared for " << pixelrows::pathName(prep)
                               << ", " << at.size() << " columns up to " << at.back() / 3;
        });
      }
  }
}

TEST(PixelRows, FacePixelRowsMatchThePlainLoop) {
  std::mt19937 rng(5);
  for (size_t n = 0; n < 70; n++)
    for (int kind = 0; kind < 4; kind++) {
      std::vector<uint32_t> px(n);
      for (size_t i = 0; i < n; i++) {
        const bool opaque = kind == 0 || (kind == 2 && i % 2) || (kind == 3 && rng() % 2);
        const unsigned char b[4] = {static_cast<unsigned char>(rng()), static_cast<unsigned char>(rng()),
                                    static_cast<unsigned char>(rng()), static_cast<unsigned char>(opaque ? 0xFF : 0)};
        std::memcpy(&px[i], b, 4);
      }
      std::vector<unsigned char> want(3 * n + 5, 0x33);
      pixelrows::plain::bgraRow(want.data() + 1, px.data(), n);
      for (size_t i = 0; i < n; i++) {  // the plain loop itself: B, G, R of the opaque pixels
        const unsigned char* b = reinterpret_cast<const unsigned char*>(&px[i]);
        const unsigned char keep = 0x33;
        const unsigned char expect[3] = {b[3] ? b[0] : keep, b[3] ? b[1] : keep, b[3] ? b[2] : keep};
        ASSERT_EQ(0, std::memcmp(&want[1 + 3 * i], expect, 3));
      }
      for (Path p : vectorPaths())
        onPath(p, [&] {
          std::vector<unsigned char> got(3 * n + 5, 0x33);
          pixelrows::bgraRow(got.data() + 1, px.data(), n);
          ASSERT_EQ(got, want) << pixelrows::pathName(p) << " n " << n << " kind " << kind;
        });
    }
}

TEST(PixelRows, WalksMatchThePlainLoopInsideAndAcrossThePictureEdge) {
  std::mt19937 rng(3);
  const int w = 37, h = 51;
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  for (auto& v : px) v = static_cast<uint32_t>(rng()) | (rng() % 4 ? 0xFF000000u : 0u);
  for (auto& v : px)
    if ((v >> 24) != 0xFF) v &= 0x00FFFFFFu;
  const long long ms[] = {1, 2, 7, 64, 127, 128, 129, 1000, 1LL << 22, 1LL << 40};
  for (int k = 0; k < 4000; k++) {
    pixelrows::Walk walk{};
    walk.m = ms[k % 10];
    walk.hw = w >> 1;
    walk.hh = h >> 1;
    walk.width = w;
    const long long span = (walk.hw + (k % 2 ? 0 : 4)) * walk.m;
    walk.X = static_cast<long long>(rng() % (2 * span + 1)) - span;
    walk.Y = static_cast<long long>(rng() % (2 * span + 1)) - span;
    walk.dX = static_cast<long long>(rng() % 255) - 127;
    walk.dY = static_cast<long long>(rng() % 255) - 127;
    size_t n = rng() % 60;
    // Every other walk is cut where it would leave the picture, so that the
    // vector paths take it whole.
    auto inside = [&](size_t i) {
      const long long x = (walk.X + static_cast<long long>(i) * walk.dX) / walk.m + walk.hw;
      const long long y = (walk.Y + static_cast<long long>(i) * walk.dY) / walk.m + walk.hh;
      return x >= 0 && x < 2 * walk.hw && y >= 0 && y < 2 * walk.hh;
    };
    if (k % 2)
      for (size_t i = 0; i < n; i++)
        if (!inside(i)) n = i;
    std::vector<unsigned char> want(3 * n, 0x44);
    pixelrows::plain::bgraWalkRow(want.data(), px.data(), px.size(), walk, n);
    for (Path p : vectorPaths())
      onPath(p, [&] {
        std::vector<unsigned char> got(3 * n, 0x44);
        pixelrows::bgraWalkRow(got.data(), px.data(), px.size(), walk, n);
        ASSERT_EQ(got, want) << pixelrows::pathName(p) << " walk " << k << " m " << walk.m;
      });
  }
}

TEST(PixelRows, WalkDivisionsAreExactOnQuotientEdgesOfAWidePicture) {
  // About 2^21 pixels wide: lane values near 2^29, where a float quotient
  // alone would be off by one; every step lands on or next to a multiple of m.
  const int w = (1 << 21) - 2, h = 2;
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < px.size(); i++) px[i] = static_cast<uint32_t>(i * 2654435761u) | 0xFF000000u;
  std::mt19937 rng(9);
  for (long long m : {3LL, 127LL, 511LL, 1021LL})
    for (int k = 0; k < 200; k++) {
      pixelrows::Walk walk{};
      walk.m = m;
      walk.hw = w >> 1;
      walk.hh = h >> 1;
      walk.width = w;
      const long long q = static_cast<long long>(rng() % static_cast<unsigned>(2 * walk.hw - 200)) - walk.hw + 100;
      walk.X = q * m + (k % 3) - 1;  // one below, on, or one above a multiple
      walk.dX = k % 2 ? m : -m;
      walk.Y = (k % 4 < 2 ? -1 : 1) * static_cast<long long>(rng() % static_cast<unsigned>(m));
      walk.dY = 0;
      const size_t n = 64;
      std::vector<unsigned char> want(3 * n, 0), got(3 * n, 0);
      pixelrows::plain::bgraWalkRow(want.data(), px.data(), px.size(), walk, n);
      for (Path p : vectorPaths())
        onPath(p, [&] {
          std::fill(got.begin(), got.end(), 0);
          pixelrows::bgraWalkRow(got.data(), px.data(), px.size(), walk, n);
          ASSERT_EQ(got, want) << pixelrows::pathName(p) << " m " << m << " X " << walk.X;
        });
    }
}

// A picture of random pixels with a random mask.
struct Noise : Pf1 {
  Noise(int w, int h, unsigned seed) : Pf1(0, nullptr) {
    std::mt19937 rng(seed);
    width = w;
    height = h;
    data.resize(static_cast<size_t>(w) * h * 3);
    mask.resize(static_cast<size_t>(w) * h);
    for (auto& b : data) b = static_cast<unsigned char>(rng());
    for (auto& m : mask) m = static_cast<signed char>(rng() % 3 != 0);
  }
};

TEST(PixelRows, PictureDrawsAreTheSameOnEveryPath) {
  // Sizes below, at and above the screen's, odd widths, scrolls that split
  // rows into short spans; every draw operation.
  const std::pair<int, int> sizes[] = {{320, 240}, {17, 9}, {333, 250}, {1, 1}, {64, 241}};
  ZegDevice want(320, 240, 24), got(320, 240, 24);
  auto run = [](ZegDevice& zeg, Pf1& pic, int op, int a, int b) {
    pf1test::fill(zeg, {1, 2, 3});
    switch (op) {
      case 0: pic.draw(&zeg, a, b, a * 3, 0); break;
      case 1: pic.draw(&zeg, a, b * 5, -b, 1); break;
      case 2: pic.scrollX(&zeg, b * 7 - 160); break;
      case 3: pic.scrollY(&zeg, b * 5 - 120, a); break;
      default: pic.zoom(&zeg, a % 101); break;
    }
  };
  for (const auto& [w, h] : sizes) {
    Noise pic(w, h, static_cast<unsigned>(w * 1000 + h));
    for (int op = 0; op < 5; op++)
      for (int a : {0, 50, 127, 128, 129, 255})
        for (int b : {0, 1, 17, 40}) {
          onPath(Path::Plain, [&] { run(want, pic, op, a, b); });
          for (Path p : vectorPaths())
            onPath(p, [&] {
              run(got, pic, op, a, b);
              ASSERT_EQ(0, std::memcmp(got.storage(), want.storage(), 320 * 240 * 3))
                  << pixelrows::pathName(p) << " " << w << "x" << h << " op " << op << " a " << a << " b " << b;
            });
        }
  }
}

}  // namespace
