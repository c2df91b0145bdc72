#pragma once
// The title screen: fades in, waits for Decide (fade to white, then the
// select screen) or times out after 1001 steps (fade to black, back to the
// opening).
#include <memory>

#include "graphics/Pf1.h"

class Sound;
class ZegDevice;

class Title {
 public:
  Title();
  ~Title();
  Title(const Title&) = delete;
  Title& operator=(const Title&) = delete;

  // One step: 0 while running, 1 when the player chose to start, 2 on timeout.
  int main(Sound* se);
  void draw(ZegDevice* zeg);

  std::unique_ptr<Pf1> pf;  // the title picture
  int phase = 0;            // 0 fade-in and wait, 1 to white, 2 to black
  int fade = 0;             // 0 black, 64 plain, 128 white

  // Test hook: resets the step counter and key word shared by every Title.
  static void resetStatics();
};
