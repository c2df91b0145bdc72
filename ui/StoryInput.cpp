#include "ui/StoryInput.h"

#include "shell/Key.h"

namespace ui {

namespace {

class KeyStateInput : public StoryInput {
 public:
  void key(unsigned vk, bool down) override { keyAction(vk, down ? 1 : 0); }
  void press(int bits) override { KeyDown(bits); }
  void release(int bits) override { KeyUp(bits); }
  int down() const override { return KeyStatus(); }
};

}  // namespace

StoryInput& keyStateInput() {
  static KeyStateInput input;
  return input;
}

}  // namespace ui
