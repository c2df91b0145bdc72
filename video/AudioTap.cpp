#include "video/AudioTap.h"

namespace video {

AudioTap::AudioTap(platform::AudioBackend& inner, std::function<void()> started)
    : inner_(inner), started_(std::move(started)) {}

bool AudioTap::supports(int sampleBytes, int channels, int freq) const {
  return inner_.supports(sampleBytes, channels, freq);
}

bool AudioTap::open(const platform::WaveFormat& format, platform::AudioDone done, void* instance) {
  done_ = done;
  instance_ = instance;
  keep_ = format.formatTag == 1 && format.channels == 2 && format.bitsPerSample == 16 && format.samplesPerSec == 44100;
  return inner_.open(format, &AudioTap::played, this);
}

void AudioTap::pause() { inner_.pause(); }

void AudioTap::restart() {
  inner_.restart();
  if (started_) started_();
}

bool AudioTap::write(char* buffer, long length) { return inner_.write(buffer, length); }

void AudioTap::reset() {
  resetting_ = true;
  inner_.reset();
  resetting_ = false;
}

void AudioTap::close() {
  inner_.close();
  done_ = nullptr;
  instance_ = nullptr;
}

void AudioTap::collect(const std::function<void(const char*, size_t)>& take) {
  std::vector<char> got;
  {
    std::lock_guard<std::mutex> guard(lock_);
    got.swap(pending_);
  }
  if (!got.empty()) take(got.data(), got.size());
}

// The device refills a buffer as soon as it comes back, so it is copied first;
// the device then writes through the tap again.
void AudioTap::played(platform::AudioBackend*, void* instance, char* buffer, long length) {
  auto* self = static_cast<AudioTap*>(instance);
  if (self->keep_ && !self->resetting_ && buffer && length > 0) {
    std::lock_guard<std::mutex> guard(self->lock_);
    self->pending_.insert(self->pending_.end(), buffer, buffer + length);
  }
  if (self->done_) self->done_(self, self->instance_, buffer, length);
}

}  // namespace video
