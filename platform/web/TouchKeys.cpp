#include "platform/web/TouchKeys.h"

#include <cstdlib>

#include "platform/VirtualKeys.h"

namespace platform {

void TouchKeys::start(int id, int x, int y, uint32_t ms) {
  if (tracking_) return;
  tracking_ = true;
  id_ = id;
  x0_ = x;
  y0_ = y;
  t0_ = ms;
}

void TouchKeys::cancel(int id) {
  if (tracking_ && id == id_) tracking_ = false;
}

void TouchKeys::end(int id, int x, int y, uint32_t ms) {
  if (!tracking_ || id != id_) return;
  tracking_ = false;
  const int dx = x - x0_, dy = y - y0_;
  if (std::abs(dx) <= kTapSlop && std::abs(dy) <= kTapSlop) {
    press(ms - t0_ >= kLongPressMs ? VK_ESCAPE : VK_RETURN, ms);
  } else if (std::abs(dy) > std::abs(dx)) {
    press(dy < 0 ? VK_UP : VK_DOWN, ms);
  }
  // A sideways swipe means nothing: left and right move nothing in any scene.
}

void TouchKeys::press(unsigned vk, uint32_t ms) {
  // A press right after the previous release would fall into the same step
  // and be lost: keep them kHoldMs apart too.
  uint32_t at = ms;
  if (released_ && static_cast<int32_t>(lastRelease_ + kHoldMs - at) > 0) at = lastRelease_ + kHoldMs;
  pending_.push_back({vk, true, at});
  pending_.push_back({vk, false, at + kHoldMs});
  lastRelease_ = at + kHoldMs;
  released_ = true;
}

void TouchKeys::poll(uint32_t ms, std::vector<KeyChange>& out) {
  size_t n = 0;
  // Changes are queued in time order; hand out the due prefix.
  while (n < pending_.size() && static_cast<int32_t>(ms - pending_[n].due) >= 0) {
    out.push_back({pending_[n].vk, pending_[n].down});
    ++n;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace platform
