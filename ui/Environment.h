#pragma once
// What the program around the player's layer offers it.
#include <cstdint>
#include <functional>
#include <string>

#include "save/StorySnapshot.h"
#include "settings/Settings.h"

namespace ui {

class StoryInput;

struct Environment {
  std::string settingsPath;  // empty: settings are not written
  settings::Settings settings;
  std::string saveDir;  // empty: no saves and no lasting read marks
  uint64_t storyId = 0;
  std::function<void()> quit;  // ends the run after the current frame
  // Headless runs: where the loop and audio clocks stand, and putting them back.
  std::function<save::LoopPhase()> capturePhase;
  std::function<void(const save::LoopPhase&)> restorePhase;
  // A window: its scale and full screen (absent headless).
  std::function<void(int scale, bool fullscreen)> applyWindow;
  std::function<bool()> isFullscreen;
  std::function<int()> automaticScale;  // what scale 0 means now (absent or 0: unknown)
  // When the story's files changed and it starts afresh (--watch): the story
  // id and save folder of the data as it is now. Absent: they never change.
  std::function<void(uint64_t& storyId, std::string& saveDir)> identify;
  // After saves, read marks or settings were written (a page syncs its storage).
  std::function<void()> written;
  // Load the newest save as soon as the story has started (--continue).
  bool continueAtStart = false;
  // Where the layer's keys go; null: the story's key state.
  StoryInput* input = nullptr;
};

}  // namespace ui
