// Picture drawing, face drawing and PF1 decoding, each measured beside a
// memcpy of one 230,400-byte frame in the same run; the ratios are printed
// after the table, for every kernel path the CPU runs. Goals, on the path the
// player uses: every full-screen draw within 4x memcpy, the face's rotating
// draw within 8x, and PF1 decoding at least 10x faster than libpng decoding
// the same picture.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "game/Face.h"
#include "graphics/Pf1.h"
#include "graphics/PixelRows.h"
#include "graphics/graphicDevice.h"
#include "tools/author/pf1_codec.h"

namespace {

constexpr int kW = 320, kH = 240;
constexpr size_t kFrame = kW * kH * 3;

struct Picture : Pf1 {
  Picture() : Pf1(0, nullptr) {}
};

// A picture like a story background: smooth 15-bit gradients (short runs),
// flat areas (long runs) and a patch of fine detail.
std::vector<unsigned char> typicalRgba() {
  std::vector<unsigned char> rgba(static_cast<size_t>(kW) * kH * 4);
  unsigned noise = 12345;
  for (int y = 0; y < kH; y++)
    for (int x = 0; x < kW; x++) {
      unsigned char* p = &rgba[(static_cast<size_t>(y) * kW + x) * 4];
      noise = noise * 1103515245u + 12345u;
      if (y < 100) {  // sky gradient
        p[0] = static_cast<unsigned char>(80 + y);
        p[1] = static_cast<unsigned char>(120 + y);
        p[2] = static_cast<unsigned char>(200 + x / 8);
      } else if (x > 200 && y > 150) {  // detailed patch
        p[0] = static_cast<unsigned char>((noise >> 16) & 0xFF);
        p[1] = static_cast<unsigned char>((noise >> 8) & 0xFF);
        p[2] = static_cast<unsigned char>(x ^ y);
      } else {  // flat ground in bands
        p[0] = static_cast<unsigned char>(60 + (y / 20) * 10);
        p[1] = 90;
        p[2] = 40;
      }
      for (int c = 0; c < 3; c++) p[c] &= 0xF8;
      p[3] = 255;
    }
  return rgba;
}

std::vector<unsigned char> typicalPf1() {
  std::vector<unsigned char> rgba = typicalRgba();
  return author::encodePf1(kW, kH, {author::pf1Words(rgba.data(), rgba.size() / 4)});
}

std::vector<unsigned char> typicalPng() {
  std::vector<unsigned char> rgba = typicalRgba();
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  img.width = kW;
  img.height = kH;
  img.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&img, nullptr, &size, 0, rgba.data(), 0, nullptr);
  std::vector<unsigned char> out(size);
  png_image_write_to_memory(&img, out.data(), &size, 0, rgba.data(), 0, nullptr);
  out.resize(size);
  return out;
}

// A full-screen picture with a scattered pattern of transparent pixels (about half).
Picture& screenPicture() {
  static Picture pic;
  if (pic.empty()) {
    std::vector<unsigned char> f = typicalPf1();
    pic.loadFromMemory(f.data(), f.size());
    unsigned s = 99;
    for (size_t i = 0; i < pic.mask.size(); i++) {
      s = s * 1103515245u + 12345u;
      pic.mask[i] = (s >> 20) & 1;
    }
  }
  return pic;
}

// Runs a benchmark on the kernel path named by its argument.
struct PathScope {
  explicit PathScope(benchmark::State& state) : before(pixelrows::currentPath()) {
    if (!pixelrows::usePath(static_cast<pixelrows::Path>(state.range(0)))) state.SkipWithError("path not available");
  }
  ~PathScope() { pixelrows::usePath(before); }
  pixelrows::Path before;
};

ZegDevice& screen() {
  static ZegDevice zeg(kW, kH, 24);
  return zeg;
}

void BM_Memcpy(benchmark::State& state) {
  std::vector<unsigned char> a(kFrame, 1), b(kFrame);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), kFrame);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Memcpy);

void BM_Draw(benchmark::State& state) {
  PathScope path(state);
  Picture& p = screenPicture();
  for (auto _ : state) {
    p.draw(&screen());
    benchmark::ClobberMemory();
  }
}

void BM_DrawFade64(benchmark::State& state) {
  PathScope path(state);
  Picture& p = screenPicture();
  for (auto _ : state) {
    p.draw(&screen(), 64);
    benchmark::ClobberMemory();
  }
}

void BM_DrawMasked(benchmark::State& state) {
  PathScope path(state);
  Picture& p = screenPicture();
  for (auto _ : state) {
    p.draw(&screen(), 128, 0, 0, 1);
    benchmark::ClobberMemory();
  }
}

void BM_DrawMaskedFade(benchmark::State& state) {
  PathScope path(state);
  Picture& p = screenPicture();
  for (auto _ : state) {
    p.draw(&screen(), 200, 17, 33, 1);
    benchmark::ClobberMemory();
  }
}

void BM_ScrollYFade(benchmark::State& state) {
  PathScope path(state);
  Picture& p = screenPicture();
  for (auto _ : state) {
    p.scrollY(&screen(), 0, 64);
    benchmark::ClobberMemory();
  }
}

void BM_Zoom50(benchmark::State& state) {
  PathScope path(state);
  Picture& p = screenPicture();
  for (auto _ : state) {
    p.zoom(&screen(), 50);
    benchmark::ClobberMemory();
  }
}

