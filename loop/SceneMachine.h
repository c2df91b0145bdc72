#pragma once
// What the frame loop steps and draws. The program's machine is LmPlayer
// (LmPlayerMachine); tests drive the loop with machines of their own.

class LmPlayer;
class ZegDevice;

namespace loop {

class SceneMachine {
 public:
  virtual ~SceneMachine() = default;
  // One logic step; returns the step's length in milliseconds.
  virtual int main() = 0;
  // Draws the current scene into the frame buffer.
  virtual void draw(ZegDevice* zeg) = 0;
  // After a step, once the loop has set its next deadline.
  virtual void stepDone() {}
  // The story's scene machine inside, if any (the trace reads it).
  virtual LmPlayer* player() { return nullptr; }
};

}  // namespace loop
