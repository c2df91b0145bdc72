#include <gtest/gtest.h>

#include "graphics/Fade.h"

namespace {

struct Tables : Fade {
  static int fade(int cl, int level) { return fadeTable[cl][level]; }
  static int sine(int i) { return sinTable[i]; }
  static int cosine(int i) { return cosTable[i]; }
  static void scribble() { fadeTable[1][1] = 99; }
  static void unscribble() { fadeTable[1][1] = 0; }
};

TEST(Fade, FadeTableValues) {
  Tables t;
  EXPECT_EQ(Tables::fade(200, 0), 0);
  EXPECT_EQ(Tables::fade(200, 64), 100);
  EXPECT_EQ(Tables::fade(200, 127), 200);
  EXPECT_EQ(Tables::fade(200, 128), 200);
  EXPECT_EQ(Tables::fade(200, 192), 228);
  EXPECT_EQ(Tables::fade(200, 255), 255);
  EXPECT_EQ(Tables::fade(0, 200), 145);
  EXPECT_EQ(Tables::fade(255, 126), 252);
  EXPECT_EQ(Tables::fade(240, 64), 120);
  EXPECT_EQ(Tables::fade(224, 64), 112);
  for (int cl = 0; cl < 256; cl++) {
    EXPECT_EQ(Tables::fade(cl, 127), cl);
    EXPECT_EQ(Tables::fade(cl, 128), cl);
    EXPECT_EQ(Tables::fade(cl, 0), 0);
    EXPECT_EQ(Tables::fade(cl, 255), 255);
  }
}

TEST(Fade, TrigTablesKeepTheirTruncatedPeaks) {
  Tables t;
  const int sines[][2] = {{0, 0}, {32, 89}, {64, 126}, {96, 89}, {128, 0}, {192, -126}, {255, -3}};
  for (auto& s : sines) EXPECT_EQ(Tables::sine(s[0]), s[1]) << "sin " << s[0];
  const int cosines[][2] = {{0, 127}, {16, 117}, {32, 89}, {64, 0}, {128, -126}, {192, 0}, {255, 126}};
  for (auto& c : cosines) EXPECT_EQ(Tables::cosine(c[0]), c[1]) << "cos " << c[0];
  int maxSin = -128, minSin = 127, minCos = 127;
  for (int i = 0; i < 256; i++) {
    maxSin = std::max(maxSin, Tables::sine(i));
    minSin = std::min(minSin, Tables::sine(i));
    minCos = std::min(minCos, Tables::cosine(i));
  }
  EXPECT_EQ(maxSin, 126);
  EXPECT_EQ(minSin, -126);
  EXPECT_EQ(minCos, -126);
  for (int i = 59; i <= 69; i++) EXPECT_EQ(Tables::sine(i), 126) << i;
}

TEST(Fade, SecondConstructionDoesNotRebuild) {
  Tables first;
  Tables::scribble();
  Tables second;
  EXPECT_EQ(Tables::fade(1, 1), 99);
  Tables::unscribble();
}

}  // namespace
