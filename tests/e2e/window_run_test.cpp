// A window run on a host's own ticks draws the frames a headless run draws,
// whether the program loops on it or its owner ticks it in frames (as a
// browser page's animation frames do).
#include <gtest/gtest.h>

#include <set>

#include "PlayerRun.h"
#include "graphics/Font.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "scenes/LmPlayer.h"
#include "shell/FileUtils.h"
#include "shell/Key.h"
#include "shell/app/Run.h"
#include "sound/soundDevice.h"

namespace lmtest {
namespace {

// Ticks on virtual time, 5 ms apart, with the sound played up to each tick.
class VirtualHost : public app::Host {
 public:
  VirtualHost() { platform::setAudioBackend(&audio_); }
  ~VirtualHost() override { platform::setAudioBackend(nullptr); }
  platform::Clock& clock() override { return clock_; }
  void waitTick(app::HostEvents&) override {
    clock_.advance(5);
    audio_.advanceTo(clock_.now());
  }

 private:
  platform::VirtualClock clock_{0};
  platform::HeadlessAudio audio_;
};

void resetPlayerState() {
  fileUtilsReset();
  KeyReset();
  LmPlayer::resetSceneStatics();
  Font::unload();
  ZesDevice::resetState();
}

const char* const kKeys = "100:enter,160:enter,220:enter,260:down,300:enter,380:enter,440:enter";

std::vector<std::string> headlessHashes(const std::string& dir) {
  PlayerResult r = runPlayer("--data '" + binaryDir() + "/demo-data' --headless --steps 500 --input " + kKeys +
                                 " --frame-hashes want.txt",
                             dir);
  EXPECT_EQ(r.code, 0) << r.err;
  return lines(slurp(dir + "/want.txt"));
}

std::vector<std::string> windowHashes(const std::string& dir, const app::HostFactory& open) {
  resetPlayerState();
  std::vector<std::string> args = {"--data", binaryDir() + "/demo-data", "--steps", "500", "--input", kKeys,
                                   "--frame-hashes", dir + "/got.txt"};
  app::Options options;
  std::string error;
  EXPECT_TRUE(app::parseOptions(args, options, error)) << error;
  EXPECT_EQ(app::run(options, open), 0);
  resetPlayerState();
  return lines(slurp(dir + "/got.txt"));
}

void expectSameFrames(const std::vector<std::string>& want, const std::vector<std::string>& got) {
  ASSERT_GT(want.size(), 400u) << "about one frame per step";
  std::set<std::string> distinct(want.begin(), want.end());
  EXPECT_GT(distinct.size(), 100u) << "the run must show a moving story, not one still frame";
  EXPECT_EQ(got, want);
}

TEST(WindowRunTicks, TheProgramLoopingOnAHostsTicksDrawsTheHeadlessFrames) {
  ScratchDir dir;
  ASSERT_TRUE(fileExists(binaryDir() + "/demo-data/kirune.ini")) << "demo-data is not built";
  const auto want = headlessHashes(dir.path());
  const auto got = windowHashes(dir.path(), [](const app::HostSettings&, std::string&) {
    return std::unique_ptr<app::Host>(std::make_unique<VirtualHost>());
  });
  expectSameFrames(want, got);
}

TEST(WindowRunTicks, ARunTickedFromOutsideInFramesDrawsTheSame) {
  ScratchDir dir;
  ASSERT_TRUE(fileExists(binaryDir() + "/demo-data/kirune.ini")) << "demo-data is not built";
  const auto want = headlessHashes(dir.path());
  // As a page does it: everything on the heap, three ticks per animation frame.
  resetPlayerState();
  app::Options options;
  std::string error;
  ASSERT_TRUE(app::parseOptions({"--data", binaryDir() + "/demo-data", "--steps", "500", "--input", kKeys,
                                 "--frame-hashes", dir.path() + "/got.txt"},
                                options, error))
      << error;
  auto setup = std::make_unique<app::RunSetup>();
  ASSERT_TRUE(app::prepareRun(options, *setup));
  auto host = std::make_unique<VirtualHost>();
  auto windowRun = std::make_unique<app::WindowRun>(*setup->session, *host);
  int frames = 0;
  for (bool running = true; running; ++frames)
    for (int i = 0; i < 3 && running; ++i) running = windowRun->tick();
  EXPECT_EQ(windowRun->loop().steps(), 500);
  windowRun.reset();
  host.reset();
  setup.reset();  // closes the frame hash file
  resetPlayerState();
  expectSameFrames(want, lines(slurp(dir.path() + "/got.txt")));
  // 500 steps of 16 ms are 1600 ticks of 5 ms, three to a frame.
  EXPECT_NEAR(frames, 1600 / 3, 10);
}

}  // namespace
}  // namespace lmtest
