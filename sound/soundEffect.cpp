#include "sound/soundEffect.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the mixer writes host 16-bit words as little-endian");

namespace {

constexpr long kOutputRate = 44100;

bool playable(const signed char* wave, long sampleBytes, long channels, long freq) {
  return wave && sampleBytes >= 1 && (channels == 1 || channels == 2) && freq >= 1 && freq <= kOutputRate;
}

// Adds one sample to `count` frames: frame.left += left, frame.right += right,
// as 16-bit two's-complement sums that wrap around.
inline void addFrames(char* frame, long count, int left, int right) {
  const auto l = static_cast<uint16_t>(left);
  const auto r = static_cast<uint16_t>(right);
  for (long j = 0; j < count; ++j, frame += 4) {
    uint16_t w[2];
    std::memcpy(w, frame, 4);
    w[0] = static_cast<uint16_t>(w[0] + l);
    w[1] = static_cast<uint16_t>(w[1] + r);
    std::memcpy(frame, w, 4);
  }
}

}  // namespace

ZesEffect::ZesEffect()
    : wave{},
      rest{},
      sampleBytes{},
      channels{},
      freq{},
      levels_(mixLevels()),
      localPaused_(voicePaused()),
      effects_(ZesDevice::kBufferBytes),
      voice_(ZesDevice::kBufferBytes) {
  device.reset(new (std::nothrow) ZesDevice(&ZesEffect::callbackProc, this, nullptr));
}

ZesEffect::~ZesEffect() {
  stopAll();
  stopLocal();
  // Closed before the channel table and its lock go away.
  device.reset();
}

void ZesEffect::play(int ch, const signed char* clip, long length, long bytes, long chans, long rate) {
  const int s = ((ch % 8) + 8) % 8;
  std::lock_guard<std::mutex> lock(lock_);
  wave[s] = nullptr;
  rest[s] = length;
  sampleBytes[s] = bytes;
  channels[s] = chans;
  freq[s] = rate;
  if (playable(clip, bytes, chans, rate)) wave[s] = clip;
}

void ZesEffect::playLocal(const signed char* clip, long length, long bytes, long chans, long rate) {
  // Copied before taking the lock, so the mixer never waits for the allocation.
  std::unique_ptr<signed char[]> copy;
  if (length >= 0 && playable(clip, bytes, chans, rate)) {
    copy.reset(new (std::nothrow) signed char[static_cast<size_t>(length)]);
    if (copy && length > 0) std::memcpy(copy.get(), clip, static_cast<size_t>(length));
  }
  std::unique_ptr<signed char[]> old;
  {
    std::lock_guard<std::mutex> lock(lock_);
    wave[kLocal] = nullptr;
    old = std::move(localBuffer);
    rest[kLocal] = length;
    sampleBytes[kLocal] = bytes;
    channels[kLocal] = chans;
    freq[kLocal] = rate;
    localBuffer = std::move(copy);
    wave[kLocal] = localBuffer.get();
  }
}

void ZesEffect::stop(int ch) {
  std::lock_guard<std::mutex> lock(lock_);
  wave[((ch % 8) + 8) % 8] = nullptr;
}

void ZesEffect::stopAll() {
  std::lock_guard<std::mutex> lock(lock_);
  for (int i = 0; i < 8; ++i) wave[i] = nullptr;
}

void ZesEffect::stopLocal() {
  std::unique_ptr<signed char[]> old;
  std::lock_guard<std::mutex> lock(lock_);
  wave[kLocal] = nullptr;
  old = std::move(localBuffer);
}

int ZesEffect::checkPlay(int ch) {
  if (ch < 0 || ch >= kChannels) return 0;
  std::lock_guard<std::mutex> lock(lock_);
  return wave[ch] ? 1 : 0;
}

void ZesEffect::setLevels(const MixLevels& levels) {
  std::lock_guard<std::mutex> lock(lock_);
  levels_ = levels;
}

void ZesEffect::pauseLocal(bool paused) {
  std::lock_guard<std::mutex> lock(lock_);
  localPaused_ = paused;
}

long ZesEffect::left(int ch) {
  if (ch < 0 || ch >= kChannels) return -1;
  std::lock_guard<std::mutex> lock(lock_);
  return wave[ch] ? rest[ch] : -1;
}

