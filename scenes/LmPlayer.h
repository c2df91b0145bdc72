#pragma once
// The scene state machine: opening -> title -> select -> game, each scene
// created on its first step and deleted when it reports that it finished.
// Owns the system sound bank the title, select and game scenes play on.
#include <memory>

class Opening;
class Title;
class Select;
class Game;
class Sound;
class ZegDevice;

class LmPlayer {
 public:
  static constexpr int kStepMs = 16;  // length of one logic step

  // Reads "SYSPCM" and "SKIP" and loads the system sound bank.
  LmPlayer();
  ~LmPlayer();
  LmPlayer(const LmPlayer&) = delete;
  LmPlayer& operator=(const LmPlayer&) = delete;

  // One logic step of the current scene; returns the step length (16 ms).
  int main();
  // Draws the current scene; nothing in phase 0 or between two scenes.
  void draw(ZegDevice* zeg);

  int phase = 0;  // a Scene (scenes/Scene.h)
  std::unique_ptr<Opening> opening;
  std::unique_ptr<Title> title;
  std::unique_ptr<Select> select;
  std::unique_ptr<Game> game;
  std::unique_ptr<Sound> se;  // the system sound bank

  // Test hook: resets the step-persistent words (key words, counters) of
  // every scene, as at program start.
  static void resetSceneStatics();
};
