// A window run on a host's own ticks draws the frames a headless run draws,
// whether the program loops on it or its owner ticks it in frames (as a
// browser page's animation frames do); a stop signal ends it as closing the
// window does, with the automatic save.
#include <gtest/gtest.h>

#include <csignal>
#include <set>

#include "ComfortRun.h"
#include "PlayerRun.h"
#include "platform/StopSignals.h"
#include "save/Bytes.h"
#include "save/SaveFile.h"
#include "graphics/Font.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "scenes/LmPlayer.h"
#include "shell/FileUtils.h"
#include "shell/Key.h"
#include "app/Run.h"
#include "sound/soundDevice.h"

namespace lmtest {
namespace {

// Ticks on virtual time, 5 ms apart, with the sound played up to each tick.
class VirtualHost : public platform::Host {
 public:
  // `signalAt` > 0: SIGTERM is raised at the tick that reaches that time.
  explicit VirtualHost(uint32_t signalAt = 0) : signalAt_(signalAt) { platform::setAudioBackend(&audio_); }
  ~VirtualHost() override { platform::setAudioBackend(nullptr); }
  platform::Clock& clock() override { return clock_; }
  void waitTick(platform::HostEvents&) override {
    clock_.advance(5);
    audio_.advanceTo(clock_.now());
    if (signalAt_ && clock_.now() == signalAt_) std::raise(SIGTERM);
  }

 private:
  uint32_t signalAt_;
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

std::vector<std::string> windowHashes(const std::string& dir, const platform::HostFactory& open) {
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
  const auto got = windowHashes(dir.path(), [](const platform::HostSettings&, std::string&) {
    return std::unique_ptr<platform::Host>(std::make_unique<VirtualHost>());
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

// The demo's language choice waits from step 602 to 800; a window run is
// stopped while it waits, by SIGTERM or by its step limit.
int stopAtTheLanguageChoice(const std::string& saves, uint32_t signalAt, long steps) {
  resetPlayerState();
  app::Options options;
  std::string error;
  EXPECT_TRUE(app::parseOptions({"--data", demoData(), "--steps", std::to_string(steps), "--input",
                                 Script::demo(800, false).list(), "--save-dir", saves},
                                options, error))
      << error;
  const int code = app::run(options, [signalAt](const platform::HostSettings&, std::string&) {
    return std::unique_ptr<platform::Host>(std::make_unique<VirtualHost>(signalAt));
  });
  platform::resetStopSignals();
  resetPlayerState();
  return code;
}

TEST(WindowRunStop, AStopSignalWritesTheAutomaticSaveAsClosingTheWindowDoes) {
  ScratchDir dir;
  // 16 ms steps: step 700 runs at about 11.2 s.
  EXPECT_EQ(stopAtTheLanguageChoice(dir.path() + "/signalled", 11200, 100000), 128 + SIGTERM);
  const Bytes bytes = readFile(dir.path() + "/signalled/auto.sav");
  ASSERT_GT(bytes.size(), save::kHeaderBytes);
  save::ByteReader header(bytes.data() + 12, 8);
  save::SaveData d;
  ASSERT_EQ(save::decodeSave(bytes.data(), bytes.size(), header.u64(), d), save::SaveProblem::None);
  EXPECT_EQ(d.state.game.phase, 50) << "the language choice";

  // Reaching the step limit is no closing: nothing is written.
  EXPECT_EQ(stopAtTheLanguageChoice(dir.path() + "/limited", 0, 700), 0);
  EXPECT_FALSE(fileExists(dir.path() + "/limited/auto.sav"));
}

}  // namespace
}  // namespace lmtest
