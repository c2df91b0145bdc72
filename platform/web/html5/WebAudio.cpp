#include "platform/web/html5/WebAudio.h"

#include <emscripten.h>

#include <cstdint>

// clang-format off
// A context at the stream's own rate (the browser resamples for the device);
// the page resumes it on the first click or key press.
EM_JS(int, lm_audio_open, (int rate), {
  const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
  if (!Context) return 0;
  let ctx;
  try { ctx = new Context({ sampleRate: rate }); } catch (e) { return 0; }
  const a = { ctx: ctx, held: true, waiting: [], playing: [], next: 0 };
  // Each buffer starts where the previous one ends; once played it goes back
  // to the device.
  a.schedule = () => {
    while (a.waiting.length) {
      const w = a.waiting.shift();
      const src = ctx.createBufferSource();
      src.buffer = w.audio;
      src.connect(ctx.destination);
      const at = Math.max(a.next, ctx.currentTime);
      src.start(at);
      a.next = at + w.audio.duration;
      const entry = { src: src, ptr: w.ptr, length: w.length };
      src.onended = () => {
        const i = a.playing.indexOf(entry);
        if (i >= 0) a.playing.splice(i, 1);
        Module._lm_web_audio_done(entry.ptr, entry.length);
      };
      a.playing.push(entry);
    }
  };
  Module.lmAudio = a;
  if (Module.onAudioOpen) Module.onAudioOpen(ctx);
  return 1;
});

// 16-bit little-endian stereo frames into the two float channels of an AudioBuffer.
EM_JS(void, lm_audio_write, (const char* ptr, int length), {
  const a = Module.lmAudio;
  const frames = length >> 2;
  const audio = a.ctx.createBuffer(2, frames, a.ctx.sampleRate);
  const left = audio.getChannelData(0), right = audio.getChannelData(1);
  const samples = HEAP16.subarray(ptr >> 1, (ptr >> 1) + frames * 2);
  for (let i = 0; i < frames; ++i) {
    left[i] = samples[2 * i] / 32768;
    right[i] = samples[2 * i + 1] / 32768;
  }
  a.waiting.push({ audio: audio, ptr: ptr, length: length });
  if (!a.held) a.schedule();
});

EM_JS(void, lm_audio_hold, (int held), {
  const a = Module.lmAudio;
  a.held = !!held;
  if (!a.held) a.schedule();
});

// Stops everything; the queued buffers' pointers, oldest first, go to `out`
// (room for `max`); returns how many.
EM_JS(int, lm_audio_take_all, (int* out, int max), {
  const a = Module.lmAudio;
  const all = a.playing.concat(a.waiting);
  a.playing = [];
  a.waiting = [];
  a.next = 0;
  let n = 0;
  for (const e of all) {
    if (e.src) { e.src.onended = null; try { e.src.stop(); } catch (err) {} }
    if (n < max) { HEAP32[(out >> 2) + 2 * n] = e.ptr; HEAP32[(out >> 2) + 2 * n + 1] = e.length; n++; }
  }
  return n;
});

EM_JS(void, lm_audio_close, (), {
  const a = Module.lmAudio;
  if (!a) return;
  a.ctx.close();
  Module.lmAudio = undefined;
});
// clang-format on

namespace platform {

namespace {

class WebAudio;
WebAudio* g_open = nullptr;

constexpr int kRate = 44100;

class WebAudio : public AudioBackend {
 public:
  ~WebAudio() override { close(); }

  bool supports(int sampleBytes, int channels, int freq) const override {
    // The browser converts for the device; the stream itself is always this one.
    return sampleBytes == 2 && channels == 2 && freq == kRate;
  }

  bool open(const WaveFormat& format, AudioDone done, void* instance) override {
    if (g_open || format.formatTag != 1 || !supports(format.bitsPerSample / 8, format.channels, format.samplesPerSec))
      return false;
    if (!lm_audio_open(kRate)) return false;
    done_ = done;
    instance_ = instance;
    g_open = this;
    return true;  // held until restart
  }

  void pause() override {
    if (g_open == this) lm_audio_hold(1);
  }

  void restart() override {
    if (g_open == this) lm_audio_hold(0);
  }

  bool write(char* buffer, long length) override {
    if (g_open != this || !buffer || length <= 0) return false;
    lm_audio_write(buffer, static_cast<int>(length));
    return true;
  }

  void reset() override {
    if (g_open != this) return;
    int taken[2 * 64];
    const int n = lm_audio_take_all(taken, 64);
    for (int i = 0; i < n; ++i)
      if (done_)
        done_(this, instance_, reinterpret_cast<char*>(static_cast<uintptr_t>(static_cast<uint32_t>(taken[2 * i]))),
              taken[2 * i + 1]);
  }

  void close() override {
    if (g_open != this) return;
    lm_audio_close();
    g_open = nullptr;
    done_ = nullptr;
    instance_ = nullptr;
  }

  void finished(char* buffer, long length) {
    if (done_) done_(this, instance_, buffer, length);
  }

 private:
  AudioDone done_ = nullptr;
  void* instance_ = nullptr;
};

}  // namespace

std::unique_ptr<AudioBackend> makeWebAudio() { return std::make_unique<WebAudio>(); }

}  // namespace platform

// A buffer has played: the device refills it and writes it again.
extern "C" EMSCRIPTEN_KEEPALIVE void lm_web_audio_done(char* buffer, long length) {
  if (platform::g_open) platform::g_open->finished(buffer, length);
}
