#pragma once
// What the program needs of a window platform: a clock, the window's events
// and a 5 ms timer tick. The host installs its own presenter, notice box and
// audio back end while it lives.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class Clock;

// A mouse or touch event in the frame's own 320 x 240 coordinates (a point
// outside the frame, on the letterbox, is clamped to its edge).
struct PointerEvent {
  enum Kind { Move, LeftDown, LeftUp, RightDown, RightUp, WheelUp, WheelDown };
  Kind kind = Move;
  int x = 0;
  int y = 0;
};

// Receives the window's events, in the order they happened.
class HostEvents {
 public:
  virtual ~HostEvents() = default;
  virtual void key(unsigned vk, bool down) = 0;  // virtual-key code; repeats arrive as downs
  virtual void pointer(const PointerEvent&) {}   // mouse and touch; the story itself ignores them
  virtual void paint() = 0;                      // the window needs the frame again
  virtual void close() = 0;                      // the user closed the window
  // The window acted on its own ("fullscreen on", "fullscreen off",
  // "shot <file>"); only logs listen.
  virtual void windowAction(const std::string&) {}
};

class Host {
 public:
  virtual ~Host() = default;
  virtual platform::Clock& clock() = 0;
  // Delivers pending events and returns when the next 5 ms timer tick is due.
  virtual void waitTick(HostEvents& events) = 0;
  // Delivers pending events; sleeps until the clock reaches `due` unless an
  // event arrives first (then delivers it and returns). A host that only has
  // a periodic tick keeps to it.
  virtual void waitUntil(uint32_t /*due*/, HostEvents& events) { waitTick(events); }
  // The window's scale (1..8; 0 the automatic one) and full screen.
  virtual void setWindowMode(int /*scale*/, bool /*fullscreen*/) {}
  // Whether setWindowMode does anything (a page's canvas has no window size).
  virtual bool windowModes() const { return false; }
  virtual bool fullscreen() const { return false; }
  // The scale the automatic one (0) stands for now; 0 when there is none.
  virtual int automaticScale() const { return 0; }
};

struct HostSettings {
  int scale = 0;         // 1..8; 0: the largest that fits half the desktop
  bool fullscreen = false;
  std::string shotDir;   // where F12 screenshots go
};

// Opens a window host; null with a one-line reason in `error` on failure.
using HostFactory = std::function<std::unique_ptr<Host>(const HostSettings&, std::string& error)>;

}  // namespace platform
