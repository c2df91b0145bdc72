#include "app/Run.h"

#include <cstdio>
#include <filesystem>

#include "diagnostics/DataWatch.h"
#include "diagnostics/PlayerReport.h"
#include "game/Game.h"
#include "graphics/Font.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/KeptFile.h"
#include "platform/OutputFile.h"
#include "platform/PicturesDir.h"
#include "platform/Places.h"
#include "platform/StopSignals.h"
#include "platform/Presenter.h"
#include "save/SaveStore.h"
#include "save/StoryId.h"
#include "scenes/LmPlayer.h"
#include "scenes/Scene.h"
#include "settings/Settings.h"
#include "shell/FileUtils.h"
#include "shell/Key.h"
#include "loop/FrameLoop.h"
#include "loop/LmPlayerMachine.h"
#include "app/RunInputs.h"
#include "app/Session.h"
#include "app/VideoRun.h"
#include "video/VideoRecorder.h"

namespace app {

namespace {

namespace fs = std::filesystem;

// "-" (standard output) stays as it is.
std::string absoluteFrom(const std::string& base, const std::string& path) {
  if (path.empty() || path == "-" || fs::path(path).is_absolute()) return path;
  return (fs::path(base) / path).string();
}

bool enterFolder(const std::string& dir) {
  std::error_code ec;
  fs::current_path(dir, ec);
  return !ec;
}

// The frame loop being run (for the reports and --watch), or null.
loop::FrameLoop* g_loop = nullptr;
diagnostics::DataWatch* g_watch = nullptr;
long g_firstChart = -1;  // --chart, or -1
DataWatchScan g_watchScan;

const LmPlayer* currentPlayer() { return g_loop && g_loop->machine() ? g_loop->machine()->player() : nullptr; }

// Starts the story at `chart` at once (SKIP and START as if the INI said so).
void startAtChart(long chart) {
  clearIniOverrides();
  if (chart < 0) return;
  setIniOverride("SKIP", 1);
  setIniOverride("START", static_cast<int>(chart));
}

// With --watch, after each tick: true when the data changed, with the chart
// that was playing in `chart` (-1 when the story was not playing yet).
bool dataChanged(loop::FrameLoop& loop, long& chart) {
  if (!g_watch || loop.quitPosted() || !g_watch->poll(loop.steps())) return false;
  const LmPlayer* p = currentPlayer();
  chart = p && p->phase == kSceneGame && p->game ? p->game->chart : -1;
  return true;
}

// After the old loop closed: the next one starts afresh at `chart`, or as the
// run started when the story was not playing yet.
void prepareRestart(long chart) {
  startAtChart(chart >= 0 ? chart : g_firstChart);
  fileUtilsReset();
  Font::unload();
  Game::resetStepState();
  LmPlayer::resetSceneStatics();
  if (g_watch) g_watch->restarted();
  if (chart >= 0) std::fprintf(stderr, "lmplayer: the story's files changed; starting again at chart %ld\n", chart);
  else std::fprintf(stderr, "lmplayer: the story's files changed; starting again\n");
}

// Ticks the loop until it quits; a stop request after the step limit closes
// it. With --watch, a change of the data closes it too and returns true: the
// caller starts a new loop.
template <class Advance>
bool runLoop(loop::FrameLoop& loop, Advance advance) {
  g_loop = &loop;
  loop.create();
  long chart = -1;
  bool restart = false;
  while (!loop.quitPosted()) {
    advance();
    loop.tick();
    if (loop.stopRequested()) {
      loop.close();
    } else if (dataChanged(loop, chart)) {
      restart = true;
      loop.close();
    }
  }
  g_loop = nullptr;
  if (restart) prepareRestart(chart);
  return restart;
}

// Puts the player's layer in front of the loop's scene machine and scripted input.
void wire(loop::FrameLoop& loop, ui::PlayerLayer& layer, Session& session) {
  loop.setMachineFactory([&layer] { return layer.makeMachine(); });
  session.attach(loop);
  session.setInputTarget(&layer);
}

int runHeadless(const Options& options, Session& session, ui::Environment env) {
  platform::VirtualClock clock(0);
  platform::HeadlessAudio audio(options.audioOut);
  platform::setAudioBackend(&audio);
  platform::setPresenter(nullptr);
  VideoRun video(options, clock, true);
  if (!video.ok()) {
    platform::setAudioBackend(nullptr);
    return 1;
  }
  video.tapAudio();
  session.setExtraHooks(video.hooks());
  loop::FrameLoop* running = nullptr;
  env.quit = [&running] {
    if (running) running->requestStop();
  };
  // In virtual time a waiting moment also records where the step deadline
  // and the audio clock stand, so a restored moment goes on exactly.
  env.capturePhase = [&running, &clock, &audio] {
    save::LoopPhase p;
    if (!running) return p;
    const uint32_t now = clock.now(), deadline = running->deadline();
    const int32_t ahead = static_cast<int32_t>(deadline - now);
    // The tick that will run the next step: this one again while steps are owed.
    const uint32_t tick =
        ahead < 0 ? now : now + loop::FrameLoop::kTimerInterval * (static_cast<uint32_t>(ahead) / loop::FrameLoop::kTimerInterval + 1);
    p.valid = true;
    p.deadlineAhead = deadline - tick;
    p.audioElapsed = audio.clockPhase() + (tick - now);
    return p;
  };
  env.restorePhase = [&running, &clock, &audio](const save::LoopPhase& p) {
    if (!running) return;
    running->setDeadline(clock.now() + p.deadlineAhead);
    audio.setClockPhase(p.audioElapsed);
    openCheck();  // the restore's own loading is no step's
  };
  ui::PlayerLayer layer(std::move(env));
  for (bool again = true; again;) {
    loop::FrameLoop loop(clock);
    running = &loop;
    wire(loop, layer, session);
    // Time moves only between ticks, so loading takes no virtual time.
    again = runLoop(loop, [&] {
      clock.advance(loop::FrameLoop::kTimerInterval);
      audio.advanceTo(clock.now());
    });
    running = nullptr;
  }
  const bool videoDone = video.finish();
  platform::setAudioBackend(nullptr);
  if (!audio.finish()) {
    std::fprintf(stderr, "lmplayer: --audio-out: %s\n", audio.wavError().c_str());
    return 1;
  }
  return videoDone ? 0 : 1;
}

int runWindow(const Options& options, Session& session, const platform::HostFactory& openWindow, const std::string& startDir,
              ui::Environment player) {
  if (!openWindow) {
    std::fprintf(stderr, "lmplayer: no window platform in this build; use --headless\n");
    return 1;
  }
  platform::HostSettings settings;
  settings.scale = options.scale > 0 ? options.scale : player.settings.scale;
  settings.fullscreen = player.settings.fullscreen;
  settings.shotDir = !options.shotDir.empty() ? absoluteFrom(startDir, options.shotDir) : platform::defaultShotDir();
  if (settings.shotDir.empty()) settings.shotDir = startDir;  // no home: the folder it started in
  std::string error;
  std::unique_ptr<platform::Host> host = openWindow(settings, error);
  if (!host) {
    std::fprintf(stderr, "lmplayer: %s\n", error.c_str());
    return 1;
  }
  VideoRun video(options, host->clock(), false);
  if (!video.ok()) return 1;
  video.tapAudio();
  session.setExtraHooks(video.hooks());
  {
    WindowRun windowRun(session, *host, std::move(player));
    while (windowRun.tick()) {
    }
  }
  return video.finish() ? 0 : 1;
}

// Every file the run will write, named by its option.
std::vector<platform::NamedOutput> outputsOf(const Options& options) {
  std::vector<platform::NamedOutput> out;
  if (!options.trace.empty()) out.push_back({"--trace", options.trace});
  if (!options.audioOut.empty()) out.push_back({"--audio-out", options.audioOut});
  if (!options.frameHashes.empty()) out.push_back({"--frame-hashes", options.frameHashes});
  if (!options.eventLog.empty()) out.push_back({"--event-log", options.eventLog});
  if (!options.stepTimes.empty()) out.push_back({"--step-times", options.stepTimes});
  if (!options.videoOut.empty()) out.push_back({"--video-out", options.videoOut});
  if (!options.inputLog.empty()) out.push_back({"--input-log", options.inputLog});
  for (const ShotRequest& shot : options.shots) out.push_back({"--shot " + std::to_string(shot.step), shot.file});
  return out;
}

// Where the player keeps its settings, saves and read marks. Headless runs
// keep none unless told (their results then depend on nothing outside).
ui::Environment playerEnvironment(const Options& options, bool haveData) {
  ui::Environment env;
  env.settingsPath = !options.config.empty() ? options.config
                     : options.headless      ? ""
                                             : settings::defaultSettingsPath();
  env.settings = settings::loadSettings(env.settingsPath);
  env.continueAtStart = options.continueRun;
  // The story id names saves and read marks; a run that keeps none never reads for it.
  const bool keepsFiles = !options.saveDir.empty() || !options.headless;
  if (haveData && keepsFiles) env.storyId = save::currentStoryId();
  if (!options.saveDir.empty()) env.saveDir = options.saveDir;
  else if (!options.headless && haveData) env.saveDir = save::defaultSaveDir(env.storyId);
  // Temporaries a killed run left in the folders this run keeps files in; an
  // hour is far longer than any write of ours takes.
  constexpr long long kStaleSeconds = 3600;
  platform::removeStaleTemporaries(env.saveDir, kStaleSeconds);
  platform::removeStaleTemporaries(fs::path(env.settingsPath).parent_path().string(), kStaleSeconds);
  if (options.watch && haveData && keepsFiles) {
    // Changed files make another story; its saves go to its own default folder.
    const bool followId = options.saveDir.empty() && !options.headless;
    env.identify = [followId](uint64_t& storyId, std::string& saveDir) {
      storyId = save::currentStoryId();
      if (followId) saveDir = save::defaultSaveDir(storyId);
    };
  }
  return env;
}

}  // namespace

std::string executableDir() {
  const std::string exe = platform::executablePath();
  return exe.empty() ? "" : fs::path(exe).parent_path().string();
}

std::string defaultDataDir(const std::string& exeDir) {
  std::error_code ec;
  if (fs::exists("kirune.ini", ec)) return ".";
  if (exeDir.empty()) return "";
  // Beside the program in a build tree; ../share/lmplayer/demo once installed,
  // wherever the prefix is.
  for (const fs::path& demo : {fs::path(exeDir) / "demo-data", fs::path(exeDir) / ".." / kInstalledDemoDir}) {
    if (fs::is_regular_file(demo / "kirune.ini", ec)) return demo.lexically_normal().string();
  }
  return "";
}

// Window messages into the frame loop, as the window procedure routes them;
// keys and the mouse pass the player's own layer first.
class WindowRun::LoopEvents : public platform::HostEvents {
 public:
  LoopEvents(loop::FrameLoop& loop, Session& session, loop::WakePlan& wake, ui::PlayerLayer& layer)
      : loop_(loop), session_(session), wake_(wake), layer_(layer) {}
  void key(unsigned vk, bool down) override {
    wake_.input();
    session_.windowKey(vk, down);
    layer_.key(vk, down);
  }
  void pointer(const platform::PointerEvent& e) override {
    wake_.input();
    session_.windowPointer(e);
    layer_.pointer(e);
  }
  void paint() override {
    wake_.input();
    session_.windowEvent("paint");
    loop_.paint();
  }
  void close() override {
    session_.windowEvent("close");
    layer_.windowClosing();
    loop_.close();
  }
  void windowAction(const std::string& what) override {
    wake_.input();
    session_.windowEvent(what);
    layer_.windowAction(what);
  }

