#include "platform/sdl/SdlAudio.h"

#include "platform/PlayQueue.h"
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
// buffer per callback; a buffer is handed back for refilling (on the same
// audio thread) at the pull after the one that copied it, once it has been
// played, so it rejoins the end of the queue as the device's own buffers do.
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
    queue_.write(buffer, length);
    return true;
  }

  void reset() override {
    if (!device_) return;
    // Pausing waits for a running callback, after which SDL calls none.
    SDL_PauseAudioDevice(device_, 1);
    for (auto& [buffer, length] : queue_.takeAll())
      if (done_) done_(this, instance_, buffer, length);
    queue_.clear();
  }

  void close() override {
    if (!device_) return;
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    queue_.clear();
    done_ = nullptr;
    instance_ = nullptr;
  }

 private:
  // SDL's audio thread: play the head of the queue, hand back the one played.
  static void SDLCALL pull(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlAudio*>(userdata);
    const platform::PlayQueue::Buffer played = self->queue_.pull(stream, len);
    if (played.first && self->done_) self->done_(self, self->instance_, played.first, played.second);
  }

  SDL_AudioDeviceID device_ = 0;
  platform::AudioDone done_ = nullptr;
  void* instance_ = nullptr;
  platform::PlayQueue queue_;
};

}  // namespace

std::unique_ptr<platform::AudioBackend> makeSdlAudio() { return std::make_unique<SdlAudio>(); }
