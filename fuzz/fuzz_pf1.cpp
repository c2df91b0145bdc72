// Fuzzes the PF1 loader with arbitrary file bytes, then draws the result
// every way the player does (wrapping draw with fade, scroll and mask, both
// slides, the zoom) and decodes one block alone as the tools do.
//
// Input: the file bytes, followed by the drawing parameters, which are taken
// from the input's end (a plain PF1 file is a valid input on its own).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "graphics/Pf1.h"
#include "graphics/graphicDevice.h"
#include "tools/author/pf1_codec.h"

namespace {

// An empty picture to load into: Pf1(0, nullptr) opens nothing.
struct Picture : Pf1 {
  Picture() : Pf1(0, nullptr) {}
};

// ------------------------------------------------------------------ seeds

std::vector<uint16_t> stripes(int w, int h) {
  std::vector<uint16_t> words(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      // Runs of a few colours (palette runs), single odd pixels (literals) and holes.
      words[static_cast<size_t>(y) * w + x] =
          x % 7 == 3 ? static_cast<uint16_t>(0x8000 | (x * 33 + y * 1057)) : (y / 3) % 2 ? 0x7C00 : (x < 2 ? 0 : 0x03E0);
  return words;
}

std::vector<uint8_t> withParams(const std::vector<uint8_t>& file, int fade, int sx, int sy, bool mask, int zoom,
                                int block) {
  fuzz::Tail t;
  t.put<int16_t>(static_cast<int16_t>(fade)).put<int16_t>(static_cast<int16_t>(sx)).put<int16_t>(static_cast<int16_t>(sy));
  t.flag(mask).put<int8_t>(static_cast<int8_t>(zoom)).inRange(block, -1, 8);
  return t.input(file);
}

void writeSeeds(const std::string& dir) {
  // Two pixels: a palette run of entry 1 (green), a literal red word.
  std::vector<uint8_t> tiny(16, 0);
  tiny[7] = 2, tiny[9] = 1, tiny[13] = 1;
  const uint8_t sizeAndStream[] = {0x00, 0x00, 0x02, 0x05, 0x81, 0x01, 0x01, 0x00, 0x1F};
  tiny.insert(tiny.end(), std::begin(sizeAndStream), std::end(sizeAndStream));
  std::vector<uint8_t> palette(512, 0);
  palette[2] = 0x03, palette[3] = 0xE0;
  tiny.insert(tiny.end(), palette.begin(), palette.end());
  fuzz::writeSeed(dir, "two-pixels", withParams(tiny, 128, 0, 0, false, 100, 0));

  fuzz::writeSeed(dir, "stripes", withParams(author::encodePf1(24, 18, {stripes(24, 18)}), 64, 5, -3, true, 50, 0));
  fuzz::writeSeed(dir, "stacked",
                  withParams(author::encodePf1(12, 8, {stripes(12, 8), stripes(12, 8)}), 200, -30, 7, true, 37, 1));
  fuzz::writeSeed(dir, "three-blocks",
                  withParams(author::encodePf1(6, 5, {stripes(6, 5), stripes(6, 5), stripes(6, 5)}), 0, 400, 300,
                             false, 6, 2));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::writeSeedsIfAsked(&writeSeeds);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ZegDevice zeg(320, 240, 24);
  if (zeg.checkError()) return 0;

  FuzzedDataProvider in(data, size);
  const int fade = in.ConsumeIntegral<int16_t>();
  const int scrollX = in.ConsumeIntegral<int16_t>();
  const int scrollY = in.ConsumeIntegral<int16_t>();
  const bool mask = in.ConsumeBool();
  const int zoom = in.ConsumeIntegral<int8_t>();
  const int block = in.ConsumeIntegralInRange<int>(-1, 8);
  const std::vector<uint8_t> file = in.ConsumeRemainingBytes<uint8_t>();
  if (fuzz::pictureTooSlow(file, file.size() >= 14 && file[13] == 2 && file[12] == 0 ? 2 : 1)) return 0;

  Picture pic;
  pic.loadFromMemory(file.data(), file.size());
  if (!pic.empty()) {
    // Whatever the header says, the arrays must hold exactly the pixels.
    const size_t pixels = static_cast<size_t>(pic.width) * static_cast<size_t>(pic.height);
    if (pic.data.size() != 3 * pixels || pic.mask.size() != pixels) __builtin_trap();
  }
  pic.draw(&zeg, fade, scrollX, scrollY, mask ? 1 : 0);
  pic.scrollX(&zeg, scrollX);
  pic.scrollY(&zeg, scrollY, fade);
  pic.zoom(&zeg, zoom);

  pic.loadBlockFromMemory(file.data(), file.size(), block);
  pic.draw(&zeg, 128, 0, 0, 1);
  return 0;
}