void ZesEffect::skip(int ch, long bytes) {
  if (ch < 0 || ch >= kChannels) return;
  std::lock_guard<std::mutex> lock(lock_);
  if (!wave[ch] || bytes <= 0) return;
  if (bytes >= rest[ch]) {
    endChannel(ch);
    return;
  }
  wave[ch] += bytes;
  rest[ch] -= bytes;
}

void ZesEffect::callbackProc(_zesdevstat* stat, void* user, char* buffer, long length) {
  auto* self = static_cast<ZesEffect*>(user);
  if (!self || !buffer || length <= 0) return;
  const bool audible = !stat || (stat->sampleBytes == 2 && stat->channels == 2 && stat->freq == kOutputRate);
  std::lock_guard<std::mutex> lock(self->lock_);
  if (!audible)
    self->mix<false>(buffer, length, 0, kChannels);
  else if (self->levels_.plain())
    self->mix<true>(buffer, length, 0, kChannels);
  else
    self->mixLevelled(buffer, length);
}

// The effect channels and the voice are mixed apart, each exactly as the
// plain mix does it, then scaled and added:
//   out = clamp16(out + (effects * effect% + voice * voice%) * master% / 10000)
// and nothing is added while muted.
void ZesEffect::mixLevelled(char* buffer, long length) {
  if (static_cast<size_t>(length) > effects_.size()) {
    // Never with the device's own buffers; a larger one costs one allocation.
    effects_.resize(static_cast<size_t>(length));
    voice_.resize(static_cast<size_t>(length));
  }
  std::memset(effects_.data(), 0, static_cast<size_t>(length));
  std::memset(voice_.data(), 0, static_cast<size_t>(length));
  mix<true>(effects_.data(), length, 0, kLocal);
  mix<true>(voice_.data(), length, kLocal, kChannels);
  if (levels_.mute) return;
  const long e = levels_.effect, v = levels_.voice, m = levels_.master;
  for (long i = 0; i + 1 < length; i += 2) {
    int16_t out, fx, vo;
    std::memcpy(&out, buffer + i, 2);
    std::memcpy(&fx, effects_.data() + i, 2);
    std::memcpy(&vo, voice_.data() + i, 2);
    long sum = out + (fx * e + vo * v) * m / 10000;
    sum = sum < -32768 ? -32768 : (sum > 32767 ? 32767 : sum);
    const auto w = static_cast<int16_t>(sum);
    std::memcpy(buffer + i, &w, 2);
  }
}

void ZesEffect::endChannel(int i) {
  if (i == kLocal) localBuffer.reset();
  wave[i] = nullptr;
}

// For each playing channel, from the buffer's first frame:
//   step = 44100 / freq; need = (rest / sampleBytes / channels) * step
//   each input sample (byte << 7; right = left when mono) is added to `step`
//   consecutive frames; a clip that outlasts the F = length / 4 frames
//   advances by F * channels * sampleBytes / step bytes, else it ends here.
template <bool Audible>
void ZesEffect::mix(char* buffer, long length, int first, int last) {
  const long frames = length / 4;
  for (int i = first; i < last; ++i) {
    if (!wave[i] || (i == kLocal && localPaused_)) continue;
    const long step = kOutputRate / freq[i];
    const long chans = channels[i];
    const long need = rest[i] / sampleBytes[i] / chans * step;
    const signed char* src = wave[i];
    const long end = frames < need ? frames : need;
    for (long k = 0; k < end; k += step) {
      const int left = src[0] * 128;
      const int right = chans == 2 ? src[1] * 128 : left;
      src += chans;
      if (Audible) addFrames(buffer + k * 4, step < end - k ? step : end - k, left, right);
    }
    if (frames < need) {
      long consumed = frames * chans * sampleBytes[i] / step;
      // Below about 21.5 Hz a sample outlasts a buffer; move on by one sample
      // per buffer instead of standing still forever.
      if (consumed == 0) consumed = chans * sampleBytes[i];
      wave[i] += consumed;
      rest[i] -= consumed;
    } else {
      endChannel(i);
    }
  }
}
