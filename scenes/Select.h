#pragma once
// The select screen: a vertically scrolling background under a masked
// foreground; fades in from white, waits for Decide, fades to black.
#include <memory>

#include "graphics/Pf1.h"

class Sound;
class ZegDevice;

class Select {
 public:
  Select();
  ~Select();
  Select(const Select&) = delete;
  Select& operator=(const Select&) = delete;

  // One step: 0 while running, 1 when finished.
  int main(Sound* se);
  void draw(ZegDevice* zeg);

  std::unique_ptr<Pf1> fg;  // foreground "SYS020.PF1", drawn through its mask
  std::unique_ptr<Pf1> bg;  // background "SYS011.PF1"
  int phase = 0;            // 0 fade-in, 1 waiting, 2 fade to black
  int fade = 255;           // a fade level: 255 white, 128 plain, 0 black
  int scroll = 0;           // the background's vertical offset, 0..255

  // Test hook: resets the key word shared by every Select.
  static void resetStatics();
};
