#pragma once
// The video's sound: the stream the audio output played (16-bit stereo at
// 44100 Hz), laid against the steps. The track starts at step 1's time and
// holds 705.6 sample frames per 16 ms step. The player's clock does not keep
// exactly to the steps (loading restarts the step clock; a window catches up
// in bursts), so where the stream and the steps drift apart by more than the
// tolerance, silence is put in (or, ahead, samples left out) at that moment
// of the stream. The rest of the stream passes unchanged.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace video {

class SoundTrack {
 public:
  static constexpr int kRate = 44100;
  static constexpr int kFrameBytes = 4;  // one stereo 16-bit sample frame
  static constexpr uint32_t kStepMs = 16;

  // `sink` takes the track's bytes in order; false stops the track.
  SoundTrack(std::function<bool(const char*, size_t)> sink, uint32_t toleranceMs);

  // The output (re)started playing at clock `ms`: the samples that follow play from then.
  void started(uint32_t ms);
  // Played samples, in order (whole sample frames; a split frame is kept for the next call).
  void samples(const char* bytes, size_t length);
  // Step `step` (from 1) ran at clock `ms`.
  void step(long step, uint32_t ms);
  // Ends the track after `steps` steps: the rest is silence, or what is over is cut.
  bool finish(long steps);

  // Sample frames of the track written so far, put in, and left out.
  int64_t written() const { return written_; }
  int64_t inserted() const { return inserted_; }
  int64_t dropped() const { return dropped_; }
  bool failed() const { return failed_; }

  // Sample frames in the first `steps` steps.
  static int64_t framesForSteps(long steps);

 private:
  struct Correction {
    int64_t at;     // stream position
    int64_t delta;  // > 0: silence to put in; < 0: frames to leave out
  };
  int64_t streamPos(uint32_t ms) const;
  void emit(const char* bytes, size_t frames);
  void silence(int64_t frames);
  void applyCorrections();
  void flushHeld();

  std::function<bool(const char*, size_t)> sink_;
  int64_t tolerance_;
  bool haveOrigin_ = false;
  uint32_t origin_ = 0;     // clock when the stream (re)started
  int64_t base_ = 0;        // stream position at that moment
  int64_t received_ = 0;    // stream frames received
  bool begun_ = false;      // step 1 seen
  int64_t start_ = 0;       // stream position of step 1
  int64_t shift_ = 0;       // corrections scheduled so far (track minus stream)
  int64_t toDrop_ = 0;
  std::deque<Correction> pending_;
  std::vector<char> early_;  // received before step 1
  std::vector<char> held_;   // track bytes past the limit
  int64_t limit_ = 0;        // track frames through the last step seen
  char partial_[kFrameBytes] = {};
  size_t partialBytes_ = 0;
  int64_t written_ = 0;
  int64_t inserted_ = 0;
  int64_t dropped_ = 0;
  bool failed_ = false;
};

}  // namespace video
