#include "graphics/Fade.h"

#include <cmath>

unsigned char Fade::fadeTable[256][256];
signed char Fade::sinTable[256];
signed char Fade::cosTable[256];
int Fade::initFlag = 0;

Fade::Fade() {
  if (initFlag == 0) {
    makeTable();
    initFlag = 1;
  }
}

void Fade::makeTable() {
  // Levels below 128 darken linearly to black, levels from 128 lighten to white.
  for (int cl = 0; cl < 256; cl++) {
    for (int level = 0; level < 256; level++) {
      int v = level < 128 ? cl * level / 127 : 255 - (255 - level) * (255 - cl) / 127;
      fadeTable[cl][level] = static_cast<unsigned char>(v);
    }
  }
  // The turn is 6.28318 rather than 2*pi; stored pictures of rotation depend on
  // the resulting truncated values (sine peaks at 126, cosine at 127).
  for (int i = 0; i < 256; i++) {
    double angle = i * 6.28318 / 256;
    sinTable[i] = static_cast<signed char>(static_cast<int>(std::sin(angle) * 127));
    cosTable[i] = static_cast<signed char>(static_cast<int>(std::cos(angle) * 127));
  }
}
