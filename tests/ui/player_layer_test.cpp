// The player's own layer over a real story: rollback depth and exactness,
// the menu's pause and its keys, Escape still reaching the key state, the
// backlog, skipping, auto-advance and refusals; a story started afresh.
#include "LayerFixture.h"

#include <vector>

#include "graphics/Font.h"
#include "save/Bytes.h"

namespace lmtest {
namespace {

TEST_F(LayerTest, RollbackGoesAHundredMomentsBackAndTheStoryGoesOnFromThere) {
  start();
  std::vector<std::string> seen;
  std::vector<size_t> backlogAt;
  for (int i = 0; i < 130; ++i) {
    ASSERT_TRUE(untilWaiting()) << i;
    step(3);
    seen.push_back(screen());
    backlogAt.push_back(layer->backlog().size());
    tap(VK_RETURN);
  }
  ASSERT_TRUE(untilWaiting());
  EXPECT_EQ(layer->rollbackDepth(), 130u);
  for (int k = 1; k <= 100; ++k) {
    tap(VK_BACK);
    ASSERT_EQ(screen(), seen[static_cast<size_t>(130 - k)]) << "after " << k << " Backspaces";
    ASSERT_EQ(layer->backlog().size(), backlogAt[static_cast<size_t>(130 - k)]);
  }
  // Forward again from moment 30: the same moments follow.
  for (size_t i = 31; i < 40; ++i) {
    tap(VK_RETURN);
    ASSERT_TRUE(untilWaiting());
    step(3);
    EXPECT_EQ(screen(), seen[i]) << i;
  }
}

TEST_F(LayerTest, RollbackKeepsTwoHundredMomentsAndSaysSoAtTheEnd) {
  start();
  for (int i = 0; i < 230; ++i) {
    ASSERT_TRUE(untilWaiting());
    tap(VK_RETURN);
  }
  ASSERT_TRUE(untilWaiting());
  EXPECT_EQ(layer->rollbackDepth(), ui::PlayerLayer::kRollbackDepth);
  for (size_t k = 0; k < ui::PlayerLayer::kRollbackDepth; ++k) tap(VK_BACK);
  const std::string oldest = screen();
  tap(VK_BACK);
  EXPECT_EQ(screen(), oldest) << "nothing further back";
  EXPECT_EQ(layer->rollbackDepth(), 0u);
}

TEST_F(LayerTest, EscapeOpensTheMenuPausesTheStoryAndStillSetsTheEscapeBit) {
  start();
  ASSERT_TRUE(untilWaiting());
  const int eyes = game()->eyesstate;
  layer->key(VK_ESCAPE, true);
  EXPECT_TRUE(KeyStatus() & KEY_ESCAPE);
  EXPECT_TRUE(layer->paused());
  step(50);
  EXPECT_EQ(game()->eyesstate, eyes) << "no story step under the menu";
  layer->key(VK_ESCAPE, false);
  EXPECT_EQ(KeyStatus(), 0);
  // The menu's keys stay out of the key state; Resume (the first item) closes it.
  layer->key(VK_RETURN, true);
  EXPECT_EQ(KeyStatus(), 0);
  EXPECT_FALSE(layer->paused());
  layer->key(VK_RETURN, false);
  const std::string before = screen();
  step(5);
  EXPECT_EQ(screen(), before) << "the Enter that closed the menu did not decide the message";
  EXPECT_EQ(game()->eyesstate, eyes + 5);
}

TEST_F(LayerTest, EscapeClosesWhatItOpened) {
  start();
  ASSERT_TRUE(untilWaiting());
  tap(VK_ESCAPE);
  tap(VK_DOWN);  // Save
  tap(VK_DOWN);  // Load
  layer->key(VK_RETURN, true);  // the load screen over the menu
  layer->key(VK_RETURN, false);
  ASSERT_TRUE(layer->paused());
  tap(VK_ESCAPE);
  EXPECT_TRUE(layer->paused()) << "back to the menu";
  tap(VK_BACK);
  EXPECT_FALSE(layer->paused());
}

TEST_F(LayerTest, TheBacklogHoldsEachShownMessageWithItsSpeaker) {
  start();
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(untilWaiting());
    tap(VK_RETURN);
  }
  ASSERT_TRUE(untilWaiting());
  const auto& b = layer->backlog();
  ASSERT_EQ(b.size(), 4u);  // First, Second, (the choice), First, Second
  EXPECT_EQ(b[0].speaker, "\x81\x79Hana\x81\x7A");
  EXPECT_EQ(b[0].text, "First\nline");
  EXPECT_EQ(b[1].speaker, "");
  EXPECT_EQ(b[1].text, "Second");
  EXPECT_EQ(b[2].text, "First\nline");
}

TEST_F(LayerTest, TabSkipsReadAndUnreadTextInAllModeAndStopsAtTheChoice) {
  ui::Environment env;
  env.settings.skip = settings::SkipMode::All;
  start(env);
  ASSERT_TRUE(untilWaiting());
  layer->key(VK_TAB, true);
  EXPECT_TRUE(layer->skipping());
  layer->key(VK_TAB, false);
  step(6);
  ASSERT_EQ(game()->phase, 50) << screen();
  EXPECT_FALSE(layer->skipping()) << "a choice ends the skip";
  EXPECT_EQ(layer->backlog().size(), 2u);
}

TEST_F(LayerTest, SkipStopsAtTheFirstMessageNotReadBefore) {
  start();
  ASSERT_TRUE(untilWaiting());
  tap(VK_RETURN);  // First was read; Second is new
  ASSERT_TRUE(untilWaiting());
  tap(VK_RETURN);
  ASSERT_TRUE(untilWaiting());
  tap(VK_RETURN);  // stay: the loop again, both messages read now
  layer->key(VK_CONTROL, true);
  step(100);
  // Through First and Second (read) to the choice.
  EXPECT_EQ(game()->phase, 50);
  layer->key(VK_CONTROL, false);
  layer->key(VK_DOWN, true);
  step();
  layer->key(VK_DOWN, false);
  step();
  tap(VK_RETURN);  // leave: chart two's "Third" is unread
  layer->key(VK_CONTROL, true);
  step(100);
  EXPECT_EQ(game()->phase, 21);
  EXPECT_EQ(std::string(game()->text->data[0]), "Third");
  EXPECT_FALSE(layer->skipping()) << "stopped until Ctrl is pressed again";
  layer->key(VK_CONTROL, false);
  layer->key(VK_CONTROL, true);
  EXPECT_TRUE(layer->skipping());
}

TEST_F(LayerTest, AutoAdvancesAfterAPauseThatGrowsWithTheMessage) {
  ui::Environment env;
  env.settings.autoPauseMs = 160;   // 10 steps
  env.settings.autoPerCharMs = 16;  // a step per character
  start(env);
  ASSERT_TRUE(untilWaiting());
  tap(VK_A);
  EXPECT_TRUE(layer->autoMode());
  // "First\nline": 9 characters; 19 steps of waiting before the Decide.
  const std::string first = screen();
  step(15);
  EXPECT_EQ(screen(), first) << "still waiting";
  step(10);
  ASSERT_TRUE(untilWaiting());
  EXPECT_NE(screen(), first);
  EXPECT_EQ(layer->backlog().back().text, "Second");
}

TEST_F(LayerTest, NothingIsSavedBeforeAWaitingMomentOrWithoutASaveFolder) {
  ui::Environment env;
  env.saveDir = dir.path() + "/saves";
  start(env);
  tap(VK_F5);
  EXPECT_FALSE(fileExists(dir.path() + "/saves/quick.sav"));
  ASSERT_TRUE(untilWaiting());
  tap(VK_F5);
  EXPECT_TRUE(fileExists(dir.path() + "/saves/quick.sav"));

  machine.reset();
  start();  // no folder
  ASSERT_TRUE(untilWaiting());
  tap(VK_F5);
  tap(VK_F9);
  EXPECT_EQ(screen().substr(0, 3), "21/");
}

TEST_F(LayerTest, AQuickLoadPutsBackTheMomentAndItsBacklog) {
  ui::Environment env;
  env.saveDir = dir.path() + "/saves";
  start(env);
  ASSERT_TRUE(untilWaiting());
  const std::string first = screen();
  tap(VK_RETURN);
  ASSERT_TRUE(untilWaiting());
  const std::string saved = screen();
  tap(VK_F5);
  for (int i = 0; i < 2; ++i) {
    tap(VK_RETURN);
    ASSERT_TRUE(untilWaiting());
  }
  ASSERT_NE(screen(), saved);
  tap(VK_F9);
  EXPECT_EQ(screen(), saved);
  ASSERT_EQ(layer->backlog().size(), 2u);
  EXPECT_EQ(layer->backlog().back().text, "Second");
  // The save keeps the moments before it: rollback goes on across the load.
  ASSERT_EQ(layer->rollbackDepth(), 1u);
  tap(VK_BACK);
  EXPECT_EQ(screen(), first);
  EXPECT_EQ(layer->backlog().size(), 1u);
}

// The story's files changed and it starts afresh (a new machine behind the
// same layer): the earlier moments are gone, and changed files that make
// another story take their saves and read marks to that story's folder.
TEST_F(LayerTest, AStoryStartedAfreshForgetsItsMomentsAndFollowsItsFilesToTheirOwnSaves) {
  uint64_t filesNow = 1;
  auto folder = [this](uint64_t id) { return dir.path() + "/story" + std::to_string(id); };
  ui::Environment env;
  env.storyId = 1;
  env.saveDir = folder(1);
  env.identify = [&](uint64_t& id, std::string& saveDir) {
    id = filesNow;
    saveDir = folder(filesNow);
  };
  start(env);
  ASSERT_TRUE(untilWaiting());
  const std::string first = screen();
  tap(VK_F5);
  tap(VK_RETURN);
  ASSERT_TRUE(untilWaiting());
  ASSERT_GE(layer->rollbackDepth(), 1u);
  const Bytes firstSave = readFile(folder(1) + "/quick.sav");
  ASSERT_GT(firstSave.size(), save::kHeaderBytes);

  auto startAfresh = [&] {
    machine.reset();
    fileUtilsReset();
    Font::unload();
    Game::resetStepState();
    LmPlayer::resetSceneStatics();
    KeyReset();
    machine = layer->makeMachine();
  };
  startAfresh();  // the same files
  EXPECT_EQ(layer->rollbackDepth(), 0u);
  EXPECT_EQ(layer->saveDir(), folder(1));
  tap(VK_F5);  // before the new story's first waiting moment: nothing to save
  EXPECT_EQ(readFile(folder(1) + "/quick.sav"), firstSave);
  tap(VK_BACK);
  EXPECT_EQ(layer->rollbackDepth(), 0u);
  EXPECT_TRUE(fileExists(folder(1) + "/read.dat")) << "the read marks were stored when the machine went";
  tap(VK_F9);
  EXPECT_EQ(screen(), first) << "the same story loads its own save";

  filesNow = 2;
  startAfresh();  // files of another story
  EXPECT_EQ(layer->storyId(), 2u);
  EXPECT_EQ(layer->saveDir(), folder(2));
  EXPECT_EQ(layer->readMarks().size(), 0u) << "no marks of the other story";
  tap(VK_F9);  // no save of this story yet
  ASSERT_TRUE(untilWaiting());
  tap(VK_F5);
  const Bytes second = readFile(folder(2) + "/quick.sav");
  ASSERT_GT(second.size(), save::kHeaderBytes);
  save::ByteReader header(second.data() + 12, 8);
  EXPECT_EQ(header.u64(), 2u);
}

// The window's screenshot becomes a short notice naming the file; the
// window's other acts say nothing.
TEST_F(LayerTest, AScreenshotIsNamedInANotice) {
  start();
  ASSERT_TRUE(untilWaiting());
  layer->windowAction("fullscreen on");
  EXPECT_EQ(layer->notice(), "");
  layer->windowAction("shot /home/a/Pictures/lmplayer/lmplayer-0002.png");
  EXPECT_EQ(layer->notice(), "Screenshot: lmplayer-0002.png");
  layer->windowAction("shot lmplayer-0003.png");
  EXPECT_EQ(layer->notice(), "Screenshot: lmplayer-0003.png");
}

// Window scale steps in the order automatic, x1 .. x8; from automatic (here
// x3) Right goes to x4 and Left to x2, never the other way.
TEST_F(LayerTest, TheScaleStepsAwayFromAutomaticInTheDirectionPressed) {
  ui::Environment env;
  int shown = -1;
  env.applyWindow = [&shown](int scale, bool) { shown = scale; };
  env.automaticScale = [] { return 3; };
  start(env);
  ASSERT_TRUE(untilWaiting());
  auto press = [this](unsigned vk) {
    layer->key(vk, true);
    layer->key(vk, false);
  };
  press(VK_ESCAPE);
  for (int i = 0; i < 4; ++i) press(VK_DOWN);  // Settings
  press(VK_RETURN);
  for (int i = 0; i < 7; ++i) press(VK_DOWN);  // Window scale
  press(VK_RIGHT);
  EXPECT_EQ(shown, 4);
  for (int want : {3, 2, 1, 0}) {
    press(VK_LEFT);
    EXPECT_EQ(shown, want);
  }
  press(VK_LEFT);  // Left on automatic: the scale below the one shown
  EXPECT_EQ(shown, 2);
  press(VK_LEFT);
  press(VK_LEFT);
  EXPECT_EQ(shown, 0);
  press(VK_RIGHT);  // Right on automatic never shrinks
  EXPECT_EQ(shown, 4);
}

// With ask_quick_load on, F9 asks first: No (under the cursor) keeps the
// story where it is, Yes loads; without a quick save nothing is asked.
TEST_F(LayerTest, QuickLoadAsksFirstWhenTheSettingSaysSo) {
  ui::Environment env;
  env.saveDir = dir.path() + "/saves";
  env.settings.askQuickLoad = true;
  start(env);
  ASSERT_TRUE(untilWaiting());
  tap(VK_F9);
  EXPECT_FALSE(layer->paused()) << "no quick save: nothing to ask";
  const std::string saved = screen();
  tap(VK_F5);
  tap(VK_RETURN);
  ASSERT_TRUE(untilWaiting());
  const std::string later = screen();
  ASSERT_NE(later, saved);

  tap(VK_F9);
  ASSERT_TRUE(layer->paused()) << "the question is open";
  tap(VK_RETURN);  // No
  EXPECT_FALSE(layer->paused());
  EXPECT_EQ(screen(), later);
  tap(VK_F9);
  tap(VK_UP);
  tap(VK_RETURN);  // Yes
  EXPECT_FALSE(layer->paused());
  EXPECT_EQ(screen(), saved);
}

}  // namespace
}  // namespace lmtest
