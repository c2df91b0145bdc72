// The parts of the player's layer on their own: skip and auto pacing, the
// history's rollback and backlog bookkeeping, the overlays' screen and toast
// lifetimes, and the input seam the layer drives the story through.
#include "LayerFixture.h"

#include <algorithm>
#include <vector>

#include "graphics/graphicDevice.h"
#include "settings/Settings.h"
#include "ui/History.h"
#include "ui/Overlays.h"
#include "ui/Pacing.h"
#include "ui/StoryInput.h"

namespace lmtest {
namespace {

TEST(Pacing, CtrlSkipStopsUntilANewPressWhileTabSkipStopsForGood) {
  ui::Pacing p;
  p.ctrl(true, false);
  EXPECT_TRUE(p.skipping());
  p.stop();
  EXPECT_FALSE(p.skipping());
  p.ctrl(true, true);  // a repeat of the held key does not resume
  EXPECT_FALSE(p.skipping());
  p.ctrl(false, false);
  p.ctrl(true, false);
  EXPECT_TRUE(p.skipping());
  p.ctrl(false, false);
  p.toggleTab();
  EXPECT_TRUE(p.skipping());
  p.stop();
  EXPECT_FALSE(p.skipping());
  p.ctrl(true, false);  // Ctrl after a stopped Tab skip is a skip of its own
  EXPECT_TRUE(p.skipping());
}

TEST(Pacing, AutoWaitsItsPausePerCharacterAfterTheVoiceEnds) {
  settings::Settings s;
  s.autoPauseMs = 160;
  s.autoPerCharMs = 32;
  ui::Pacing p;
  p.toggleAuto();
  p.messageShown(5);  // (160 + 5 * 32) / 16 = 20 steps
  for (int i = 0; i < 3; ++i) p.waitStep(true);
  for (int i = 0; i < 19; ++i) {
    p.waitStep(false);
    ASSERT_FALSE(p.decideDue(s, 16)) << i;
  }
  p.waitStep(true);  // the voice sounds again: the pause starts over
  for (int i = 0; i < 19; ++i) p.waitStep(false);
  EXPECT_FALSE(p.decideDue(s, 16));
  p.waitStep(false);
  EXPECT_TRUE(p.decideDue(s, 16));
  p.restartPause();
  EXPECT_FALSE(p.decideDue(s, 16));
  p.toggleAuto();
  for (int i = 0; i < 40; ++i) p.waitStep(false);
  EXPECT_FALSE(p.decideDue(s, 16)) << "auto off";
}

std::vector<save::BacklogEntry> entries(int n) {
  std::vector<save::BacklogEntry> out;
  for (int i = 0; i < n; ++i) out.push_back({"", "line " + std::to_string(i)});
  return out;
}

TEST(History, RollingBackCutsTheBacklogToEachMomentAndLoadedSizesAreClamped) {
  ui::History h;
  h.loadBacklog(entries(5));
  std::vector<save::RollbackMoment> earlier(3);
  earlier[0].backlogSize = 1;
  earlier[1].backlogSize = 3;
  earlier[2].backlogSize = 99;  // more than the backlog holds
  h.loadRollback(earlier);
  ASSERT_EQ(h.earlier().size(), 3u);
  const auto kept = h.rollbackMoments();
  EXPECT_EQ(kept[2].backlogSize, 5u);
  h.rolledBack();
  EXPECT_EQ(h.backlog().size(), 5u);
  h.rolledBack();
  EXPECT_EQ(h.backlog().size(), 3u);
  EXPECT_EQ(h.backlog().back().text, "line 2");
  EXPECT_EQ(h.backlogAt(h.earlier().back()).size(), 1u);
  h.restored(h.earlier().back(), false);
  EXPECT_TRUE(h.earlier().empty());
  EXPECT_TRUE(h.waiting());
  ASSERT_TRUE(h.current().has_value());
}

struct CountedScreen : ui::Screen {
  explicit CountedScreen(int& alive) : alive_(alive) { ++alive_; }
  ~CountedScreen() override { --alive_; }
  void key(unsigned) override {}
  void pointer(const platform::PointerEvent&) override {}
  void draw(ui::Canvas&) override {}
  int& alive_;
};

TEST(Overlays, AClosedScreenLivesUntilTheNextStepAndAToastForItsSteps) {
  int alive = 0;
  ui::Overlays o;
  o.open(std::make_unique<CountedScreen>(alive));
  o.open(std::make_unique<CountedScreen>(alive));
  o.back();
  EXPECT_FALSE(o.empty());
  EXPECT_EQ(alive, 2) << "the closed screen may still be running";
  o.step();
  EXPECT_EQ(alive, 1);
  o.closeAll();
  EXPECT_TRUE(o.empty());
  o.step();
  EXPECT_EQ(alive, 0);

  ZegDevice zeg(320, 240, 24);
  ASSERT_EQ(zeg.checkError(), 0);
  const size_t size = static_cast<size_t>(zeg.storageStride()) * 240;
  const std::vector<uint8_t> before(zeg.storage(), zeg.storage() + size);
  const auto same = [&] { return std::equal(before.begin(), before.end(), zeg.storage()); };
  o.draw(&zeg, "");
  EXPECT_TRUE(same()) << "nothing showing, nothing drawn";
  o.toast("hello");
  for (int i = 0; i < ui::Overlays::kToastSteps - 1; ++i) o.step();
  o.draw(&zeg, "");
  EXPECT_FALSE(same()) << "the toast's last step";
  const std::vector<uint8_t> withToast(zeg.storage(), zeg.storage() + size);
  o.step();
  o.draw(&zeg, "");
  EXPECT_TRUE(std::equal(withToast.begin(), withToast.end(), zeg.storage())) << "the toast is over: nothing drawn";
  EXPECT_EQ(o.notice(), "hello");
}

// Records what the layer does to the story's keys.
struct RecordingInput : ui::StoryInput {
  void key(unsigned vk, bool down) override { log.push_back((down ? "key+" : "key-") + std::to_string(vk)); }
  void press(int bits) override {
    held |= bits;
    log.push_back("press" + std::to_string(bits));
  }
  void release(int bits) override {
    held &= ~bits;
    log.push_back("release" + std::to_string(bits));
  }
  int down() const override { return held; }
  int held = 0;
  std::vector<std::string> log;
};

TEST_F(LayerTest, TheLayerReachesTheStoryOnlyThroughItsInput) {
  RecordingInput input;
  ui::Environment env;
  env.input = &input;
  start(std::move(env));
  ASSERT_TRUE(untilWaiting());
  layer->key(VK_RETURN, true);
  layer->key(VK_RETURN, false);
  layer->key(VK_F5, true);  // the layer's own key: not passed on
  layer->key(VK_F5, false);
  layer->pointer({platform::PointerEvent::LeftDown, 160, 120});
  step();
  const std::vector<std::string> want = {"key+13", "key-13", "key-116", "press16", "release16"};
  EXPECT_EQ(input.log, want);
  EXPECT_EQ(KeyStatus(), 0) << "the story's key state was never written";
}

TEST_F(LayerTest, TheSettingsScreenStepsWithinTheFilesOwnRange) {
  ui::Environment env;
  env.settingsPath = "s.ini";
  env.settings.autoPauseMs = 8000;  // above what the screen once allowed
  start(std::move(env));
  ASSERT_TRUE(untilWaiting());
  const auto press = [this](unsigned vk, int times = 1) {
    for (int i = 0; i < times; ++i) {
      layer->key(vk, true);
      layer->key(vk, false);
    }
  };
  press(VK_ESCAPE);
  press(VK_DOWN, 4);  // Settings
  press(VK_RETURN);
  press(VK_DOWN, 5);  // the auto pause
  press(VK_RIGHT);
  press(VK_ESCAPE, 2);  // closing the menu writes the settings
  ASSERT_FALSE(layer->paused());
  EXPECT_EQ(settings::loadSettings("s.ini").autoPauseMs, 8250);
}

}  // namespace
}  // namespace lmtest
