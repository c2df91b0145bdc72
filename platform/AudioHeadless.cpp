#include "platform/Audio.h"

#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr long kFramesPerBuffer = 2048;
constexpr long kRate = 44100;

}  // namespace

HeadlessAudio::HeadlessAudio(std::string wavPath) : wavPath_(std::move(wavPath)) {}

HeadlessAudio::~HeadlessAudio() { finish(); }

bool HeadlessAudio::supports(int sampleBytes, int channels, int freq) const {
  return sampleBytes == 2 && channels == 2 && freq == kRate;
}

bool HeadlessAudio::open(const WaveFormat& format, AudioDone done, void* instance) {
  if (open_ || format.formatTag != 1 || !supports(format.bitsPerSample / 8, format.channels, format.samplesPerSec))
    return false;
  if (!wavPath_.empty() && !wav_.isOpen() && !wavFailed_ && !wavDone_) {
    if (!wav_.open(wavPath_, kRate, 2, 16)) wavFailed_ = true;
  }
  open_ = true;
  paused_ = false;
  done_ = done;
  instance_ = instance;
  queue_.clear();
  startMs_ = now_;
  dueBase_ = 0;
  played_ = 0;
  return true;
}

void HeadlessAudio::pause() {
  if (!open_ || paused_) return;
  paused_ = true;
  dueBase_ = played_;
}

void HeadlessAudio::restart() {
  if (!open_ || !paused_) return;
  paused_ = false;
  startMs_ = now_;
}

bool HeadlessAudio::write(char* buffer, long length) {
  if (!open_ || !buffer || length <= 0) return false;
  queue_.emplace_back(buffer, length);
  return true;
}

void HeadlessAudio::reset() {
  if (!open_) return;
  paused_ = true;
  dueBase_ = played_;
  while (!queue_.empty()) {
    auto [buffer, length] = queue_.front();
    queue_.pop_front();
    if (done_) done_(this, instance_, buffer, length);
  }
  queue_.clear();  // whatever `done` queued again is dropped too
}

void HeadlessAudio::close() {
  open_ = false;
  paused_ = false;
  queue_.clear();
  done_ = nullptr;
  instance_ = nullptr;
}

void HeadlessAudio::advanceTo(uint32_t ms) {
  now_ = ms;
  if (!open_ || paused_ || ms < startMs_) return;
  // Buffers due = elapsed ms * 44100 / (2048 * 1000), counted from the start.
  const uint64_t due = dueBase_ + (static_cast<uint64_t>(ms - startMs_) * kRate) / (kFramesPerBuffer * 1000);
  while (open_ && !paused_ && played_ < due) playOne();
}

// Plays the head of the queue (silence when it ran dry) and hands it back.
void HeadlessAudio::playOne() {
  ++played_;
  if (queue_.empty()) {
    if (wav_.isOpen()) {
      static const std::vector<char> silence(kFramesPerBuffer * 4, 0);
      if (!wav_.write(silence.data(), silence.size())) wavFailed_ = true;
    }
    return;
  }
  auto [buffer, length] = queue_.front();
  queue_.pop_front();
  if (wav_.isOpen() && !wav_.write(buffer, static_cast<size_t>(length))) wavFailed_ = true;
  if (done_) done_(this, instance_, buffer, length);
}

bool HeadlessAudio::finish() {
  // Nothing was ever played: the recording is an empty file.
  if (!wavPath_.empty() && !wav_.isOpen() && !wavFailed_ && !wavDone_) {
    if (!wav_.open(wavPath_, kRate, 2, 16)) wavFailed_ = true;
  }
  wavDone_ = true;
  if (wav_.isOpen()) {
    if (!wav_.close()) wavFailed_ = true;
  }
  return !wavFailed_;
}

}  // namespace platform