 private:
  loop::FrameLoop& loop_;
  Session& session_;
  loop::WakePlan& wake_;
  ui::PlayerLayer& layer_;
};

WindowRun::WindowRun(Session& session, platform::Host& host, ui::Environment player) : session_(session), host_(host) {
  player.quit = [this] {
    if (loop_) loop_->requestStop();
  };
  if (host.windowModes()) {
    player.applyWindow = [&host](int scale, bool fullscreen) { host.setWindowMode(scale, fullscreen); };
    player.isFullscreen = [&host] { return host.fullscreen(); };
    player.automaticScale = [&host] { return host.automaticScale(); };
  }
  layer_ = std::make_unique<ui::PlayerLayer>(std::move(player));
  start();
}

void WindowRun::start() {
  events_.reset();
  loop_ = std::make_unique<loop::FrameLoop>(host_.clock());
  events_ = std::make_unique<LoopEvents>(*loop_, session_, wake_, *layer_);
  wake_ = loop::WakePlan();
  wire(*loop_, *layer_, session_);
  g_loop = loop_.get();
  loop_->create();
}

WindowRun::~WindowRun() {
  if (g_loop == loop_.get()) g_loop = nullptr;
  // The loop's machine goes before the layer it reports to.
  events_.reset();
  loop_.reset();
}

bool WindowRun::tick() {
  if (loop_->quitPosted()) return false;
  host_.waitUntil(wake_.wakeAt(loop_->deadline()), *events_);
  const long draws = loop_->draws(), presented = loop_->presenting().presented();
  loop_->tick();
  wake_.afterTick(loop_->draws() != draws, loop_->presenting().presented() != presented);
  long chart = -1;
  if (loop_->stopRequested()) {
    if (platform::stopSignal()) layer_->windowClosing();  // a stop signal closes the window
    loop_->close();
  } else if (dataChanged(*loop_, chart)) {
    loop_->close();
    g_loop = nullptr;
    prepareRestart(chart);
    start();
  }
  return !loop_->quitPosted();
}

void setDataWatchScan(DataWatchScan scan) { g_watchScan = std::move(scan); }

RunSetup::RunSetup() = default;
RunSetup::~RunSetup() = default;

bool prepareRun(const Options& given, RunSetup& setup) {
  std::error_code ec;
  setup.startDir = fs::current_path(ec).string();
  const std::string& startDir = setup.startDir;
  Options& options = setup.options;
  options = given;
  options.trace = absoluteFrom(startDir, options.trace);
  options.eventLog = absoluteFrom(startDir, options.eventLog);
  options.stepTimes = absoluteFrom(startDir, options.stepTimes);
  options.audioOut = absoluteFrom(startDir, options.audioOut);
  options.frameHashes = absoluteFrom(startDir, options.frameHashes);
  options.videoOut = absoluteFrom(startDir, options.videoOut);
  options.inputLog = absoluteFrom(startDir, options.inputLog);
  options.config = absoluteFrom(startDir, options.config);
  options.saveDir = absoluteFrom(startDir, options.saveDir);
  for (ShotRequest& shot : options.shots) shot.file = absoluteFrom(startDir, shot.file);
  // A wrong output is reported before the run, not after it.
  std::string outputError;
  if (!platform::checkOutputPaths(outputsOf(options), outputError)) {
    std::fprintf(stderr, "lmplayer: %s\n", outputError.c_str());
    setup.exitCode = 1;
    return false;
  }
  if (!options.videoOut.empty() && !video::checkVideoOutput(options.videoOut, outputError)) {
    std::fprintf(stderr, "lmplayer: %s\n", outputError.c_str());
    setup.exitCode = 1;
    return false;
  }

  // Settings are written back at the end: a name that can only be a stream
  // or that is not a file would lose them, or wait for a reader for good.
  if (!options.config.empty() && !platform::checkKeptOutput(options.config, outputError)) {
    std::fprintf(stderr, "lmplayer: --config: %s\n", outputError.c_str());
    setup.exitCode = 1;
    return false;
  }

  std::string dataDir = options.dataDir.empty() ? defaultDataDir(executableDir()) : options.dataDir;
  if (dataDir.empty()) {
    std::fprintf(stderr, "lmplayer: no kirune.ini here and no demo data beside the program; running without data\n");
  } else if (!enterFolder(dataDir)) {
    std::fprintf(stderr, "lmplayer: cannot enter the data directory '%s'\n", dataDir.c_str());
    setup.exitCode = 1;
    return false;
  }

  std::string iniError;
  if (!options.dataDir.empty() && !platform::isReadableKeptFile("kirune.ini", iniError)) {
    std::fprintf(stderr, "lmplayer: '%s' holds no readable kirune.ini: %s\n", dataDir.c_str(),
                 iniError.empty() ? "it is not a story's data directory" : iniError.c_str());
    setup.exitCode = 1;
    return false;
  }
  if (options.chart >= 0 && options.chart >= iniInt("MAX", 0)) {
    std::fprintf(stderr, "lmplayer: --chart %ld: the story has charts 0 to %d\n", options.chart, iniInt("MAX", 0) - 1);
    setup.exitCode = 1;
    return false;
  }
  g_firstChart = options.chart;
  startAtChart(options.chart);
  setup.report = std::make_unique<diagnostics::PlayerReport>(fs::current_path(ec).string(), &currentPlayer);
  if (options.watch) {
    DataWatchScan scan = g_watchScan ? g_watchScan : [] { return diagnostics::DataWatch::scanDirectory("."); };
    setup.watch = std::make_unique<diagnostics::DataWatch>(scan);
  }
  g_watch = setup.watch.get();

  setup.player = playerEnvironment(options, !dataDir.empty());
  // No output may overwrite what the run reads: the story's files, its saves and settings.
  std::vector<std::string> inputFiles = runInputFiles(storyFolders(), setup.player.saveDir);
  inputFiles.push_back(setup.player.settingsPath);
  if (!platform::checkOutputsSpareInputs(outputsOf(options), {}, inputFiles, outputError)) {
    std::fprintf(stderr, "lmplayer: %s\n", outputError.c_str());
    setup.exitCode = 1;
    return false;
  }
  setup.session = std::make_unique<Session>(options);
  if (!setup.session->ok()) {
    std::fprintf(stderr, "lmplayer: %s\n", setup.session->error().c_str());
    setup.exitCode = 1;
    return false;
  }
  return true;
}

int run(const Options& given, const platform::HostFactory& openWindow) {
  // SIGINT, SIGTERM and SIGHUP end the run at the end of a step, outputs complete.
  platform::installStopSignals();
  RunSetup setup;
  if (!prepareRun(given, setup)) return setup.exitCode;
  const Options& options = setup.options;
  Session& session = *setup.session;
  int code = options.headless ? runHeadless(options, session, std::move(setup.player))
                              : runWindow(options, session, openWindow, setup.startDir, std::move(setup.player));
  if (!session.finish() && code == 0) code = 1;
  if (code == 0 && session.outputFailed()) code = 1;
  if (const int sig = platform::stopSignal()) code = 128 + sig;
  g_watch = nullptr;
  clearIniOverrides();
  return code;
}

int readCommandLine(int argc, char** argv, Options& options) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  std::string error;
  if (!parseOptions(args, options, error)) {
    std::fprintf(stderr, "lmplayer: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(usageText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("lmplayer %s\n", kVersion);
    return 0;
  }
  return -1;
}

int runMain(int argc, char** argv, const platform::HostFactory& openWindow) {
  Options options;
  const int code = readCommandLine(argc, argv, options);
  return code >= 0 ? code : run(options, openWindow);
}

}  // namespace app
