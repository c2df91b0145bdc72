// Fuzzes the face loader with arbitrary file bytes and draws the face at the
// fuzzed scale, angle, side, eyes and mouth, then once at natural size.
//
// Input: the face file, followed by the drawing parameters taken from the
// input's end (a plain face file is a valid input on its own).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "game/Face.h"
#include "graphics/graphicDevice.h"
#include "tools/author/pf1_codec.h"

namespace {

std::vector<uint16_t> layer(int w, int h, int k) {
  std::vector<uint16_t> words(static_cast<size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool inside = k == 0 || (k <= 3 ? (y > 2 * h / 3 && x > w / 4 && x < 3 * w / 4) : (y > h / 4 && y < h / 3));
      if (inside) words[static_cast<size_t>(y) * w + x] = static_cast<uint16_t>(0x8000 | (k * 0x0C63 + x * 3 + y * 97));
    }
  return words;
}

std::vector<uint8_t> withParams(const std::vector<uint8_t>& file, int m, int o, int site, int eyes, int mouth) {
  fuzz::Tail t;
  t.put<int16_t>(static_cast<int16_t>(m)).put<int16_t>(static_cast<int16_t>(o));
  t.put<int8_t>(static_cast<int8_t>(site)).put<int8_t>(static_cast<int8_t>(eyes)).put<int8_t>(static_cast<int8_t>(mouth));
  return t.input(file);
}

void writeSeeds(const std::string& dir) {
  std::vector<std::vector<uint16_t>> blocks;
  for (int k = 0; k < 7; ++k) blocks.push_back(layer(20, 26, k));
  const std::vector<uint8_t> face = author::encodePf1(20, 26, blocks);
  fuzz::writeSeed(dir, "spin", withParams(face, 64, 40, 0, 1, 2));
  fuzz::writeSeed(dir, "natural", withParams(face, 128, 0, 1, 0, 1));
  blocks.resize(3);
  fuzz::writeSeed(dir, "three-blocks", withParams(author::encodePf1(20, 26, blocks), 300, 200, 1, 2, 0));
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
  const int m = in.ConsumeIntegral<int16_t>();
  const int o = in.ConsumeIntegral<int16_t>();
  const int site = in.ConsumeIntegral<int8_t>();
  const int eyes = in.ConsumeIntegral<int8_t>();
  const int mouth = in.ConsumeIntegral<int8_t>();
  const std::vector<uint8_t> file = in.ConsumeRemainingBytes<uint8_t>();
  if (fuzz::pictureTooSlow(file, 7)) return 0;

  Face face(0, nullptr);
  face.loadFaceFromMemory(file.data(), file.size());
  face.draw(&zeg, m, o, site, eyes, mouth);
  face.draw(&zeg, 128, 0, site, eyes, mouth);
  return 0;
}
