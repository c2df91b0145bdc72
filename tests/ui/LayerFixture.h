#pragma once
// A small looping story compiled into a scratch directory, played through the
// player's own layer step by step (no frame loop, no sound device).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/Game.h"
#include "graphics/graphicDevice.h"
#include "save/StorySnapshot.h"
#include "scenes/LmPlayer.h"
#include "shell/FileUtils.h"
#include "shell/Key.h"
#include "support/TestSupport.h"
#include "tools/author/story_compiler.h"
#include "ui/PlayerLayer.h"

namespace lmtest {

// Chart one: a face (its file is missing: an empty face that still blinks), a
// speaker's two-line message, a narration, a choice (stay: chart one again;
// leave: chart two, one more message, then chart one).
inline const char* kLoopScript =
    "start one\n"
    "character 1 hana \"Hana\"\n"
    "chart one -> one two\n"
    "window open\n"
    "face hana 0\n"
    "say hana \"First\\nline\"\n"
    "text \"\\cSecond\"\n"
    "choice \"stay\" \"leave\"\n"
    "branch\n"
    "chart two -> one\n"
    "text \"\\cThird\"\n"
    "jump\n";

class LayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    story::StoryFiles files;
    std::string error;
    ASSERT_TRUE(story::compileStory(kLoopScript, files, &error, "loop.txt")) << error;
    ASSERT_TRUE(story::writeStoryFiles(files, ".", &error)) << error;
    // Straight into the story.
    writeText("kirune.ini", files.ini + "SKIP=1\n");
    KeyReset();
    LmPlayer::resetSceneStatics();
  }
  void TearDown() override {
    machine.reset();
    layer.reset();
    KeyReset();
  }

  void start(ui::Environment env = {}) {
    layer = std::make_unique<ui::PlayerLayer>(std::move(env));
    machine = layer->makeMachine();
  }
  LmPlayer& player() { return *machine->player(); }
  Game* game() { return machine->player()->game.get(); }

  void step(int n = 1) {
    for (int i = 0; i < n; ++i) {
      machine->main();
      machine->stepDone();
    }
  }
  // A key pressed before one step and released before the next.
  void tap(unsigned vk) {
    layer->key(vk, true);
    step();
    layer->key(vk, false);
    step();
  }
  // Steps until the story waits for the player; false after `limit` steps.
  bool untilWaiting(int limit = 400) {
    for (int i = 0; i < limit; ++i) {
      if (save::atWaitingMoment(player())) return true;
      step();
    }
    return save::atWaitingMoment(player());
  }
  // What the story shows and where it reads.
  std::string screen() {
    Game* g = game();
    if (!g) return "none";
    std::string s = std::to_string(g->phase) + "/" + std::to_string(g->chart) + "/" +
                    std::to_string(std::ftell(g->fp.get()));
    if (g->text)
      for (const char* l : g->text->data) s += std::string("|") + l;
    if (g->select) s += "|cursor " + std::to_string(g->select->select);
    return s;
  }

  ScratchDir dir;
  std::unique_ptr<ui::PlayerLayer> layer;
  std::unique_ptr<loop::SceneMachine> machine;
};

}  // namespace lmtest
