// A window run sleeps until its next step is due instead of ticking every
// 5 ms, and on a still screen without input until one step later: the steps,
// their order and what they draw stay those of a headless run.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <vector>

#include "PlayerRun.h"
#include "graphics/Font.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Presenter.h"
#include "scenes/LmPlayer.h"
#include "shell/FileUtils.h"
#include "shell/Key.h"
#include "app/Run.h"
#include "loop/WakePlan.h"
#include "sound/soundDevice.h"

namespace lmtest {
namespace {

TEST(WakePlan, WakesAtEachDeadlineUntilTheScreenStandsStill) {
  loop::WakePlan plan;
  EXPECT_EQ(plan.wakeAt(1000), 1001u);  // the first moment a step is due
  for (int i = 0; i < loop::WakePlan::kStillFrames - 1; i++) plan.afterTick(true, false);
  EXPECT_EQ(plan.wakeAt(1000), 1001u);
  plan.afterTick(false, false);  // a tick that drew nothing does not count
  EXPECT_EQ(plan.wakeAt(1000), 1001u);
  plan.afterTick(true, false);
  EXPECT_TRUE(plan.still());
  EXPECT_EQ(plan.wakeAt(1000), 1017u);
  EXPECT_EQ(plan.wakeAt(0xFFFFFFF5u), 0x6u);  // the tick counter wraps
  plan.afterTick(true, true);  // a changed frame
  EXPECT_EQ(plan.wakeAt(1000), 1001u);
  for (int i = 0; i < loop::WakePlan::kStillFrames; i++) plan.afterTick(true, false);
  EXPECT_TRUE(plan.still());
  plan.input();
  EXPECT_FALSE(plan.still());
  EXPECT_EQ(plan.wakeAt(1000), 1001u);
}

// Sleeps on virtual time: each wait moves the clock to the time asked for (or
// to a scripted event before it, which it then delivers), and plays the sound
// up to there. Keeps a presenter, as a window does.
class SleepingHost : public platform::Host {
 public:
  SleepingHost() {
    platform::setAudioBackend(&audio_);
    platform::setPresenter(&presenter_);
  }
  ~SleepingHost() override {
    platform::setAudioBackend(nullptr);
    platform::setPresenter(nullptr);
  }
  platform::Clock& clock() override { return clock_; }
  void waitTick(platform::HostEvents&) override { ADD_FAILURE() << "a sleeping host is never asked to tick"; }
  void waitUntil(uint32_t due, platform::HostEvents& events) override {
    dues.push_back(due);
    if (onWait) onWait(due, events);
    if (static_cast<int32_t>(due - clock_.now()) > 0) clock_.set(due);
    audio_.advanceTo(clock_.now());
  }
  platform::VirtualClock& virtualClock() { return clock_; }

  std::vector<uint32_t> dues;
  std::function<void(uint32_t, platform::HostEvents&)> onWait;

