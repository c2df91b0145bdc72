#pragma once
// Touch gestures as key presses: a tap decides, a swipe up or down moves the
// choice cursor, a long press is Escape (the player's menu, or back out of
// it). Each press is held long enough for logic steps to see it.
#include <cstdint>
#include <vector>

namespace platform {

struct KeyChange {
  unsigned vk;
  bool down;
};

class TouchKeys {
 public:
  // A press stays down this long, so that at least one 16 ms step sees it.
  static constexpr uint32_t kHoldMs = 50;
  // Movement (in frame pixels) below which a touch is a tap.
  static constexpr int kTapSlop = 12;
  // A touch that stays put at least this long is a long press.
  static constexpr uint32_t kLongPressMs = 500;

  // A finger touched down / lifted at (x, y) in frame pixels at time `ms`.
  // Only the first finger down counts; others are ignored until it lifts.
  void start(int id, int x, int y, uint32_t ms);
  void end(int id, int x, int y, uint32_t ms);
  // The touch was taken away by the browser: no gesture.
  void cancel(int id);

  // Appends the key changes due by `ms` (presses at once, releases after
  // kHoldMs), oldest first.
  void poll(uint32_t ms, std::vector<KeyChange>& out);

 private:
  void press(unsigned vk, uint32_t ms);

  bool tracking_ = false;
  int id_ = 0;
  int x0_ = 0, y0_ = 0;
  uint32_t t0_ = 0;
  struct Pending {
    unsigned vk;
    bool down;
    uint32_t due;
  };
  std::vector<Pending> pending_;
  bool released_ = false;      // a press was ever made
  uint32_t lastRelease_ = 0;   // when the latest press is (or was) released
};

}  // namespace platform
