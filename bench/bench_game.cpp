// Story screen drawing against a plain copy of one 320 x 240 x 24 frame
// (230,400 bytes): the text window with three full lines, the choice window,
// and a whole Game::draw during a zoom transition. Compare each time with
// BM_FrameMemcpy from the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/Game.h"
#include "game/ScenarioCode.h"
#include "game/SelectWindow.h"
#include "game/Text.h"
#include "graphics/Font.h"
#include "graphics/graphicDevice.h"
#include "shell/FileUtils.h"

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<unsigned char>(v >> 8));
  b.push_back(static_cast<unsigned char>(v));
}
void put32(Bytes& b, uint32_t v) {
  put16(b, v >> 16);
  put16(b, v & 0xFFFF);
}
void writeFile(const char* name, const Bytes& b) {
  FILE* f = std::fopen(name, "wb");
  if (!f) return;
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
}

// A working directory of its own for the data files, removed at exit.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "lmbench-XXXXXX").string();
    if (mkdtemp(tmpl.data()) && chdir(tmpl.c_str()) == 0) path = tmpl;
    fileUtilsReset();
    Font::unload();
    writeFont();
    writeScenario();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }

 private:
  // Every glyph gets a checker pattern, so every glyph draws ink.
  static void writeFont() {
    Bytes f(253888);
    for (size_t i = 0; i < f.size(); ++i) f[i] = (i & 1) ? 0x55 : 0xAA;
    writeFile("FONT.FON", f);
  }
  // A 320 x 240 picture with a palette run of 127 pixels per packet.
  static Bytes picture(unsigned colour) {
    Bytes block;
    for (int left = 320 * 240; left > 0; left -= 127) {
      block.push_back(static_cast<unsigned char>(0x80 | (left < 127 ? left : 127)));
      block.push_back(1);
    }
    for (int i = 0; i < 256; ++i) put16(block, i == 1 ? colour : 0);
    Bytes f(6, 0);
    put16(f, 320);
    put16(f, 240);
    put16(f, 0);
    put16(f, 1);
    put16(f, 0);
    put32(f, static_cast<uint32_t>(block.size()));
    f.insert(f.end(), block.begin(), block.end());
    return f;
  }
  // One chart: picture E001 at once, then E002 with the zoom (mode 5).
  static void writeScenario() {
    writeFile("E001.PF1", picture(0x801F));
    writeFile("E002.PF1", picture(0xFC00));
    const Bytes stream{0x8D, 0, 'E', '0', '0', '1', 0, 0x8D, 5, 'E', '0', '0', '2', 0};
    Bytes ev;
    put32(ev, 4 + 12);
    for (int k = 0; k < 6; ++k) put16(ev, 0);
    ev.insert(ev.end(), stream.begin(), stream.end());
    writeFile("EVENT.BIN", ev);
    const Bytes names{0x81, 0x79, 'A', 0x81, 0x7A};
    writeFile("ASTARTUP.BIN", names);
    FILE* ini = std::fopen("kirune.ini", "w");
    if (ini) {
      std::fputs("[DOROVANKA]\nCHART=0\nLINK=4\nMAX=1\nCHAR=1\nNAME=0\n", ini);
      std::fclose(ini);
    }
  }
  std::string path;
};

TempDir& dataDir() {
  static TempDir dir;
  return dir;
}

void BM_FrameMemcpy(benchmark::State& state) {
  std::vector<unsigned char> src(230400, 7), dst(230400);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameMemcpy);

void BM_TextDraw(benchmark::State& state) {
  dataDir();
  ZegDevice zeg(320, 240, 24);
  Text text;
  while (!text.open()) {
  }
  // Three lines of 18 double-byte characters: as wide as the window.
  for (int line = 0; line < 3; ++line) {
    for (int i = 0; i < 18; ++i) {
      text.print(0x82);
      text.print(0xA0 + i);
    }
    if (line < 2) text.nextLine();
  }
  for (auto _ : state) {
    text.draw(&zeg, 128);
    benchmark::DoNotOptimize(zeg.videoMemory);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TextDraw);

// The same window with empty lines: the frame and the tinted panel alone.
void BM_TextPanelOnly(benchmark::State& state) {
  dataDir();
  ZegDevice zeg(320, 240, 24);
  Text text;
  while (!text.open()) {
  }
  for (auto _ : state) {
    text.draw(&zeg, 128);
    benchmark::DoNotOptimize(zeg.videoMemory);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TextPanelOnly);

void BM_SelectWindowDraw(benchmark::State& state) {
  dataDir();
  ZegDevice zeg(320, 240, 24);
  std::string items[3] = {std::string(20, 'a'), std::string(20, 'b'), std::string(20, 'c')};
  char* ptrs[3] = {items[0].data(), items[1].data(), items[2].data()};
  SelectWindow select(3, ptrs);
  for (auto _ : state) {
    select.draw(&zeg);
    benchmark::DoNotOptimize(zeg.videoMemory);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SelectWindowDraw);

void BM_GameDrawZoom(benchmark::State& state) {
  dataDir();
  ZegDevice zeg(320, 240, 24);
  Game::resetStepState();
  Game game;
  // Image change, then eight steps into the zoom (48 %).
  for (int i = 0; i < 12 && !(game.phase == scenario::kZoomIn && game.zoom >= 48); ++i) game.main(nullptr);
  if (game.phase != scenario::kZoomIn) state.SkipWithError("the zoom transition did not start");
  for (auto _ : state) {
    game.draw(&zeg);
    benchmark::DoNotOptimize(zeg.videoMemory);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_GameDrawZoom);

}  // namespace

BENCHMARK_MAIN();