 private:
  platform::VirtualClock clock_{0};
  platform::HeadlessAudio audio_;
  platform::HeadlessPresenter presenter_;
};

void resetPlayerState() {
  fileUtilsReset();
  KeyReset();
  LmPlayer::resetSceneStatics();
  Font::unload();
  ZesDevice::resetState();
}

// "<step> <hash>" lines by step.
std::map<std::string, std::string> byStep(const std::vector<std::string>& hashLines) {
  std::map<std::string, std::string> out;
  for (const std::string& l : hashLines) out[l.substr(0, l.find(' '))] = l.substr(l.find(' ') + 1);
  return out;
}

// The demo's opening and title (still from about step 450), then Enter.
constexpr int kSteps = 1300;
const char* const kKeys = "1150:enter";

TEST(WindowSleep, ASleepingRunStepsAndDrawsAsHeadlessWithHalfTheWakeUpsWhenStill) {
  ScratchDir dir;
  ASSERT_TRUE(fileExists(binaryDir() + "/demo-data/kirune.ini")) << "demo-data is not built";
  const std::string steps = std::to_string(kSteps);
  PlayerResult r = runPlayer("--data '" + binaryDir() + "/demo-data' --headless --steps " + steps + " --input " +
                                 kKeys + " --trace want.trace --frame-hashes want.txt",
                             dir.path());
  ASSERT_EQ(r.code, 0) << r.err;

  resetPlayerState();
  app::Options options;
  std::string error;
  ASSERT_TRUE(app::parseOptions({"--data", binaryDir() + "/demo-data", "--steps", steps, "--input", kKeys, "--trace",
                                 dir.path() + "/got.trace", "--frame-hashes", dir.path() + "/got.txt"},
                                options, error))
      << error;
  auto setup = std::make_unique<app::RunSetup>();
  ASSERT_TRUE(app::prepareRun(options, *setup));
  auto host = std::make_unique<SleepingHost>();
  auto windowRun = std::make_unique<app::WindowRun>(*setup->session, *host);
  // Every wait asks for the loop's next deadline, or one step after it when still.
  int stillWaits = 0;
  for (bool running = true; running;) {
    const uint32_t deadline = windowRun->loop().deadline();
    const bool still = windowRun->wakePlan().still();
    stillWaits += still;
    const size_t before = host->dues.size();
    running = windowRun->tick();
    if (running) {
      ASSERT_EQ(host->dues.size(), before + 1);
      ASSERT_EQ(host->dues.back(), deadline + 1 + (still ? 16u : 0u));
    }
  }
  EXPECT_EQ(windowRun->loop().steps(), kSteps);
  const size_t waits = host->dues.size();
  windowRun.reset();
  host.reset();
  setup.reset();  // closes the outputs
  resetPlayerState();

  // The same steps; every frame drawn is the headless frame after the same
  // step (headless draws after every step here). Steps run in pairs while
  // still, so a frame is drawn every second step there.
  EXPECT_EQ(slurp(dir.path() + "/got.trace"), slurp(dir.path() + "/want.trace"));
  const auto want = lines(slurp(dir.path() + "/want.txt"));
  const auto got = lines(slurp(dir.path() + "/got.txt"));
  ASSERT_EQ(want.size(), static_cast<size_t>(kSteps));
  const auto wantByStep = byStep(want);
  for (const auto& [step, hash] : byStep(got)) ASSERT_EQ(hash, wantByStep.at(step)) << "step " << step;
  std::set<std::string> distinct;
  for (const auto& [step, hash] : wantByStep) distinct.insert(hash);
  ASSERT_GT(distinct.size(), 100u) << "the run must show a moving story";
  // The still title (about 650 steps) took about half as many wake-ups.
  EXPECT_GT(stillWaits, 250);
  EXPECT_LT(waits, static_cast<size_t>(kSteps - 250));
  EXPECT_LT(got.size(), want.size() - 250);
}

TEST(WindowSleep, InputBringsBackAWakeUpPerStep) {
  ScratchDir dir;
  writeText(dir.path() + "/kirune.ini", "[DOROVANKA]\n");  // no pictures: a still black screen
  resetPlayerState();
  app::Options options;
  std::string error;
  ASSERT_TRUE(app::parseOptions({"--data", dir.path(), "--steps", "400"}, options, error)) << error;
  auto setup = std::make_unique<app::RunSetup>();
  ASSERT_TRUE(app::prepareRun(options, *setup));
  auto host = std::make_unique<SleepingHost>();
  auto windowRun = std::make_unique<app::WindowRun>(*setup->session, *host);
  // A key goes down at the 150th wait and up at the 151st (a key no step reads).
  int wait = 0;
  host->onWait = [&](uint32_t, platform::HostEvents& events) {
    ++wait;
    if (wait == 150 || wait == 151) events.key(0x41, wait == 150);
  };
  std::vector<bool> still;
  for (bool running = true; running;) {
    still.push_back(windowRun->wakePlan().still());
    running = windowRun->tick();
  }
  windowRun.reset();
  host.reset();
  setup.reset();
  resetPlayerState();
  ASSERT_GT(still.size(), 200u);
  EXPECT_FALSE(still[10]);
  EXPECT_TRUE(still[149]);   // long still by then
  EXPECT_FALSE(still[150]);  // the key was delivered during wait 150
  EXPECT_FALSE(still[151 + loop::WakePlan::kStillFrames - 2]);
  EXPECT_TRUE(still[151 + loop::WakePlan::kStillFrames + 1]);
}

}  // namespace
}  // namespace lmtest
