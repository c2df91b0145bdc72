#pragma once
// Records a run as a video file through the ffmpeg program: one frame per
// step at 62.5 frames a second, scaled up with square pixels, and the sound
// the run played laid against the same steps. The frames are encoded while
// the run goes (first pass, into a scratch file); at the end the sound is
// added and the file is put in place whole (second pass).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/Presenter.h"
#include "video/AudioTap.h"
#include "video/RenderProgress.h"
#include "video/SoundTrack.h"
#include "video/VideoFormat.h"

namespace platform {
class Clock;
}

namespace video {

struct VideoRequest {
  std::string path;
  int scale = 3;             // each frame pixel becomes scale x scale
  uint32_t toleranceMs = 8;  // sound-to-step drift allowed before it is mended
  long totalSteps = 0;       // for the progress line; 0: none
};

// Checked before the run: a known file ending and the ffmpeg program. False
// with a reason (what to install when ffmpeg is missing).
bool checkVideoOutput(const std::string& path, std::string& error);

class VideoRecorder {
 public:
  explicit VideoRecorder(platform::Clock& clock);
  ~VideoRecorder();
  VideoRecorder(const VideoRecorder&) = delete;
  VideoRecorder& operator=(const VideoRecorder&) = delete;

  // Prepares the recording; false with a reason.
  bool open(const VideoRequest& request, std::string& error);
  // The back end to install in place of `inner` so the sound is recorded.
  platform::AudioBackend& tapAudio(platform::AudioBackend& inner);
  // After each step.
  void step(long step);
  // After each draw: the frame stands for every step up to `lastStep`.
  void frame(long lastStep, const platform::Frame& frame);
  // Completes the file; false with a reason (ffmpeg's last lines and exit status).
  bool finish(std::string& error);

  long framesWritten() const { return frames_; }
  const SoundTrack& track() const { return track_; }

 private:
  bool startEncoder(int width, int height);
  bool writeFrames(long count);
  void soundStarted();
  void collectSound();
  std::string ffmpegFailure(const char* pass, int status) const;

  platform::Clock& clock_;
  VideoRequest request_;
  const VideoFormat* format_ = nullptr;
  std::string ffmpeg_;
  std::string folder_;  // where the scratch files go
  platform::ScratchFile pictures_, sound_, messages_;
  platform::ChildProcess encoder_;
  SoundTrack track_;
  std::unique_ptr<AudioTap> tap_;
  std::optional<RenderProgress> progress_;
  std::vector<unsigned char> scaled_;  // the last frame, scaled, top row first
  int width_ = 0, height_ = 0;
  long steps_ = 0;
  long frames_ = 0;
  bool started_ = false;
  bool failed_ = false;
  std::string failure_;
};

}  // namespace video
