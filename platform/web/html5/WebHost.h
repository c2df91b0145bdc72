#pragma once
// The player in a web page: the canvas "#screen" shows the frame, keys come
// from the window, mouse and touch from the canvas, sound goes to Web Audio,
// and the page's animation frames are the timer ticks. With the page's
// virtual time on (Module.lmVirtualTime) the clock moves 5 ms per tick as in
// a headless run, and the sound is mixed in virtual time without being heard.
#include <functional>
#include <memory>
#include <string>

#include "platform/Host.h"

namespace platform {

// Opens the page's host and installs its presenter, notice line and audio
// back end for the host's lifetime; null with a reason in `error` on failure.
std::unique_ptr<platform::Host> openWebHost(const platform::HostSettings& settings, std::string& error);

// Calls `tick` once per animation frame of the page (on virtual time, as
// often as fits in one) until it returns false; returns at once. `webHost`
// comes from openWebHost.
void runOnAnimationFrames(platform::Host& webHost, std::function<bool()> tick);

}  // namespace platform
