#pragma once
// Millisecond clock seam: the frame loop reads time only through a Clock, so a
// window run uses the real tick count and a headless run or a test a virtual one.
#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock();
  // Milliseconds on a free-running 32-bit counter; it wraps after about 49.7 days.
  virtual uint32_t now() = 0;
};

// A clock that moves only when told to.
class VirtualClock : public Clock {
 public:
  explicit VirtualClock(uint32_t start = 0) : ms_(start) {}
  uint32_t now() override { return ms_; }
  void set(uint32_t ms) { ms_ = ms; }
  void advance(uint32_t ms) { ms_ += ms; }  // wraps like the real counter

 private:
  uint32_t ms_;
};

}  // namespace platform
