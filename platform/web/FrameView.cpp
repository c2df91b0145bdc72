#include "platform/web/FrameView.h"

#include <algorithm>
#include <cmath>

namespace platform {

void frameToRgba(const Frame& frame, std::vector<unsigned char>& out) {
  out.resize(static_cast<size_t>(frame.width) * frame.height * 4);
  // rgba(x, y) = (r, g, b, 255) of stored row height-1-y, stored bytes b, g, r
  for (int y = 0; y < frame.height; ++y) {
    const unsigned char* src = frame.pixels + static_cast<size_t>(frame.height - 1 - y) * frame.stride;
    unsigned char* dst = &out[static_cast<size_t>(y) * frame.width * 4];
    for (int x = 0; x < frame.width; ++x, src += 3, dst += 4) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
      dst[3] = 255;
    }
  }
}

platform::PointerEvent framePoint(platform::PointerEvent::Kind kind, double cssX, double cssY, double cssWidth,
                             double cssHeight, int frameWidth, int frameHeight) {
  platform::PointerEvent e;
  e.kind = kind;
  if (cssWidth <= 0 || cssHeight <= 0) return e;
  const int x = static_cast<int>(std::floor(cssX * frameWidth / cssWidth));
  const int y = static_cast<int>(std::floor(cssY * frameHeight / cssHeight));
  e.x = std::clamp(x, 0, frameWidth - 1);
  e.y = std::clamp(y, 0, frameHeight - 1);
  return e;
}

}  // namespace platform
