#pragma once
// A fixture that runs the story scene over scenario data written into a
// scratch directory, step by step, with the key state under test control.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "game/Game.h"
#include "graphics/Font.h"
#include "graphics/graphicDevice.h"
#include "shell/FileUtils.h"
#include "shell/Key.h"
#include "support/TestSupport.h"
#include "tests/game/ScenarioBuilder.h"

namespace gametest {

// Joins byte runs into one stream.
inline Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Screen pixel as red, green, blue.
struct Rgb {
  int r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
};
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}
inline Rgb pixel(const ZegDevice& z, int x, int y) {
  const unsigned char* p = z.videoMemory + static_cast<long>(y) * z.bytesPerLine + x * 3;
  return {p[2], p[1], p[0]};
}
inline void fillScreen(ZegDevice& z, int r, int g, int b) {
  for (int y = 0; y < z.height; ++y)
    for (int x = 0; x < z.width; ++x) {
      unsigned char* p = z.videoMemory + static_cast<long>(y) * z.bytesPerLine + x * 3;
      p[0] = static_cast<unsigned char>(b);
      p[1] = static_cast<unsigned char>(g);
      p[2] = static_cast<unsigned char>(r);
    }
}

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Game::resetStepState();
    KeyReset();
    Font::unload();
    opened().clear();
    setOpenObserver(&GameTest::record);
  }
  void TearDown() override {
    game.reset();
    setOpenObserver(nullptr);
    KeyReset();
  }

  static std::vector<std::string>& opened() {
    static std::vector<std::string> names;
    return names;
  }
  static void record(const char* name, bool) { opened().push_back(name); }
  bool wasOpened(const std::string& suffix) const {
    for (const std::string& n : opened())
      if (n.size() >= suffix.size() && n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0) return true;
    return false;
  }

  void start(const Scenario& s) {
    s.write();
    game = std::make_unique<Game>();
  }
  // One chart holding `stream`, names "Aki" and "Ben".
  void startStream(const Bytes& stream) {
    Scenario s;
    s.charts = {stream};
    s.links = {{0, 0, 0, 0, 0, 0}};
    s.names = {"Aki", "Ben"};
    start(s);
  }

  int step() { return game->main(nullptr); }
  void steps(int n) {
    for (int i = 0; i < n; ++i) step();
  }
  // Steps until phase is `target`; returns how many steps that took, or -1.
  int stepsUntil(int target, int limit = 2000) {
    for (int i = 1; i <= limit; ++i) {
      step();
      if (game->phase == target) return i;
    }
    return -1;
  }
  // Steps until the interpreter has fetched `op` into phase; -1 if never.
  int runToFetch(int op, int limit = 2000) { return stepsUntil(op, limit); }
  // Steps while the phase stays `p`, counting those steps (including the one
  // that leaves it).
  int stepsWhile(int p, int limit = 2000) {
    for (int i = 1; i <= limit; ++i) {
      step();
      if (game->phase != p) return i;
    }
    return -1;
  }
  // Holds a key for one step, then releases it (the release is seen by the
  // next step).
  void press(int bit) {
    KeyDown(bit);
    step();
    KeyUp(bit);
  }

  lmtest::ScratchDir dir;
  std::unique_ptr<Game> game;
};

}  // namespace gametest
