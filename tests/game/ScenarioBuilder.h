#pragma once
// Builders for the story scene's data files, written byte by byte into the
// scratch working directory: EVENT.BIN, ASTARTUP.BIN, kirune.ini, PF1 pictures,
// face files, sound banks and a tiny FONT.FON.
#include <array>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace gametest {

using lmtest::Bytes;

// Appends the bytes of a string literal (without its NUL).
inline void putStr(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
// Appends the bytes of a string and its NUL.
inline void putStrZ(Bytes& b, const std::string& s) {
  putStr(b, s);
  b.push_back(0);
}

// "【" + name + "】" in Shift-JIS.
inline std::string bracketed(const std::string& name) { return "\x81\x79" + name + "\x81\x7A"; }

struct Scenario {
  std::vector<Bytes> charts;              // instruction stream of chart 0, 1, ...
  std::vector<std::array<int, 6>> links;  // link rows (row r belongs to chart r + 1)
  std::vector<std::string> names;         // default names, written bracketed
  int start = 0;
  long address = 0;       // added to every chart table entry
  long max = -1;          // "MAX"; -1 = the number of charts
  int charCount = -1;     // "CHAR"; -1 = the number of names
  std::string extraIni;   // more "KEY=value" lines

  // Layout: 16 filler bytes, chart table, link table, the streams.
  void write() const {
    const long count = static_cast<long>(charts.size());
    const long chartPos = 16, linkPos = chartPos + 4 * count;
    const long rows = std::max<long>(count, static_cast<long>(links.size()));
    long offset = linkPos + 12 * rows;
    Bytes ev(16, 0xEE);
    for (const Bytes& c : charts) {
      lmtest::put32(ev, static_cast<uint32_t>(offset + address));
      offset += static_cast<long>(c.size());
    }
    for (long r = 0; r < rows; ++r)
      for (int k = 0; k < 6; ++k)
        lmtest::put16(ev, r < static_cast<long>(links.size()) ? links[static_cast<size_t>(r)][k] : 0);
    for (const Bytes& c : charts) ev.insert(ev.end(), c.begin(), c.end());
    lmtest::writeFile("EVENT.BIN", ev);

    Bytes st;
    putStr(st, "NAMES\r\n");
    for (const std::string& n : names) {
      putStr(st, bracketed(n));
      putStr(st, "\r\n");
    }
    lmtest::writeFile("ASTARTUP.BIN", st);

    std::string ini = "[DOROVANKA]\n";
    ini += "CHART=" + std::to_string(chartPos) + "\n";
    ini += "LINK=" + std::to_string(linkPos) + "\n";
    ini += "MAX=" + std::to_string(max >= 0 ? max : count) + "\n";
    if (address) ini += "ADDRESS=" + std::to_string(address) + "\n";
    ini += "START=" + std::to_string(start) + "\n";
    ini += "CHAR=" + std::to_string(charCount >= 0 ? charCount : static_cast<int>(names.size())) + "\n";
    ini += "NAME=7\n";
    ini += extraIni;
    lmtest::writeText("kirune.ini", ini);
  }
};

// A 15-bit colour word from 8-bit components (each cut to 5 bits).
inline unsigned colourWord(int r, int g, int b) {
  return 0x8000u | static_cast<unsigned>((r >> 3) | ((g >> 3) << 5) | ((b >> 3) << 10));
}

// One PF1 block: `pixels` palette indices (run-length coded) and a palette.
inline Bytes pf1Block(const std::vector<unsigned char>& pixels, const std::array<unsigned, 256>& pal) {
  Bytes b;
  size_t i = 0;
  while (i < pixels.size()) {
    size_t n = 1;
    while (i + n < pixels.size() && n < 127 && pixels[i + n] == pixels[i]) ++n;
    b.push_back(static_cast<unsigned char>(0x80 | n));
    b.push_back(pixels[i]);
    i += n;
  }
  for (unsigned w : pal) lmtest::put16(b, w);
  return b;
}

inline Bytes pf1File(int w, int h, const std::vector<Bytes>& blocks) {
  Bytes f(6, 0);
  lmtest::put16(f, static_cast<uint32_t>(w));
  lmtest::put16(f, static_cast<uint32_t>(h));
  lmtest::put16(f, 0);
  lmtest::put16(f, static_cast<uint32_t>(blocks.size()));
  lmtest::put16(f, 0);
  for (const Bytes& b : blocks) lmtest::put32(f, static_cast<uint32_t>(b.size()));
  for (const Bytes& b : blocks) f.insert(f.end(), b.begin(), b.end());
  return f;
}

// A w x h picture of one opaque colour.
inline Bytes solidPf1(int w, int h, int r, int g, int b) {
  std::array<unsigned, 256> pal{};
  pal[1] = colourWord(r, g, b);
  return pf1File(w, h, {pf1Block(std::vector<unsigned char>(static_cast<size_t>(w * h), 1), pal)});
}

// A 320 x 480 picture: rows 0-239 colour `a`, rows 240-479 colour `b`
// (two blocks stacked).
inline Bytes tallPf1(std::array<int, 3> a, std::array<int, 3> b) {
  std::array<unsigned, 256> pal{};
  pal[1] = colourWord(a[0], a[1], a[2]);
  pal[2] = colourWord(b[0], b[1], b[2]);
  const std::vector<unsigned char> top(320 * 240, 1), bottom(320 * 240, 2);
  return pf1File(320, 240, {pf1Block(top, pal), pf1Block(bottom, pal)});
}

// A seven-block face of one colour per block; overlays are transparent.
inline Bytes solidFace(int w, int h, int r, int g, int b) {
  std::array<unsigned, 256> pal{};
  pal[1] = colourWord(r, g, b);
  std::vector<Bytes> blocks{pf1Block(std::vector<unsigned char>(static_cast<size_t>(w * h), 1), pal)};
  for (int i = 0; i < 6; ++i) blocks.push_back(pf1Block(std::vector<unsigned char>(static_cast<size_t>(w * h), 0), pal));
  return pf1File(w, h, blocks);
}

// A sound bank of clips of the given lengths (samples all zero).
inline Bytes soundBank(const std::vector<int>& lengths) {
  Bytes b(4, 0);
  lmtest::put32(b, static_cast<uint32_t>(lengths.size()));
  for (int n : lengths) lmtest::put32(b, static_cast<uint32_t>(n));
  for (int n : lengths) b.insert(b.end(), static_cast<size_t>(n), 0);
  return b;
}

// A FONT.FON of full size with no ink except the given single-byte glyph rows:
// each entry sets row `row` of glyph `glyph` to `bits`.
struct GlyphRow {
  int glyph;
  int row;
  unsigned char bits;
};
inline Bytes tinyFont(const std::vector<GlyphRow>& rows) {
  Bytes f(253888, 0);
  for (const GlyphRow& g : rows) f[static_cast<size_t>(g.glyph * 16 + g.row)] = g.bits;
  return f;
}

}  // namespace gametest
