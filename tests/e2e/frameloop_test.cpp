// The frame loop against a virtual clock: deadlines, catch-up, the reset
// after a file was opened, start-up failure, re-entrancy and the wrap of the
// 32-bit tick counter.
#include "loop/FrameLoop.h"

#include <gtest/gtest.h>

#include <functional>

#include "graphics/graphicDevice.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Presenter.h"
#include "shell/FileUtils.h"
#include "loop/LmPlayerMachine.h"
#include "scenes/LmPlayer.h"
#include "support/TestSupport.h"

namespace {

using loop::FrameLoop;

struct Counts {
  int steps = 0;
  int draws = 0;
  bool destroyed = false;
};

// Counts steps and draws; `onStep` runs inside each step (after counting).
class FakeMachine : public loop::SceneMachine {
 public:
  FakeMachine(Counts& c, std::function<void(int)> onStep = {}) : c_(c), onStep_(std::move(onStep)) {}
  ~FakeMachine() override { c_.destroyed = true; }
  int main() override {
    ++c_.steps;
    if (onStep_) onStep_(c_.steps);
    return 16;
  }
  void draw(ZegDevice*) override { ++c_.draws; }

 private:
  Counts& c_;
  std::function<void(int)> onStep_;
};

class FrameLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setPresenter(&presenter);
    openCheck();
  }
  void TearDown() override { platform::setPresenter(nullptr); }

  void useFake(std::function<void(int)> onStep = {}) {
    loop.setMachineFactory([this, onStep] { return std::make_unique<FakeMachine>(counts, onStep); });
  }
  void at(uint32_t ms) {
    clock.set(ms);
    loop.tick();
  }

  lmtest::ScratchDir dir;
  platform::HeadlessPresenter presenter;
  platform::VirtualClock clock{1000};
  loop::FrameLoop loop{clock};
  Counts counts;
};

// Opens a data file (a missing one counts too).
void openSomething() { myFopen(0, "NOTHERE.PF1", "rb"); }

TEST_F(FrameLoopTest, NoStepUntilMoreThan16msHavePassed) {
  useFake();
  loop.create();
  EXPECT_EQ(loop.deadline(), 1016u);
  EXPECT_TRUE(loop.timerRunning());
  for (uint32_t t : {1000u, 1005u, 1010u, 1015u, 1016u}) at(t);  // equal counts as not due
  EXPECT_EQ(counts.steps, 0);
  EXPECT_EQ(counts.draws, 0);
  EXPECT_EQ(presenter.presents(), 0);
  at(1017);
  EXPECT_EQ(counts.steps, 1);
  EXPECT_EQ(counts.draws, 1);
  EXPECT_EQ(presenter.presents(), 1);
  EXPECT_EQ(loop.deadline(), 1032u);
}

TEST_F(FrameLoopTest, CatchUpRunsEveryOwedStepThenDrawsOnce) {
  useFake();
  loop.create();
  const uint32_t T = loop.deadline();
  at(T + 100);
  EXPECT_EQ(counts.steps, 7);
  EXPECT_EQ(loop.deadline(), T + 112);
  EXPECT_EQ(counts.draws, 1);
  EXPECT_EQ(presenter.presents(), 1);
  at(T + 112);  // equal: nothing
  EXPECT_EQ(counts.steps, 7);
  EXPECT_EQ(presenter.presents(), 1);
}

TEST_F(FrameLoopTest, AStepThatOpensAFileRestartsTheDeadline) {
  useFake([](int step) {
    if (step == 3) openSomething();
  });
  loop.create();
  const uint32_t T = loop.deadline();
  at(T + 100);
  EXPECT_EQ(counts.steps, 3) << "the load time is not caught up";
  EXPECT_EQ(loop.deadline(), T + 100);
  EXPECT_EQ(counts.draws, 1);
  at(T + 100);
  EXPECT_EQ(counts.steps, 3);
  at(T + 101);
  EXPECT_EQ(counts.steps, 4);
  EXPECT_EQ(loop.deadline(), T + 116);
}

TEST_F(FrameLoopTest, TheSystemBankMakesTheFirstStepResetTheDeadline) {
  // The real scene machine: its constructor opens the system bank.
  loop.create();
  const uint32_t T = loop.deadline();
  at(T + 100);
  EXPECT_EQ(loop.steps(), 1);
  EXPECT_EQ(loop.deadline(), T + 100);
  // The second step loads the first logo: reset again.
  at(T + 200);
  EXPECT_EQ(loop.steps(), 2);
  EXPECT_EQ(loop.deadline(), T + 200);
  // Then the logo fades with no file activity: steps are caught up.
  at(T + 300);
  EXPECT_EQ(loop.steps(), 2 + 7);
  EXPECT_EQ(loop.deadline(), T + 312);
  auto* m = dynamic_cast<loop::LmPlayerMachine*>(loop.machine());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->player()->phase, 1);
}

