#pragma once
// --video-out in a run: the recorder opened from the options, its sound tap
// put in front of the installed audio back end, and the loop's steps and
// draws fed to it.
#include <memory>
#include <string>

#include "loop/FrameLoop.h"
#include "app/Options.h"
#include "video/VideoRecorder.h"

namespace platform {
class AudioBackend;
class Clock;
}  // namespace platform

namespace app {

class VideoRun {
 public:
  // Without --video-out nothing happens at all. A headless run is exact and
  // shows its progress on a terminal; a window run follows the real clock.
  VideoRun(const Options& options, platform::Clock& clock, bool headless);
  ~VideoRun();
  VideoRun(const VideoRun&) = delete;
  VideoRun& operator=(const VideoRun&) = delete;

  // False (with the reason printed) when the recording cannot start.
  bool ok() const { return ok_; }
  // Installs the sound tap over the current audio back end (before the loop starts).
  void tapAudio();
  // The observers to add to the session's.
  loop::FrameHooks hooks();
  // Completes the file and puts the audio back end back; false (reason printed) on failure.
  bool finish();

 private:
  std::unique_ptr<video::VideoRecorder> recorder_;
  platform::AudioBackend* inner_ = nullptr;
  bool ok_ = true;
};

}  // namespace app
