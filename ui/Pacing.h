#pragma once
// Skip and auto: when the layer presses Decide at a finished message for the
// player. Ctrl skips while held, Tab until pressed again; auto waits a pause
// that grows with the message once its voice has ended.
#include "settings/Settings.h"

namespace ui {

class Pacing {
 public:
  bool skipping() const { return (ctrl_ && !ctrlSuspended_) || tab_; }
  bool autoMode() const { return auto_; }

  // Ctrl held skips; pressing it again resumes a skip that stopped.
  void ctrl(bool down, bool repeat);
  void toggleTab() { tab_ = !tab_; }
  void toggleAuto();
  // Skipping stops (Ctrl until pressed again): at a choice, at unread text,
  // at a moment put back.
  void stop();
  // A message of `chars` characters is shown: the auto pause starts over.
  void messageShown(int chars);
  // A moment was put back: the auto pause starts over.
  void restartPause() { autoWait_ = 0; }
  // One step at a finished message, with or without its voice sounding.
  void waitStep(bool voiceSounding);
  // Whether Decide is due at a finished message.
  bool decideDue(const settings::Settings& s, int stepMs) const;

 private:
  bool ctrl_ = false;
  bool ctrlSuspended_ = false;
  bool tab_ = false;
  bool auto_ = false;
  int autoWait_ = 0;  // steps since the voice of the waiting message ended
  int messageChars_ = 0;
};

}  // namespace ui
