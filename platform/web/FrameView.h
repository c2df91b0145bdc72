#pragma once
// The page's view of the frame: pixels for a canvas, and points on the
// scaled canvas back in frame pixels.
#include <vector>

#include "platform/Presenter.h"
#include "platform/Host.h"

namespace platform {

// Converts a frame to top-down R, G, B, A bytes (A = 255), as a canvas takes them.
void frameToRgba(const Frame& frame, std::vector<unsigned char>& out);

// A point at (cssX, cssY) on an element shown `cssWidth` x `cssHeight` big,
// in the coordinates of a `frameWidth` x `frameHeight` frame, clamped to it.
platform::PointerEvent framePoint(platform::PointerEvent::Kind kind, double cssX, double cssY, double cssWidth,
                             double cssHeight, int frameWidth, int frameHeight);

}  // namespace platform
