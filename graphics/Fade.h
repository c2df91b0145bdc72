#pragma once
// Shared fade and trigonometric tables, built on the first construction of any
// object derived from Fade.

class Fade {
 public:
  Fade();

 protected:
  // fadeTable[cl][level]: colour byte cl at fade level level (0 black, 127/128 unchanged, 255 white).
  static unsigned char fadeTable[256][256];
  // 127 x sine / cosine of i/256 of a turn.
  static signed char sinTable[256];
  static signed char cosTable[256];

 private:
  static int initFlag;
  static void makeTable();
};
