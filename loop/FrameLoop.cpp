#include "loop/FrameLoop.h"

#include "graphics/graphicDevice.h"
#include "platform/Clock.h"
#include "platform/ErrorLog.h"
#include "shell/FileUtils.h"
#include "shell/Key.h"
#include "loop/LmPlayerMachine.h"
#include "sound/zepl.h"

namespace loop {

FrameLoop::FrameLoop(platform::Clock& clock) : clock_(clock) {}

FrameLoop::~FrameLoop() { close(); }

void FrameLoop::postQuit(int code) {
  quitPosted_ = true;
  exitCode_ = code;
}

void FrameLoop::create() {
  errlog_.reset(platform::openErrorLog("error.log"));
  ZEPL_Init(nullptr);
  soundStarted_ = true;
  ZegDevice::hwnd = nullptr;
  zeg_ = makeDevice_ ? makeDevice_() : std::make_unique<ZegDevice>(320, 240, 24);
  if (!zeg_ || zeg_->checkError()) {
    zeg_.reset();
    postQuit(0);
    return;  // no timer; inTimer stays 1
  }
  machine_ = makeMachine_ ? makeMachine_() : makeLmPlayerMachine();
  KeyReset();
  count_ = clock_.now() + kFirstDelay;
  timerRunning_ = true;
  inTimer_ = 0;
}

void FrameLoop::tick() {
  if (!timerRunning_ || inTimer_) return;
  if (!later(clock_.now(), count_)) return;
  if (machine_) {
    inTimer_ = 1;
    // Run every step owed; a step that opened a file restarts the clock so
    // loading time is not made up with a burst of steps.
    while (!stopRequested_ && later(clock_.now(), count_)) {
      ++steps_;
      if (hooks_.beforeStep) hooks_.beforeStep(steps_);
      count_ += static_cast<uint32_t>(machine_->main());
      if (openCheck()) count_ = clock_.now();
      machine_->stepDone();
      if (hooks_.afterStep) hooks_.afterStep(steps_);
    }
    if (zeg_) machine_->draw(zeg_.get());
    ++draws_;
    if (hooks_.afterDraw && zeg_) hooks_.afterDraw(steps_, *zeg_);
    inTimer_ = 0;
  }
  if (zeg_) present_.ifChanged(*zeg_);
}

void FrameLoop::paint() {
  if (zeg_) present_.always(*zeg_);
}

void FrameLoop::close() {
  if (closed_) return;
  closed_ = true;
  timerRunning_ = false;
  machine_.reset();
  zeg_.reset();
  if (soundStarted_) ZEPL_Trash();
  soundStarted_ = false;
  errlog_.reset();
  postQuit(0);
}

}  // namespace loop