TEST_F(FrameLoopTest, AFailedFrameBufferQuitsWithZeroAndNoTimer) {
  platform::HeadlessAudio audio;
  platform::setAudioBackend(&audio);
  {
    loop::FrameLoop failing(clock);
    failing.setMachineFactory([this] { return std::make_unique<FakeMachine>(counts); });
    failing.setDeviceFactory([] { return std::make_unique<ZegDevice>(0, 0, 24); });
    failing.create();
    EXPECT_TRUE(failing.quitPosted());
    EXPECT_EQ(failing.exitCode(), 0);
    EXPECT_FALSE(failing.timerRunning());
    EXPECT_EQ(failing.machine(), nullptr);
    EXPECT_EQ(failing.device(), nullptr);
    EXPECT_TRUE(failing.inFrame()) << "ticks stay ignored";
    clock.set(5000);
    failing.tick();
    EXPECT_EQ(counts.steps, 0);
    EXPECT_EQ(presenter.presents(), 0);
    EXPECT_TRUE(audio.isOpen()) << "the sound library started before the frame buffer";
  }
  // Leaving the run still shuts the sound library down.
  EXPECT_FALSE(audio.isOpen());
  platform::setAudioBackend(nullptr);
}

TEST_F(FrameLoopTest, TickCounterWrapNeitherStallsNorBursts) {
  clock.set(0xFFFFFF00u);
  useFake();
  loop.create();
  // 2 s of 5 ms ticks across the wrap: one step per 16 ms, never two per tick.
  int maxPerTick = 0;
  for (uint32_t ms = 0; ms < 2000; ms += 5) {
    int before = counts.steps;
    at(0xFFFFFF00u + ms);
    maxPerTick = std::max(maxPerTick, counts.steps - before);
  }
  EXPECT_EQ(maxPerTick, 1);
  EXPECT_GE(counts.steps, 2000 / 16 - 2);
  EXPECT_LE(counts.steps, 2000 / 16);
}

TEST_F(FrameLoopTest, DeadlineJustPastTheWrapIsNotDueBeforeIt) {
  clock.set(0xFFFFFFF0u);
  useFake();
  loop.create();
  EXPECT_EQ(loop.deadline(), 0u);
  at(0xFFFFFFF5u);
  at(0xFFFFFFFFu);
  at(0);
  EXPECT_EQ(counts.steps, 0);
  at(1);
  EXPECT_EQ(counts.steps, 1);
  EXPECT_EQ(loop.deadline(), 16u);
}

TEST_F(FrameLoopTest, TicksDuringAStepAreIgnored) {
  // As while the chart error box holds a step: nested timer ticks do nothing.
  useFake([this](int step) {
    if (step != 1) return;
    clock.advance(160);
    loop.tick();
    loop.tick();
  });
  loop.create();
  const uint32_t T = loop.deadline();
  at(T + 1);
  // The steps owed for the 160 ms the first step was held run afterwards.
  EXPECT_EQ(counts.steps, 11);
  EXPECT_EQ(loop.deadline(), T + 176);
  EXPECT_EQ(counts.draws, 1);
  EXPECT_EQ(presenter.presents(), 1);
}

TEST_F(FrameLoopTest, StopRequestEndsTheCatchUpButStillDraws) {
  loop.setHooks({nullptr, [this](long step) {
                   if (step == 3) loop.requestStop();
                 },
                 nullptr});
  useFake();
  loop.create();
  at(loop.deadline() + 100);
  EXPECT_EQ(counts.steps, 3);
  EXPECT_EQ(counts.draws, 1);
  EXPECT_EQ(presenter.presents(), 1);
}

TEST_F(FrameLoopTest, TeardownOrderAndErrorLog) {
  lmtest::writeText("error.log", "old contents");
  bool timerStoppedFirst = false, deviceAlive = false;
  loop.setMachineFactory([&] {
    struct Probe : FakeMachine {
      Probe(Counts& c, loop::FrameLoop& l, bool& t, bool& d) : FakeMachine(c), l_(l), t_(t), d_(d) {}
      ~Probe() override {
        t_ = !l_.timerRunning();
        d_ = l_.device() != nullptr;
      }
      loop::FrameLoop& l_;
      bool& t_;
      bool& d_;
    };
    return std::make_unique<Probe>(counts, loop, timerStoppedFirst, deviceAlive);
  });
  loop.create();
  EXPECT_TRUE(lmtest::readFile("error.log").empty()) << "created empty";
  at(loop.deadline() + 1);
  loop.paint();
  EXPECT_EQ(presenter.presents(), 2) << "paint presents without a step";
  EXPECT_EQ(counts.steps, 1);
  loop.close();
  EXPECT_TRUE(counts.destroyed);
  EXPECT_TRUE(timerStoppedFirst);
  EXPECT_TRUE(deviceAlive) << "the machine goes before the frame buffer";
  EXPECT_EQ(loop.device(), nullptr);
  EXPECT_TRUE(loop.quitPosted());
  EXPECT_EQ(loop.exitCode(), 0);
  at(99999);  // a stray tick finds nothing
  loop.paint();
  EXPECT_EQ(counts.steps, 1);
  EXPECT_EQ(presenter.presents(), 2);
  loop.close();  // a second close releases nothing twice
}

}  // namespace
