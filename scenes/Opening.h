#pragma once
// The opening: two logos, each fading in from black (the second from near
// white), holding, and fading out; Decide during a hold skips to black.
#include <memory>

#include "graphics/Pf1.h"

class ZegDevice;

class Opening {
 public:
  Opening();
  ~Opening();
  Opening(const Opening&) = delete;
  Opening& operator=(const Opening&) = delete;

  // One step: 0 while running, 1 when finished.
  int main();
  void draw(ZegDevice* zeg);

  std::unique_ptr<Pf1> pf;  // the current logo
  int phase = 0;            // 0 first logo, 1 second logo, 10 skipping, 2 finished
  int fade = 0;             // 0 black, 64 plain, 127 near white

  // Test hook: the step counter and key word of main outlive every Opening
  // (they are reset only at program start); this puts them back to 0.
  static void resetStatics();
};
