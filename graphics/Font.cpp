// The bitmap font: glyph tables shared by every Font, drawn in one colour
// through the fade table and clipped to the band left < x < right.
#include "graphics/Font.h"

#include <cstdio>
#include <cstring>

#include "graphics/graphicDevice.h"
#include "shell/FileUtils.h"

namespace {

constexpr int kAsciiGlyphs = 256;
constexpr int kKanjiGlyphs = 7806;
constexpr int kAsciiBytes = kAsciiGlyphs * 16;
constexpr int kKanjiBytes = kKanjiGlyphs * 32;

// Blank until the file is read; a missing or short file leaves blank glyphs.
unsigned char ascii[kAsciiBytes];
unsigned char kanji[kKanjiBytes];

}  // namespace

int Font::loadFlag = 0;

Font::Font() {
  if (loadFlag == 0) load();
  left = 0;
  right = 0;
}

void Font::load() {
  FILE* fp = myFopen(0, "FONT.FON", "rb");
  if (!fp) return;  // tried again by the next construction
  std::memset(ascii, 0, sizeof ascii);
  std::memset(kanji, 0, sizeof kanji);
  size_t got = std::fread(ascii, 1, sizeof ascii, fp);
  if (got == sizeof ascii) std::fread(kanji, 1, sizeof kanji, fp);
  std::fclose(fp);
  loadFlag = 1;
}

void Font::unload() {
  std::memset(ascii, 0, sizeof ascii);
  std::memset(kanji, 0, sizeof kanji);
  loadFlag = 0;
}

int Font::glyphIndex(int code) {
  // Shift-JIS to JIS X 0208 row and cell (both offset by 0xA0), then row-major
  // over 94 cells per row.
  int lead = (code >> 8) & 0xFF;
  int trail = code & 0xFF;
  if (lead >= 0xE0) lead -= 0x40;
  int rowByte, cellByte;
  if (trail >= 0x9F) {
    rowByte = (lead - 0x88) * 2 + 0xB0;
    cellByte = trail + 2;
  } else {
    if (trail >= 0x7F) trail -= 1;
    rowByte = (lead - 0x89) * 2 + 0xB1;
    cellByte = trail + 0x61;
  }
  int g = (rowByte - 0xA1) * 94 + (cellByte - 0xA1);
  return (code >= 0x8000 && code <= 0xFFFF && g >= 0 && g < kKanjiGlyphs) ? g : -1;
}

void Font::putc(ZegDevice* zeg, int xpos, int ypos, int code, int fade) {
  if (!zeg || !zeg->videoMemory || zeg->bytesPerPixel != 3) return;
  const unsigned char* glyph;
  int bytesPerRow;
  if (code >= 0x8000) {
    int g = glyphIndex(code);
    if (g < 0) return;
    glyph = kanji + g * 32;
    bytesPerRow = 2;
  } else {
    if (code < 0 || code >= kAsciiGlyphs) return;
    glyph = ascii + code * 16;
    bytesPerRow = 1;
  }
  int level = fade % 256;
  if (level < 0) level += 256;
  const unsigned char red = fadeTable[240][level];
  const unsigned char blue = fadeTable[224][level];
  // Ink only strictly inside the band and on the screen; clear bits are transparent.
  const long lo = left + 1L > 0 ? left + 1L : 0;
  const long hi = right < zeg->width ? right : zeg->width;
  for (int gy = 0; gy < 16; gy++) {
    int y = ypos + gy;
    if (y < 0 || y >= zeg->height) continue;
    unsigned char* row = zeg->videoMemory + static_cast<long>(y) * zeg->bytesPerLine;
    unsigned bits = glyph[gy * bytesPerRow];
    if (bytesPerRow == 2) bits = (bits << 8) | glyph[gy * 2 + 1];
    const int cols = bytesPerRow * 8;
    for (int gx = 0; gx < cols; gx++) {
      if (!(bits & (1u << (cols - 1 - gx)))) continue;
      long x = static_cast<long>(xpos) + gx;
      if (x < lo || x >= hi) continue;
      unsigned char* p = row + x * 3;
      p[0] = blue;
      p[1] = red;
      p[2] = red;
    }
  }
}

void Font::puts(ZegDevice* zeg, int xpos, int ypos, const char* string) { puts(zeg, xpos, ypos, 128, string); }

void Font::puts(ZegDevice* zeg, int xpos, int ypos, int fade, const char* string) {
  if (!string) return;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(string);
  while (*s) {
    if (*s >= 0x80) {
      // Two-byte character; a lead byte right before the terminator ends the string.
      if (!s[1]) break;
      putc(zeg, xpos, ypos, (s[0] << 8) | s[1], fade);
      s += 2;
      xpos += 16;
    } else {
      putc(zeg, xpos, ypos, *s, fade);
      s += 1;
      xpos += 8;
    }
  }
}
