#pragma once
// The choice window: up to six items, three visible, a gradient cursor bar.
#include "graphics/Font.h"

class SelectWindow : public Font {
 public:
  SelectWindow(int num, char** data);
  ~SelectWindow();

  int width = 0;  // half-width of the inner area: 4 * strlen(first item) + 2
  // (left and right are kept within the screen for items wider than it)
  int max = 0;    // item count 1..6; 0 = empty window
  char* item[6] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  int pos = 0;      // cursor row among the visible rows, 0..2
  int dispPos = 0;  // item in the top visible row
  int select = 0;   // highlighted item

  void draw(ZegDevice* zeg);
  int up();
  int down();
  int decide();
  // The item whose cursor bar would lie under frame point (x, y), or -1.
  int rowAt(int x, int y) const;

  static constexpr int kVisibleRows = 3;
  static constexpr int kRowHeight = 16;
  static constexpr int kBarTop = 137;  // top of the cursor bar on the first visible row

 private:
  char buffers[6][50] = {};
};
