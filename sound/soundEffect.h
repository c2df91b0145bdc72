#pragma once
// Nine effect channels mixed into the device's output buffers: channels 0-7
// play clips their callers keep alive; channel 8 (local) plays its own copy.
#include <memory>
#include <mutex>
#include <vector>

#include "sound/MixControl.h"
#include "sound/soundDevice.h"

class ZesEffect {
 public:
  static constexpr int kChannels = 9;
  static constexpr int kLocal = 8;

  // Opens the output device with the mixer as its client.
  ZesEffect();
  ~ZesEffect();
  ZesEffect(const ZesEffect&) = delete;
  ZesEffect& operator=(const ZesEffect&) = delete;

  // Plays a caller-owned clip on channel ch mod 8, replacing what plays there.
  // Rates outside 1..44100 Hz, sample sizes below 1 and channel counts other
  // than 1 and 2 leave the channel idle.
  void play(int ch, const signed char* wave, long length, long sampleBytes, long channels, long freq);
  // Plays a private copy of the clip on the local channel, replacing the voice.
  void playLocal(const signed char* wave, long length, long sampleBytes, long channels, long freq);
  void stop(int ch);  // channel ch mod 8
  void stopAll();     // channels 0-7; the local channel plays on
  void stopLocal();
  int checkPlay(int ch);  // 1 while channel ch (0-8) plays

  // The player's controls (see MixControl.h): levels applied after the mix,
  // and a paused voice that neither sounds nor advances.
  void setLevels(const MixLevels& levels);
  void pauseLocal(bool paused);
  // Bytes of channel ch's clip (0-8) not mixed yet (-1 when idle), and moving it on.
  long left(int ch);
  void skip(int ch, long bytes);

  // The mixer: adds every playing channel into `buffer` (16-bit stereo 44100 Hz).
  // `user` is the effect object. A device format other than that leaves the
  // buffer as it is while the clips still advance.
  static void callbackProc(_zesdevstat* stat, void* user, char* buffer, long length);

  std::unique_ptr<ZesDevice> device;  // the output this mixer feeds
  const signed char* wave[kChannels];  // next sample; null = idle
  long rest[kChannels];                // bytes not yet played
  long sampleBytes[kChannels];
  long channels[kChannels];  // 1 mono, 2 stereo (left, right)
  long freq[kChannels];
  std::unique_ptr<signed char[]> localBuffer;  // the local channel's copy

 private:
  template <bool Audible>
  void mix(char* buffer, long length, int first, int last);
  void mixLevelled(char* buffer, long length);
  void endChannel(int i);

  std::mutex lock_;  // held by the mixer for a whole buffer and by each channel operation
  MixLevels levels_;
  bool localPaused_ = false;
  std::vector<char> effects_, voice_;  // the two parts of a levelled mix
};
