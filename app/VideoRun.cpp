#include "app/VideoRun.h"

#include <cstdio>

#include "graphics/graphicDevice.h"
#include "platform/Audio.h"

namespace app {

namespace {
// A window catches up in bursts of steps; only a larger drift is mended there.
constexpr uint32_t kHeadlessToleranceMs = 8;
constexpr uint32_t kWindowToleranceMs = 40;
}  // namespace

VideoRun::VideoRun(const Options& options, platform::Clock& clock, bool headless) {
  if (options.videoOut.empty()) return;
  recorder_ = std::make_unique<video::VideoRecorder>(clock);
  video::VideoRequest request;
  request.path = options.videoOut;
  request.scale = options.videoScale;
  request.toleranceMs = headless ? kHeadlessToleranceMs : kWindowToleranceMs;
  request.totalSteps = headless ? options.steps : 0;
  std::string error;
  if (!recorder_->open(request, error)) {
    std::fprintf(stderr, "lmplayer: %s\n", error.c_str());
    recorder_.reset();
    ok_ = false;
  }
}

VideoRun::~VideoRun() {
  if (inner_) platform::setAudioBackend(inner_);
}

void VideoRun::tapAudio() {
  if (!recorder_ || inner_) return;
  inner_ = platform::audioBackend();
  platform::setAudioBackend(&recorder_->tapAudio(*inner_));
}

loop::FrameHooks VideoRun::hooks() {
  loop::FrameHooks hooks;
  if (!recorder_) return hooks;
  video::VideoRecorder* r = recorder_.get();
  hooks.afterStep = [r](long step) { r->step(step); };
  hooks.afterDraw = [r](long lastStep, const ZegDevice& zeg) {
    r->frame(lastStep, platform::Frame{zeg.storage(), zeg.width, zeg.height, zeg.storageStride()});
  };
  return hooks;
}

bool VideoRun::finish() {
  if (inner_) platform::setAudioBackend(inner_);
  inner_ = nullptr;
  if (!recorder_) return ok_;
  std::string error;
  const bool done = recorder_->finish(error);
  if (!done) std::fprintf(stderr, "lmplayer: %s\n", error.c_str());
  recorder_.reset();
  return done;
}

}  // namespace app
