#include "video/VideoRecorder.h"

#include <cstdio>
#include <filesystem>

#include "platform/Clock.h"
#include "platform/OutputFile.h"

namespace video {

namespace {

namespace fs = std::filesystem;

constexpr const char* kInstallHint = "--video-out needs the ffmpeg program (on Debian: apt install ffmpeg)";

// Folder for the scratch files: beside a file being replaced (same disk);
// the temporary folder for a stream.
std::string scratchFolder(const std::string& path) {
  std::string ignored;
  std::error_code ec;
  if (platform::checkOutputPath(path, ignored) == platform::OutputKind::Replace) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? "." : parent.string();
  }
  const fs::path tmp = fs::temp_directory_path(ec);
  return ec ? "/tmp" : tmp.string();
}

std::vector<std::string> commonArgs(const std::string& ffmpeg) {
  return {ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "warning"};
}

void append(std::vector<std::string>& to, const std::vector<std::string>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

}  // namespace

bool checkVideoOutput(const std::string& path, std::string& error) {
  if (!videoFormatFor(path)) {
    error = "--video-out: '" + path + "': the name must end in " + videoEndings();
    return false;
  }
  if (platform::findProgram("ffmpeg").empty()) {
    error = kInstallHint;
    return false;
  }
  return true;
}

VideoRecorder::VideoRecorder(platform::Clock& clock)
    : clock_(clock), track_([this](const char* b, size_t n) { return sound_.write(b, n); }, 8) {}

VideoRecorder::~VideoRecorder() = default;

bool VideoRecorder::open(const VideoRequest& request, std::string& error) {
  request_ = request;
  format_ = videoFormatFor(request.path);
  ffmpeg_ = platform::findProgram("ffmpeg");
  if (!format_ || ffmpeg_.empty()) return checkVideoOutput(request.path, error);
  track_ = SoundTrack([this](const char* b, size_t n) { return sound_.write(b, n); }, request.toleranceMs);
  folder_ = scratchFolder(request.path);
  if (!pictures_.create(folder_, error) || !sound_.create(folder_, error) || !messages_.create(folder_, error)) {
    error = "--video-out: " + error;
    return false;
  }
  if (request.totalSteps > 0 && platform::isTerminal(2)) progress_.emplace(stderr, request.totalSteps);
  return true;
}

platform::AudioBackend& VideoRecorder::tapAudio(platform::AudioBackend& inner) {
  tap_ = std::make_unique<AudioTap>(inner, [this] { soundStarted(); });
  return *tap_;
}

void VideoRecorder::soundStarted() {
  collectSound();
  track_.started(clock_.now());
}

void VideoRecorder::collectSound() {
  if (tap_) tap_->collect([this](const char* b, size_t n) { track_.samples(b, n); });
}

void VideoRecorder::step(long step) {
  collectSound();
  steps_ = step;
  track_.step(step, clock_.now());
  if (progress_) progress_->update(step);
}

bool VideoRecorder::startEncoder(int width, int height) {
  width_ = width;
  height_ = height;
  std::vector<std::string> argv = commonArgs(ffmpeg_);
  const int s = request_.scale;
  append(argv, {"-f", "rawvideo", "-pix_fmt", "bgr24", "-video_size",
                std::to_string(width * s) + "x" + std::to_string(height * s), "-framerate", "125/2", "-i", "pipe:0",
                "-an"});
  append(argv, format_->pictureCodec);
  append(argv, {"-f", "matroska", "-y", platform::descriptorPath(3)});
  platform::ChildLaunch launch;
  launch.argv = argv;
  launch.pipeInput = true;
  launch.passFds = {pictures_.fd()};
  launch.errorFd = messages_.fd();
  std::string why;
  if (!encoder_.start(launch, why)) {
    failed_ = true;
    failure_ = why;
    return false;
  }
  started_ = true;
  return true;
}

void VideoRecorder::frame(long lastStep, const platform::Frame& frame) {
  if (failed_ || lastStep <= frames_ || frame.width <= 0 || frame.height <= 0) return;
  if (!started_ && !startEncoder(frame.width, frame.height)) return;
  if (frame.width != width_ || frame.height != height_) return;  // the device never changes size
  // Nearest neighbour: each pixel scale x scale, rows top first, B G R.
  const int s = request_.scale;
  const size_t outRow = static_cast<size_t>(width_) * s * 3;
  scaled_.resize(outRow * static_cast<size_t>(height_) * s);
  for (int y = 0; y < height_; ++y) {
    const unsigned char* src = frame.pixels + static_cast<ptrdiff_t>(height_ - 1 - y) * frame.stride;
    unsigned char* dst = scaled_.data() + outRow * static_cast<size_t>(y) * s;
    unsigned char* out = dst;
    for (int x = 0; x < width_; ++x, src += 3)
      for (int k = 0; k < s; ++k, out += 3) {
        out[0] = src[0];
        out[1] = src[1];
        out[2] = src[2];
      }
    for (int k = 1; k < s; ++k) std::copy(dst, dst + outRow, dst + outRow * k);
  }
  writeFrames(lastStep - frames_);
}

bool VideoRecorder::writeFrames(long count) {
  for (; count > 0 && !failed_; --count) {
    if (!encoder_.write(scaled_.data(), scaled_.size())) {
      failed_ = true;
      failure_ = "ffmpeg stopped taking frames";
      return false;
    }
    ++frames_;
  }
  return !failed_;
}

std::string VideoRecorder::ffmpegFailure(const char* pass, int status) const {
  std::string text = "--video-out: ffmpeg (" + std::string(pass) + ") failed with exit status " +
                     std::to_string(status);
  // Its last lines, which say why.
  std::string tail = messages_.tail(2000);
  size_t cut = tail.size();
  for (int lines = 0; lines < 6 && cut > 0;) {
    cut = tail.rfind('\n', cut - 1);
    if (cut == std::string::npos) {
      cut = 0;
      break;
    }
    if (cut + 1 < tail.size()) ++lines;
  }
  tail = tail.substr(cut == 0 ? 0 : cut + 1);
  while (!tail.empty() && tail.back() == '\n') tail.pop_back();
  if (!tail.empty()) text += ":\n" + tail;
  return text;
}

bool VideoRecorder::finish(std::string& error) {
  if (progress_) progress_->done();
  collectSound();
  // The last frame is kept for any step after it.
  if (started_ && frames_ < steps_) writeFrames(steps_ - frames_);
  if (!track_.finish(frames_) && !failed_) {
    failed_ = true;
    failure_ = "cannot write the sound's scratch file in '" + folder_ + "'";
  }
  const int picturesStatus = started_ ? encoder_.finish() : -1;
  if (!started_) {
    error = failed_ ? "--video-out: " + failure_ : "--video-out: the run drew no frame; no video written";
    return false;
  }
  if (picturesStatus != 0) {
    error = ffmpegFailure("pictures", picturesStatus);
    return false;
  }
  if (failed_) {
    error = "--video-out: " + failure_;
    return false;
  }
  platform::OutputFile out;
  std::string why;
  if (!out.open(request_.path, why)) {
    error = "--video-out: " + why;
    return false;
  }
  const bool toFile = out.replacing();
  std::vector<std::string> argv = commonArgs(ffmpeg_);
  append(argv, {"-i", platform::descriptorPath(3), "-f", "s16le", "-ar", "44100", "-ac", "2", "-i",
                platform::descriptorPath(4), "-map", "0:v:0", "-map", "1:a:0", "-c:v", "copy"});
  append(argv, format_->soundCodec);
  append(argv, toFile ? format_->fileFlags : format_->streamFlags);
  append(argv, {"-f", format_->muxer, "-y", toFile ? platform::descriptorPath(5) : "pipe:5"});
  platform::ChildLaunch launch;
  launch.argv = argv;
  launch.passFds = {pictures_.fd(), sound_.fd(), platform::descriptorOf(out.stream())};
  launch.errorFd = messages_.fd();
  platform::ChildProcess muxer;
  if (!muxer.start(launch, why)) {
    error = "--video-out: " + why;
    return false;
  }
  const int status = muxer.finish();
  if (status != 0) {
    error = ffmpegFailure("sound and container", status);
    return false;
  }
  if (!out.commit(why)) {
    error = "--video-out: " + why;
    return false;
  }
  return true;
}

}  // namespace video
