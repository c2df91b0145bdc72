#pragma once
// How the player's layer reaches the story: the window's keys it passes on
// and the key bits it holds down for one step. The program's input is the
// story's own key state; a test may give one that records.

namespace ui {

class StoryInput {
 public:
  virtual ~StoryInput() = default;
  virtual void key(unsigned vk, bool down) = 0;  // a virtual-key code, as the window gave it
  virtual void press(int bits) = 0;              // key bits held down for a step
  virtual void release(int bits) = 0;
  virtual int down() const = 0;                  // the key bits down now
};

// The story's key state (shell/Key.h).
StoryInput& keyStateInput();

}  // namespace ui
