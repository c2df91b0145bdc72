// Frames reach the window only when they changed: the frame loop steps and
// draws at every due tick as before, a counting presenter sees each distinct
// frame once, and the window's own requests (paint) are always answered.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "graphics/graphicDevice.h"
#include "platform/Clock.h"
#include "platform/Presenter.h"
#include "shell/FileUtils.h"
#include "loop/FrameLoop.h"
#include "support/TestSupport.h"

namespace {

using loop::FrameLoop;

// Keeps a copy of every frame handed to it.
class CountingPresenter : public platform::Presenter {
 public:
  void present(const platform::Frame& f) override {
    frames.emplace_back(f.pixels, f.pixels + static_cast<size_t>(f.stride) * f.height);
  }
  std::vector<std::vector<unsigned char>> frames;
};

// Draws picture number look(step) of the latest step: the whole screen in
// one grey, or with one byte changed at the start or the end of the storage.
class ScriptedMachine : public loop::SceneMachine {
 public:
  explicit ScriptedMachine(std::function<int(int)> look) : look_(std::move(look)) {}
  int main() override {
    ++steps;
    return 16;
  }
  void draw(ZegDevice* zeg) override {
    ++draws;
    const int n = look_(steps);
    unsigned char* first = zeg->videoMemory + (zeg->height - 1) * zeg->bytesPerLine;  // storage start
    const size_t bytes = static_cast<size_t>(-zeg->bytesPerLine) * zeg->height;
    std::memset(first, n % 10 * 20, bytes);
    if (n >= 10 && n < 20) first[0] ^= 1;          // the first stored byte
    if (n >= 20) first[bytes - 1] ^= 1;             // the last one
  }
  int steps = 0;
  int draws = 0;

 private:
  std::function<int(int)> look_;
};

class PresentOnChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setPresenter(&presenter);
    openCheck();
  }
  void TearDown() override { platform::setPresenter(nullptr); }
  void start(std::function<int(int)> look) {
    loop.setMachineFactory([this, look] {
      auto m = std::make_unique<ScriptedMachine>(look);
      machine = m.get();
      return m;
    });
    loop.create();
    clock.advance(1);  // every tick below then finds exactly one step due
  }
  // One tick a step: the clock moves 16 ms and the loop ticks.
  void steps(int n) {
    for (int i = 0; i < n; i++) {
      clock.advance(16);
      loop.tick();
    }
  }
  std::vector<unsigned char> screen() const {
    const ZegDevice& z = *const_cast<loop::FrameLoop&>(loop).device();
    return {z.storage(), z.storage() + static_cast<size_t>(z.storageStride()) * z.height};
  }

  lmtest::ScratchDir dir;
  CountingPresenter presenter;
  platform::VirtualClock clock{1000};
  loop::FrameLoop loop{clock};
  ScriptedMachine* machine = nullptr;
};

TEST_F(PresentOnChangeTest, OnlyChangedFramesArePresentedWhileEveryTickStillDraws) {
  // Pictures by step: 1-5 grey 1, 6-9 grey 2, 10-12 the first byte flipped,
  // 13 back to grey 2 (the last presented was the flipped one), 14-16 the
  // last byte flipped, then unchanged.
  start([](int s) { return s <= 5 ? 1 : s <= 9 ? 2 : s <= 12 ? 12 : s == 13 ? 2 : 22; });
  steps(20);
  EXPECT_EQ(machine->steps, 20);
  EXPECT_EQ(machine->draws, 20);  // one draw per due tick, as always
  EXPECT_EQ(loop.draws(), 20);
  ASSERT_EQ(presenter.frames.size(), 5u);  // grey 1, grey 2, first byte, grey 2, last byte
  EXPECT_EQ(loop.presenting().presented(), 5);
  EXPECT_EQ(loop.presenting().skipped(), 15);
  EXPECT_EQ(presenter.frames.back(), screen());
  EXPECT_EQ(presenter.frames[0][0], 20);
  EXPECT_EQ(presenter.frames[1][0], 40);
  EXPECT_EQ(presenter.frames[2][0], 40 ^ 1);
  EXPECT_EQ(presenter.frames[3], presenter.frames[1]);
  EXPECT_EQ(presenter.frames[4].back(), 40 ^ 1);
}

TEST_F(PresentOnChangeTest, TheWindowsRequestsAreAlwaysAnswered) {
  start([](int) { return 3; });
  steps(4);
  ASSERT_EQ(presenter.frames.size(), 1u);
  // Expose, resize, full screen: the window asks for the frame again.
  loop.paint();
  loop.paint();
  ASSERT_EQ(presenter.frames.size(), 3u);
  EXPECT_EQ(presenter.frames[2], screen());
  steps(3);  // still unchanged since the last hand-over
  EXPECT_EQ(presenter.frames.size(), 3u);
}

TEST_F(PresentOnChangeTest, ANewPresenterGetsTheFrameAtTheNextTick) {
  start([](int) { return 4; });
  steps(3);
  CountingPresenter other;
  platform::setPresenter(&other);
  steps(3);
  EXPECT_EQ(other.frames.size(), 1u);
  EXPECT_EQ(presenter.frames.size(), 1u);
  platform::setPresenter(&presenter);
  steps(1);
  EXPECT_EQ(presenter.frames.size(), 2u);
}

TEST_F(PresentOnChangeTest, WithoutAPresenterNothingIsComparedOrKept) {
  platform::setPresenter(nullptr);
  start([](int s) { return s; });
  steps(5);
  loop.paint();
  EXPECT_EQ(machine->draws, 5);
  EXPECT_EQ(loop.presenting().presented(), 0);
  EXPECT_EQ(loop.presenting().skipped(), 0);
}

}  // namespace
