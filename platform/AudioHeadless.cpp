#include "platform/Audio.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace platform {

namespace {

constexpr long kFramesPerBuffer = 2048;
constexpr long kRate = 44100;
// 20480 ms hold exactly 441 buffers.
constexpr uint32_t kPatternMs = 20480;

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
    if (!wav_.open(wavPath_, kRate, 2, 16, &wavError_)) wavFailed_ = true;
  }
  open_ = true;
  paused_ = false;
  done_ = done;
  instance_ = instance;
  queue_.clear();
  startMs_ = now_;
  phaseMs_ = 0;
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
  phaseMs_ = 0;
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
  const uint64_t due = dueBase_ + ((static_cast<uint64_t>(ms - startMs_) + phaseMs_) * kRate) / (kFramesPerBuffer * 1000);
  while (open_ && !paused_ && played_ < due) playOne();
}

uint32_t HeadlessAudio::clockPhase() const {
  return static_cast<uint32_t>((static_cast<uint64_t>(now_ - startMs_) + phaseMs_) % kPatternMs);
}

void HeadlessAudio::setClockPhase(uint32_t ms) {
  if (!open_ || paused_) return;
  phaseMs_ = ms % kPatternMs;
  startMs_ = now_;
  // Unsigned arithmetic: the base may wrap; the buffers due now stay those played.
  dueBase_ = played_ - (static_cast<uint64_t>(phaseMs_) * kRate) / (kFramesPerBuffer * 1000);
}

// Appends one played buffer to the recording; at the size limit the
// recording stops with a warning and what was recorded is kept.
void HeadlessAudio::record(const char* buffer, size_t length) {
  if (!wav_.isOpen() || wavStopped_) return;
  if (!wav_.write(buffer, length)) {
    wavFailed_ = true;
    return;
  }
  if (wav_.full()) {
    wavStopped_ = true;
    std::fprintf(stderr,
                 "lmplayer: warning: the recording reached the largest size a WAV file can hold (%llu bytes of "
                 "sound); recording stopped, the file keeps what was recorded\n",
                 static_cast<unsigned long long>(wav_.dataBytes()));
  }
}

// Plays the head of the queue (silence when it ran dry) and hands it back.
void HeadlessAudio::playOne() {
  ++played_;
  if (queue_.empty()) {
    static const std::vector<char> silence(kFramesPerBuffer * 4, 0);
    record(silence.data(), silence.size());
    return;
  }
  auto [buffer, length] = queue_.front();
  queue_.pop_front();
  record(buffer, static_cast<size_t>(length));
  if (done_) done_(this, instance_, buffer, length);
}

bool HeadlessAudio::finish() {
  // Nothing was ever played: the recording is an empty file.
  if (!wavPath_.empty() && !wav_.isOpen() && !wavFailed_ && !wavDone_) {
    if (!wav_.open(wavPath_, kRate, 2, 16, &wavError_)) wavFailed_ = true;
  }
  wavDone_ = true;
  if (wav_.isOpen()) {
    if (wavFailed_) wav_.abandon();
    else if (!wav_.close(&wavError_)) wavFailed_ = true;
  }
  if (wavFailed_ && wavError_.empty()) wavError_ = "cannot write '" + wavPath_ + "'";
  return !wavFailed_;
}

}  // namespace platform