void BM_FaceGeneral(benchmark::State& state) {
  PathScope path(state);
  // 64 x 80: an opaque oval base, overlays opaque in small areas.
  const int w = 64, h = 80;
  std::vector<std::vector<uint16_t>> blocks(7, std::vector<uint16_t>(static_cast<size_t>(w) * h, 0));
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const size_t i = static_cast<size_t>(y) * w + x;
      const int dx = x - 32, dy = y - 40;
      if (dx * dx * 25 + dy * dy * 16 < 32 * 32 * 25) blocks[0][i] = static_cast<uint16_t>(0x2000 | (x << 5) | y / 3);
      for (int k = 1; k < 7; k++)
        if ((k <= 3 && y > 55 && y < 62 && dx > -8 && dx < 8) || (k > 3 && y > 30 && y < 36 && dx * dx > 36 && dx * dx < 200))
          blocks[k][i] = static_cast<uint16_t>(0x0400 * k + 1);
    }
  std::vector<unsigned char> file = author::encodePf1(w, h, blocks);
  Face face(0, nullptr);
  face.loadFaceFromMemory(file.data(), file.size());
  for (auto _ : state) {
    face.draw(&screen(), 128, 32, 0, 1, 2);
    benchmark::ClobberMemory();
  }
}

void BM_Pf1Decode(benchmark::State& state) {
  std::vector<unsigned char> file = typicalPf1();
  Picture p;
  for (auto _ : state) {
    p.loadFromMemory(file.data(), file.size());
    benchmark::DoNotOptimize(p.data.data());
  }
  state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_Pf1Decode);

void BM_PngDecode(benchmark::State& state) {
  std::vector<unsigned char> file = typicalPng();
  std::vector<unsigned char> out(static_cast<size_t>(kW) * kH * 4);
  for (auto _ : state) {
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&img, file.data(), file.size());
    img.format = PNG_FORMAT_RGBA;
    png_image_finish_read(&img, nullptr, out.data(), 0, nullptr);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_PngDecode);

// Prints the table as usual and keeps each benchmark's CPU time for the ratios
// (CPU time, because the machine running the benchmarks may be shared; with
// --benchmark_repetitions the fastest repetition, the one least disturbed).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ns;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration) {
        auto it = ns.find(r.benchmark_name());
        const double t = r.GetAdjustedCPUTime();
        if (it == ns.end() || t < it->second) ns[r.benchmark_name()] = t;
      }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  // Each drawing benchmark runs on every kernel path this CPU has: NAME/PATH.
  using Fn = void (*)(benchmark::State&);
  const std::pair<const char*, Fn> draws[] = {{"BM_Draw", BM_Draw},           {"BM_DrawFade64", BM_DrawFade64},
                                              {"BM_DrawMasked", BM_DrawMasked}, {"BM_DrawMaskedFade", BM_DrawMaskedFade},
                                              {"BM_ScrollYFade", BM_ScrollYFade}, {"BM_Zoom50", BM_Zoom50},
                                              {"BM_FaceGeneral", BM_FaceGeneral}};
  const pixelrows::Path fastest = pixelrows::currentPath();
  std::vector<pixelrows::Path> paths;
  for (pixelrows::Path p :
       {pixelrows::Path::Plain, pixelrows::Path::Ssse3, pixelrows::Path::Avx2, pixelrows::Path::Avx512})
    if (pixelrows::available(p)) paths.push_back(p);
  auto runName = [](const char* name, pixelrows::Path p) {
    return std::string(name) + "/" + pixelrows::pathName(p) + "/" + std::to_string(static_cast<int>(p));
  };
  for (const auto& [name, fn] : draws)
    for (pixelrows::Path p : paths)
      benchmark::RegisterBenchmark((std::string(name) + "/" + pixelrows::pathName(p)).c_str(), fn)
          ->Arg(static_cast<int>(p));

  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& t = reporter.ns;
  if (t.count("BM_Memcpy") && t["BM_Memcpy"] > 0) {
    const double m = t["BM_Memcpy"];
    // Goals for the path the player uses: every full-screen draw within 4x a
    // frame memcpy, the face within 8x.
    std::printf("\nratio to memcpy of one frame, per path (goal for %s):\n", pixelrows::pathName(fastest));
    for (const auto& [name, fn] : draws) {
      (void)fn;
      const double goal = std::string(name) == "BM_FaceGeneral" ? 8 : 4;
      std::printf("  %-18s", name);
      for (pixelrows::Path p : paths) {
        const std::string run = runName(name, p);
        if (t.count(run)) std::printf(" %s %6.2fx", pixelrows::pathName(p), t[run] / m);
      }
      const std::string best = runName(name, fastest);
      if (t.count(best)) std::printf("  (<= %.0fx)%s", goal, t[best] / m <= goal ? "" : "  MISSED");
      std::printf("\n");
    }
  }
  if (t.count("BM_Pf1Decode") && t.count("BM_PngDecode") && t["BM_Pf1Decode"] > 0)
    std::printf("  libpng / PF1 decode  %6.2fx  (>= 10x)%s\n", t["BM_PngDecode"] / t["BM_Pf1Decode"],
                t["BM_PngDecode"] / t["BM_Pf1Decode"] >= 10 ? "" : "  MISSED");
  benchmark::Shutdown();
  return 0;
}
