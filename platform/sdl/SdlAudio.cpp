#include "platform/sdl/SdlAudio.h"

#include "platform/sdl/QuietStderr.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>

namespace {

constexpr int kRate = 44100;

void sayNoSound(const char* why) {
  std::fprintf(stderr, "lmplayer: no audio output (%s); playing without sound\n", why && *why ? why : "no device");
}
constexpr int kFrames = 2048;

// Plays the device's buffers in the order they were written. SDL pulls one
// buffer per callback; the buffer is then handed back for refilling on the
// same audio thread, so it rejoins the end of the queue.
class SdlAudio : public platform::AudioBackend {
 public:
  ~SdlAudio() override { close(); }

  bool supports(int sampleBytes, int channels, int freq) const override {
    // SDL converts for the hardware; the stream itself is always this one.
    return sampleBytes == 2 && channels == 2 && freq == kRate;
  }

  bool open(const platform::WaveFormat& format, platform::AudioDone done, void* instance) override {
    if (device_ || format.formatTag != 1 || !supports(format.bitsPerSample / 8, format.channels, format.samplesPerSec))
      return false;
    platform::QuietStderr quiet;  // the audio libraries' own complaints stay off the terminal
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      quiet.restore();
      sayNoSound(SDL_GetError());
      return false;
    }
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16LSB;
    want.channels = 2;
    want.samples = kFrames;
    want.callback = &SdlAudio::pull;
    want.userdata = this;
    done_ = done;
    instance_ = instance;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    quiet.restore();
    if (!device_) {
      sayNoSound(SDL_GetError());
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      done_ = nullptr;
      instance_ = nullptr;
      return false;
    }
    return true;  // SDL opens the device paused
  }

  void pause() override {
    if (device_) SDL_PauseAudioDevice(device_, 1);
  }

  void restart() override {
    if (device_) SDL_PauseAudioDevice(device_, 0);
  }

  bool write(char* buffer, long length) override {
    if (!device_ || !buffer || length <= 0) return false;
    std::lock_guard<std::mutex> lock(queueLock_);
    queue_.emplace_back(buffer, length);
    return true;
  }

  void reset() override {
    if (!device_) return;
    // Pausing waits for a running callback, after which SDL calls none.
    SDL_PauseAudioDevice(device_, 1);
    std::deque<std::pair<char*, long>> handed;
    {
      std::lock_guard<std::mutex> lock(queueLock_);
      handed.swap(queue_);
    }
    for (auto& [buffer, length] : handed)
      if (done_) done_(this, instance_, buffer, length);
    std::lock_guard<std::mutex> lock(queueLock_);
    queue_.clear();
  }

  void close() override {
    if (!device_) return;
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::lock_guard<std::mutex> lock(queueLock_);
    queue_.clear();
    done_ = nullptr;
    instance_ = nullptr;
  }

 private:
  // SDL's audio thread: play the head of the queue, then hand it back.
  static void SDLCALL pull(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlAudio*>(userdata);
    std::pair<char*, long> head{nullptr, 0};
    {
      std::lock_guard<std::mutex> lock(self->queueLock_);
      if (!self->queue_.empty()) {
        head = self->queue_.front();
        self->queue_.pop_front();
      }
    }
    const long n = head.first ? (head.second < len ? head.second : len) : 0;
    if (n > 0) std::memcpy(stream, head.first, static_cast<size_t>(n));
    if (n < len) std::memset(stream + n, 0, static_cast<size_t>(len - n));
    if (head.first && self->done_) self->done_(self, self->instance_, head.first, head.second);
  }

  SDL_AudioDeviceID device_ = 0;
  platform::AudioDone done_ = nullptr;
  void* instance_ = nullptr;
  std::mutex queueLock_;
  std::deque<std::pair<char*, long>> queue_;
};

}  // namespace

std::unique_ptr<platform::AudioBackend> makeSdlAudio() { return std::make_unique<SdlAudio>(); }
