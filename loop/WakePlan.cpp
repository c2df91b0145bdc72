#include "loop/WakePlan.h"

namespace loop {

void WakePlan::afterTick(bool drew, bool presented) {
  if (presented)
    stillFrames_ = 0;
  else if (drew && stillFrames_ < kStillFrames)
    ++stillFrames_;
}

uint32_t WakePlan::wakeAt(uint32_t deadline) const { return deadline + 1 + (still() ? kStep : 0); }

}  // namespace loop
