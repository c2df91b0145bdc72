#pragma once
// Small data files for the scene and end-to-end tests, built byte by byte.
#include <cstdint>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace lmtest {

// A one-block PF1 picture of w x h pixels, given as 15-bit colour words (row
// by row from the top-left; 0 is transparent), coded as literal runs.
inline Bytes makePf1(int w, int h, const std::vector<uint16_t>& words) {
  Bytes stream;
  size_t i = 0;
  while (i < words.size()) {
    size_t n = std::min<size_t>(127, words.size() - i);
    stream.push_back(static_cast<unsigned char>(n));
    for (size_t k = 0; k < n; ++k) put16(stream, words[i + k]);
    i += n;
  }
  Bytes file(6, 0);
  put16(file, static_cast<uint32_t>(w));
  put16(file, static_cast<uint32_t>(h));
  put16(file, 0);
  put16(file, 1);  // one block
  put16(file, 0);
  put32(file, static_cast<uint32_t>(stream.size() + 512));
  file.insert(file.end(), stream.begin(), stream.end());
  file.insert(file.end(), 512, 0);  // palette: unused
  return file;
}

// A full-screen picture of one colour word.
inline Bytes makeSolidPf1(uint16_t word, int w = 320, int h = 240) {
  return makePf1(w, h, std::vector<uint16_t>(static_cast<size_t>(w) * h, word));
}

// 15-bit colour words: 5 bits each, red lowest.
constexpr uint16_t kRed = 0x001F;    // (248, 0, 0)
constexpr uint16_t kGreen = 0x03E0;  // (0, 248, 0)
constexpr uint16_t kBlue = 0x7C00;   // (0, 0, 248)
constexpr uint16_t kBlack = 0x8000;  // opaque black

// A sound bank of signed 8-bit clips.
inline Bytes makeBank(const std::vector<std::vector<signed char>>& clips) {
  Bytes b;
  put32(b, 0);
  put32(b, static_cast<uint32_t>(clips.size()));
  for (const auto& c : clips) put32(b, static_cast<uint32_t>(c.size()));
  for (const auto& c : clips)
    for (signed char s : c) b.push_back(static_cast<unsigned char>(s));
  return b;
}

// The screens' pictures in the working directory: LOGO01 red, LOGO02 green,
// TITLE00 blue, SYS011 (select background) a horizontal band picture and
// SYS020 (select foreground) opaque black in its lower half only.
inline void writeScreenPictures() {
  writeFile("LOGO01.PF1", makeSolidPf1(kRed));
  writeFile("LOGO02.PF1", makeSolidPf1(kGreen));
  writeFile("TITLE00.PF1", makeSolidPf1(kBlue));
  std::vector<uint16_t> bands(320 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 320; ++x) bands[static_cast<size_t>(y) * 320 + x] = y < 128 ? kRed : kBlue;
  writeFile("SYS011.PF1", makePf1(320, 256, bands));
  std::vector<uint16_t> fg(320 * 240, 0);
  for (size_t i = 320 * 120; i < fg.size(); ++i) fg[i] = kBlack;
  writeFile("SYS020.PF1", makePf1(320, 240, fg));
}

}  // namespace lmtest
