#pragma once
// The bitmap font "FONT.FON": 256 single-byte 8x16 glyphs and 7806 JIS X 0208
// 16x16 glyphs, drawn in one light colour through the fade table, clipped to
// the exclusive band left < x < right.
#include "graphics/Fade.h"

class ZegDevice;

class Font : public Fade {
 public:
  Font();

  int left = 0;
  int right = 0;

  // code < 0x8000: single-byte glyph; else a Shift-JIS code, lead byte in bits 8-15.
  void putc(ZegDevice* zeg, int xpos, int ypos, int code, int fade);
  void puts(ZegDevice* zeg, int xpos, int ypos, int fade, const char* string);
  void puts(ZegDevice* zeg, int xpos, int ypos, const char* string);

  // Shift-JIS code to double-byte glyph number; -1 when outside the table.
  static int glyphIndex(int code);
  // Forgets the loaded glyphs so the next construction reads the file again (tests).
  static void unload();

 private:
  static int loadFlag;
  static void load();
};
