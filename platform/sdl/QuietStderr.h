#pragma once
// Keeps what the system's display and audio libraries print on their own
// (probing for servers and sound cards) off the terminal while SDL starts
// them; the player says in one line of its own what went wrong.
namespace platform {

// Standard error pointed at the null device until restored.
class QuietStderr {
 public:
  QuietStderr();
  ~QuietStderr() { restore(); }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;
  void restore();

 private:
  int saved_ = -1;
};

}  // namespace platform
