#pragma once
// Sits between the wave-output device and the real audio back end and copies
// every buffer the back end has played (on whatever thread plays it); the
// main thread collects the copies. Buffers handed back unplayed by a reset
// are not copied. Only 16-bit stereo 44100 Hz output is kept.
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/Audio.h"

namespace video {

class AudioTap : public platform::AudioBackend {
 public:
  // `inner`: the back end that plays (not owned). `started` is called on the
  // main thread when playback (re)starts.
  AudioTap(platform::AudioBackend& inner, std::function<void()> started);

  bool supports(int sampleBytes, int channels, int freq) const override;
  bool open(const platform::WaveFormat& format, platform::AudioDone done, void* instance) override;
  void pause() override;
  void restart() override;
  bool write(char* buffer, long length) override;
  void reset() override;
  void close() override;

  // Hands the bytes played since the last call to `take` (main thread).
  void collect(const std::function<void(const char*, size_t)>& take);

 private:
  static void played(platform::AudioBackend* out, void* instance, char* buffer, long length);

  platform::AudioBackend& inner_;
  std::function<void()> started_;
  platform::AudioDone done_ = nullptr;
  void* instance_ = nullptr;
  bool keep_ = false;  // the output's format is the one the track holds
  std::atomic<bool> resetting_{false};
  std::mutex lock_;
  std::vector<char> pending_;
};

}  // namespace video
