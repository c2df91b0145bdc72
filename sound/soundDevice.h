#pragma once
// The wave-output device: eight 8192-byte buffers circulate through the audio
// back end; each played buffer is cleared, refilled by the clients and queued again.
#include <atomic>
#include <cstdint>
#include <memory>

namespace platform {
class AudioBackend;
}

// An output format.
struct _zesdevstat {
  int32_t sampleBytes;  // 1 = 8-bit, 2 = 16-bit
  int32_t channels;     // 1 = mono, 2 = stereo
  int32_t freq;         // 44100, or anything else, tested as 22050
};

// A client's fill routine: adds its sound to the `length` bytes of `buffer`.
using ZesCallback = void (*)(_zesdevstat* format, void* user, char* buffer, long length);

// The parameters every device object shares; begins with the open format.
struct _zesdevparam : _zesdevstat {
  ZesCallback callback;   // first client; null = none
  void* user;
  std::atomic<int> active;  // 1 while the output is open and buffers circulate
  ZesCallback callback2;  // second client; null = none
  void* user2;
};

// A buffer lent to the output.
struct ZesWaveHeader {
  char* data = nullptr;
  long length = 0;
};

class ZesDevice {
 public:
  static constexpr int kBuffers = 8;
  static constexpr long kBufferBytes = 8192;

  // Registers a client; the first one opens the output. `format` (may be null:
  // the defaults 16-bit stereo 44100 Hz) is stepped down in place until supported.
  ZesDevice(ZesCallback callback, void* user, _zesdevstat* format);
  // Unregisters a client (in the reverse order of joining); the last one closes the output.
  ~ZesDevice();
  ZesDevice(const ZesDevice&) = delete;
  ZesDevice& operator=(const ZesDevice&) = delete;

  // Takes back every buffer lent to the output, unheard ones included, and
  // lends them again silent: what was mixed before is never heard.
  void silenceQueue();

  // The back end's completion: refills a played buffer and queues it again.
  static void callbackProc(platform::AudioBackend* out, void* instance, char* buffer, long length);

  static _zesdevparam param;
  static int openCount;

  ZesWaveHeader header[kBuffers];
  platform::AudioBackend* waveOut = nullptr;  // the open output; null when closed

  // Test hook: forgets every client and closes nothing; call only when no
  // device object is alive.
  static void resetState();

 private:
  int getDevId(_zesdevstat* format);
  void closeOutput();

  std::unique_ptr<char[]> buffer_[kBuffers];
};
