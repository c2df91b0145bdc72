#pragma once
// The three-line message window of the story screen.
#include "graphics/Font.h"

class Text : public Font {
 public:
  Text();
  ~Text();

  int line = 0;    // line being written, 0..2
  int row = 0;     // byte position in that line
  int width = 0;   // half-width of the animation: 0 closed, 147 open
  int height = 0;  // half-height: 0 or 27
  char* data[3];   // the three lines, 256 bytes each, NUL-terminated

  int open();   // one opening step; 1 when fully open
  int close();  // one closing step; 1 when fully closed
  void draw(ZegDevice* zeg, int fade);
  void print(int code);  // appends the low byte to the current line
  void println(const char* str);
  void nextLine();
  void clear();

 private:
  char buffers[3][256];
};
