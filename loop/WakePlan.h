#pragma once
// When a window run wakes next. A run sleeps until the frame loop's next step
// is due (the first moment a tick finds it due), or until the window has an
// event. Once the screen has stood still for a while with no input, it wakes
// one step later instead, and the loop's catch-up runs the two steps owed by
// then: the same steps in the same order, at most one step late, on a screen
// that shows nothing new, for half the wake-ups. Any input, or a frame that
// changed, brings back a wake-up per step.
#include <cstdint>

namespace loop {

class WakePlan {
 public:
  static constexpr int kStillFrames = 30;  // unchanged frames (about half a second) before waking less
  static constexpr uint32_t kStep = 16;    // ms per logic step

  // After a frame-loop tick: whether it drew, and whether it presented.
  void afterTick(bool drew, bool presented);
  // The window delivered an event (keys, pointer, paint, close).
  void input() { stillFrames_ = 0; }
  // The clock time to wake at when the loop's next step is due after `deadline`.
  uint32_t wakeAt(uint32_t deadline) const;
  bool still() const { return stillFrames_ >= kStillFrames; }

 private:
  int stillFrames_ = 0;
};

}  // namespace loop
