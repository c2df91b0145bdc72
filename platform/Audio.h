#pragma once
// Audio output seam: the wave-output device fills fixed-size PCM buffers and
// lends them to whichever back end is installed (SDL, headless, or none).
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "platform/Wav.h"

namespace platform {

class AudioBackend;

// PCM format of an opened output, laid out like the platform's wave format.
struct WaveFormat {
  int formatTag = 1;  // 1 = PCM
  int channels = 2;
  int samplesPerSec = 44100;
  int bitsPerSample = 16;
  int blockAlign = 4;          // bitsPerSample * channels / 8
  int avgBytesPerSec = 176400;  // blockAlign * samplesPerSec
};

// Gets each buffer the back end has finished playing, on the back end's own
// thread; `instance` is the value given to open(). The buffer is the caller's
// again until it is written once more.
using AudioDone = void (*)(AudioBackend* out, void* instance, char* buffer, long length);

class AudioBackend {
 public:
  virtual ~AudioBackend();
  // True when the output can play this format (freq is 44100 or 22050).
  virtual bool supports(int sampleBytes, int channels, int freq) const = 0;
  // Opens the output, paused or not; false on failure (then nothing else is called).
  virtual bool open(const WaveFormat& format, AudioDone done, void* instance) = 0;
  // Holds playback: queued buffers wait.
  virtual void pause() = 0;
  // Resumes playback of the queue.
  virtual void restart() = 0;
  // Appends a buffer to the play queue; it stays lent until handed back. False on failure.
  virtual bool write(char* buffer, long length) = 0;
  // Stops playback and hands every queued buffer back through `done`;
  // once it returns, `done` is not running and will not run again.
  virtual void reset() = 0;
  // Closes the output; the back end may be opened again afterwards.
  virtual void close() = 0;
};

// Installs the back end the sound device opens (not owned; null = the null
// back end). It must outlive any output opened on it (until ZEPL_Trash).
void setAudioBackend(AudioBackend* backend);
// The installed back end, or the null one, which supports no format.
AudioBackend* audioBackend();

// No hardware: plays in virtual time. Supports 16-bit stereo 44100 Hz only,
// and can record everything it plays to a WAV file of that format.
class HeadlessAudio : public AudioBackend {
 public:
  explicit HeadlessAudio(std::string wavPath = "");
  ~HeadlessAudio() override;

  bool supports(int sampleBytes, int channels, int freq) const override;
  bool open(const WaveFormat& format, AudioDone done, void* instance) override;
  void pause() override;
  void restart() override;
  bool write(char* buffer, long length) override;
  void reset() override;
  void close() override;

  // Completes every buffer due by virtual time `ms` (one per 2048/44100 s since open).
  void advanceTo(uint32_t ms);
  // Flushes and closes the WAV file; true when it was written completely (or
  // none was asked for); otherwise wavError() says why.
  bool finish();
  const std::string& wavError() const { return wavError_; }
  // Test hook: a smaller recording limit than a WAV file's 4 GiB (bytes of samples).
  void setRecordingLimit(uint64_t bytes) { wav_.setLimit(bytes); }
  // The recording reached its limit and stopped (a warning was printed).
  bool recordingStopped() const { return wavStopped_; }

  // Where the buffer clock stands: ms since playback started, reduced to the
  // 20480 ms after which the pattern of buffer completions repeats.
  uint32_t clockPhase() const;
  // Buffers fall due from now on as they would at phase `ms`.
  void setClockPhase(uint32_t ms);

  bool isOpen() const { return open_; }
  uint64_t buffersPlayed() const { return played_; }
  size_t queued() const { return queue_.size(); }

 private:
  void playOne();
  void record(const char* buffer, size_t length);

  std::string wavPath_;
  WavWriter wav_;
  bool wavFailed_ = false;
  bool wavStopped_ = false;
  std::string wavError_;
  bool wavDone_ = false;  // finish() ran: nothing more is recorded
  bool open_ = false;
  bool paused_ = false;
  AudioDone done_ = nullptr;
  void* instance_ = nullptr;
  std::deque<std::pair<char*, long>> queue_;
  uint32_t now_ = 0;        // last virtual time seen
  uint32_t startMs_ = 0;    // virtual time playback (re)started
  uint32_t phaseMs_ = 0;    // ms the clock stood at when it (re)started
  uint64_t dueBase_ = 0;    // buffers completed before the last restart
  uint64_t played_ = 0;     // buffers completed since open
};

}  // namespace platform
