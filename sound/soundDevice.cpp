#include "sound/soundDevice.h"

#include <cstring>
#include <mutex>
#include <new>

#include "platform/Audio.h"

_zesdevparam ZesDevice::param{{2, 2, 44100}, nullptr, nullptr, {0}, nullptr, nullptr};
int ZesDevice::openCount = 0;

namespace {

// Guards the client slots: the refill calls the clients on the audio thread
// while clients join and leave on the window thread.
std::mutex& clientLock() {
  static std::mutex m;
  return m;
}

// Calls the registered clients on one buffer, first client first.
void fillFromClients(_zesdevparam& p, char* buffer, long length) {
  std::lock_guard<std::mutex> lock(clientLock());
  if (p.callback) p.callback(&p, p.user, buffer, length);
  if (p.callback2) p.callback2(&p, p.user2, buffer, length);
}

}  // namespace

ZesDevice::ZesDevice(ZesCallback callback, void* user, _zesdevstat* format) {
  {
    std::lock_guard<std::mutex> lock(clientLock());
    if (openCount != 0) {
      // The output is already open (or failed to open): join it as the second client.
      param.callback2 = callback;
      param.user2 = user;
      ++openCount;
      return;
    }
    param.callback = callback;
    param.user = user;
    param.callback2 = nullptr;
    param.user2 = nullptr;
    openCount = 1;
  }

  if (!format) {
    param.sampleBytes = 2;
    param.channels = 2;
    param.freq = 44100;
    format = &param;
  }

  // Step the format down until a device plays it: 44100 before 22050 Hz,
  // 16-bit before 8-bit, stereo before mono.
  while (getDevId(format) == -1) {
    if (format->freq == 44100) {
      format->freq = 22050;
    } else if (format->sampleBytes == 2) {
      format->freq = 44100;
      format->sampleBytes = 1;
    } else if (format->channels == 2) {
      format->freq = 44100;
      format->sampleBytes = 2;
      format->channels = 1;
    } else {
      param.active = 0;
      return;
    }
  }

  for (int i = 0; i < kBuffers; ++i) {
    buffer_[i].reset(new (std::nothrow) char[kBufferBytes]());
    if (!buffer_[i]) {
      for (auto& b : buffer_) b.reset();
      param.active = 0;
      return;
    }
    header[i].data = buffer_[i].get();
    header[i].length = kBufferBytes;
  }

  platform::AudioBackend* out = platform::audioBackend();
  platform::WaveFormat wf;
  wf.formatTag = 1;
  wf.channels = format->channels;
  wf.samplesPerSec = format->freq;
  wf.bitsPerSample = format->sampleBytes * 8;
  wf.blockAlign = wf.bitsPerSample * wf.channels / 8;
  wf.avgBytesPerSec = wf.blockAlign * wf.samplesPerSec;
  if (!out->open(wf, &ZesDevice::callbackProc, &param)) {
    param.active = 0;
    for (int i = 0; i < kBuffers; ++i) {
      buffer_[i].reset();
      header[i] = ZesWaveHeader{};
    }
    return;
  }
  waveOut = out;
  param.sampleBytes = format->sampleBytes;
  param.channels = format->channels;
  param.freq = format->freq;
  param.active = 1;

  // Prime the queue while paused so that all eight buffers start together.
  waveOut->pause();
  bool queuing = true;
  for (auto& h : header) {
    fillFromClients(param, h.data, h.length);
    if (queuing) queuing = waveOut->write(h.data, h.length);
  }
  waveOut->restart();
}

ZesDevice::~ZesDevice() {
  {
    std::lock_guard<std::mutex> lock(clientLock());
    if (openCount == 0) return;
    if (openCount >= 2) {
      // The second client leaves; the output keeps running for the first.
      param.callback2 = nullptr;
      param.user2 = nullptr;
      --openCount;
      return;
    }
    // The last client leaves, even when the output never opened, so that a
    // later device opens afresh instead of joining a dead output.
    openCount = 0;
    param.callback = nullptr;
    param.user = nullptr;
  }
  if (param.active && waveOut) closeOutput();
}

void ZesDevice::closeOutput() {
  // Cleared first: the buffers the reset hands back are left alone.
  param.active = 0;
  waveOut->reset();
  waveOut->close();
  waveOut = nullptr;
  for (int i = 0; i < kBuffers; ++i) {
    buffer_[i].reset();
    header[i] = ZesWaveHeader{};
  }
}

void ZesDevice::silenceQueue() {
  if (!param.active || !waveOut) return;
  // Cleared first: the buffers the reset hands back are not refilled.
  param.active = 0;
  waveOut->reset();
  param.active = 1;
  waveOut->pause();
  bool queuing = true;
  for (auto& h : header) {
    if (!h.data) continue;
    std::memset(h.data, 0, static_cast<size_t>(h.length));
    if (queuing) queuing = waveOut->write(h.data, h.length);
  }
  waveOut->restart();
}

// Device 0 (the installed back end) if it plays `format`, else -1.
int ZesDevice::getDevId(_zesdevstat* format) {
  const int freq = format->freq == 44100 ? 44100 : 22050;
  const int sampleBytes = format->sampleBytes == 1 ? 1 : 2;
  const int channels = format->channels == 1 ? 1 : 2;
  return platform::audioBackend()->supports(sampleBytes, channels, freq) ? 0 : -1;
}

void ZesDevice::callbackProc(platform::AudioBackend* out, void* instance, char* buffer, long length) {
  auto* p = static_cast<_zesdevparam*>(instance);
  if (!p || !p->active || !buffer || length <= 0) return;
  std::memset(buffer, 0, static_cast<size_t>(length));
  fillFromClients(*p, buffer, length);
  if (out) out->write(buffer, length);
}

void ZesDevice::resetState() {
  std::lock_guard<std::mutex> lock(clientLock());
  param.sampleBytes = 2;
  param.channels = 2;
  param.freq = 44100;
  param.callback = nullptr;
  param.user = nullptr;
  param.active = 0;
  param.callback2 = nullptr;
  param.user2 = nullptr;
  openCount = 0;
}
