#pragma once
// The real tick count: milliseconds since SDL started, wrapping at 2^32.
#include "platform/Clock.h"

namespace platform {

class SdlClock : public Clock {
 public:
  uint32_t now() override;
};

}  // namespace platform
