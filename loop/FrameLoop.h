#pragma once
// The fixed-step frame loop: start-up, the 5 ms timer tick that runs every
// logic step owed since the last one and then draws and presents once, the
// paint path and the ordered teardown. Platform-free: time comes from an
// injected Clock, timer ticks and window messages from the caller.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

#include "loop/PresentOnChange.h"
#include "loop/SceneMachine.h"

class ZegDevice;
namespace platform {
class Clock;
}

namespace loop {

// Observers of the loop; each may be empty. Steps count calls of the
// machine's main from 1.
struct FrameHooks {
  std::function<void(long step)> beforeStep;
  std::function<void(long step)> afterStep;
  // After the scene was drawn into the frame buffer, before presenting;
  // `lastStep` is the number of the latest step run.
  std::function<void(long lastStep, const ZegDevice& zeg)> afterDraw;
};

class FrameLoop {
 public:
  static constexpr uint32_t kTimerInterval = 5;  // ms between timer ticks
  static constexpr uint32_t kFirstDelay = 16;    // ms from creation to the first step

  using DeviceFactory = std::function<std::unique_ptr<ZegDevice>()>;
  using MachineFactory = std::function<std::unique_ptr<SceneMachine>()>;

  explicit FrameLoop(platform::Clock& clock);
  // Tears down what is still up (a failed start-up leaves the sound library running).
  ~FrameLoop();
  FrameLoop(const FrameLoop&) = delete;
  FrameLoop& operator=(const FrameLoop&) = delete;

  // Defaults: a 320 x 240 x 24 ZegDevice and an LmPlayer.
  void setDeviceFactory(DeviceFactory f) { makeDevice_ = std::move(f); }
  void setMachineFactory(MachineFactory f) { makeMachine_ = std::move(f); }
  void setHooks(FrameHooks h) { hooks_ = std::move(h); }

  // Window creation: error log, sound library, frame buffer, machine, keys,
  // first deadline, timer. A failed frame buffer posts quit 0 with no timer.
  void create();
  // One timer tick: runs the steps that are due, then draws once and presents
  // the frame when it differs from the last one presented.
  void tick();
  // Paint request: presents the frame buffer unchanged.
  void paint();
  // Close or destroy: ordered teardown, then quit 0. Runs once.
  void close();
  // Ends the running catch-up after the current step; the frame is still
  // drawn and presented. The caller then closes.
  void requestStop() { stopRequested_ = true; }

  bool stopRequested() const { return stopRequested_; }
  bool quitPosted() const { return quitPosted_; }
  int exitCode() const { return exitCode_; }
  bool timerRunning() const { return timerRunning_; }
  bool inFrame() const { return inTimer_ != 0; }
  uint32_t deadline() const { return count_; }
  // Moves the next step's deadline (a restored moment puts its own back).
  void setDeadline(uint32_t ms) { count_ = ms; }
  long steps() const { return steps_; }
  long draws() const { return draws_; }
  // Frames handed to the window, and drawn frames kept back as unchanged.
  const PresentOnChange& presenting() const { return present_; }
  SceneMachine* machine() { return machine_.get(); }
  ZegDevice* device() { return zeg_.get(); }

 private:
  // Wrap-safe "a is later than b" on the 32-bit tick counter.
  static bool later(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) > 0; }
  void postQuit(int code);

  platform::Clock& clock_;
  DeviceFactory makeDevice_;
  MachineFactory makeMachine_;
  FrameHooks hooks_;

  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, FileCloser> errlog_;
  std::unique_ptr<ZegDevice> zeg_;
  std::unique_ptr<SceneMachine> machine_;
  uint32_t count_ = 0;
  int inTimer_ = 1;
  bool timerRunning_ = false;
  bool soundStarted_ = false;
  bool closed_ = false;
  bool quitPosted_ = false;
  bool stopRequested_ = false;
  int exitCode_ = 0;
  long steps_ = 0;
  long draws_ = 0;
  PresentOnChange present_;
};

}  // namespace loop
