#pragma once
// The program: command line, data directory, then a window or headless run.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "loop/FrameLoop.h"
#include "platform/Host.h"
#include "app/Options.h"
#include "app/Session.h"
#include "loop/WakePlan.h"
#include "ui/PlayerLayer.h"

namespace diagnostics {
class PlayerReport;
class DataWatch;
}  // namespace diagnostics

namespace app {

// The whole program over argv; returns the exit code (2 for a bad command line).
int runMain(int argc, char** argv, const platform::HostFactory& openWindow);

// Parses argv into `options` and answers --help and --version. Returns -1
// when the program goes on, else its exit code.
int readCommandLine(int argc, char** argv, Options& options);

// Runs parsed options (help and version already handled). Relative output
// paths are taken from the directory the program started in.
int run(const Options& options, const platform::HostFactory& openWindow);

// What a run sets up before its loop: the options with output paths made
// absolute, the data directory entered, the session opened.
struct RunSetup {
  RunSetup();
  ~RunSetup();
  Options options;
  std::string startDir;
  std::unique_ptr<diagnostics::PlayerReport> report;  // what the player says about its data
  std::unique_ptr<diagnostics::DataWatch> watch;      // --watch
  std::unique_ptr<Session> session;
  ui::Environment player;  // settings, saves and read marks of the player's own layer
  int exitCode = 0;  // when prepareRun fails
};

// Prepares a run of `options`; false (with a message on stderr and the exit
// code in setup.exitCode) when the program ends here.
bool prepareRun(const Options& options, RunSetup& setup);

// A run in a window: the frame loop started on the host's clock, the host's
// events routed into it, ticked by its owner. The program loops on tick();
// a page ticks it from its animation frames.
class WindowRun {
 public:
  // `player`: where the player's own layer keeps settings and saves (none by default).
  WindowRun(Session& session, platform::Host& host, ui::Environment player = {});
  ~WindowRun();
  WindowRun(const WindowRun&) = delete;
  WindowRun& operator=(const WindowRun&) = delete;

  // Sleeps until the next step is due or the host has events (see WakePlan),
  // delivering them, then runs the steps that are due; after the step limit it
  // closes; with --watch, a change of the data starts a new loop. False once
  // the loop quit.
  bool tick();
  loop::FrameLoop& loop() { return *loop_; }
  // Writes the player's changed settings and read marks now (a page that is
  // going away never ends its run).
  void storeChanges() { layer_->storeChanges(); }
  const loop::WakePlan& wakePlan() const { return wake_; }

 private:
  class LoopEvents;
  void start();
  Session& session_;
  platform::Host& host_;
  loop::WakePlan wake_;
  std::unique_ptr<ui::PlayerLayer> layer_;  // outlives each loop, whose machine it wraps
  std::unique_ptr<loop::FrameLoop> loop_;
  std::unique_ptr<LoopEvents> events_;
};

// Test hook: what --watch polls instead of the story's files in the data
// directory (empty: the files).
using DataWatchScan = std::function<std::string()>;
void setDataWatchScan(DataWatchScan scan);

// Where an installed demo lives, relative to the install prefix.
constexpr const char* kInstalledDemoDir = "share/lmplayer/demo";

// The data directory when none is given: "." when it holds kirune.ini, else
// "demo-data" beside the executable, else the installed demo in
// <exeDir>/../share/lmplayer/demo (empty when neither holds a kirune.ini).
std::string defaultDataDir(const std::string& exeDir);

// The directory of the running executable, or empty.
std::string executableDir();

}  // namespace app
