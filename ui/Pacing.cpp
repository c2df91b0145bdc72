#include "ui/Pacing.h"

namespace ui {

void Pacing::ctrl(bool down, bool repeat) {
  ctrl_ = down;
  if (down && !repeat) ctrlSuspended_ = false;
}

void Pacing::toggleAuto() {
  auto_ = !auto_;
  autoWait_ = 0;
}

void Pacing::stop() {
  tab_ = false;
  if (ctrl_) ctrlSuspended_ = true;
}

void Pacing::messageShown(int chars) {
  messageChars_ = chars;
  autoWait_ = 0;
}

void Pacing::waitStep(bool voiceSounding) {
  if (!auto_) return;
  if (voiceSounding) autoWait_ = 0;
  else ++autoWait_;
}

bool Pacing::decideDue(const settings::Settings& s, int stepMs) const {
  if (skipping()) return true;
  const int delaySteps = (s.autoPauseMs + s.autoPerCharMs * messageChars_) / stepMs;
  return auto_ && autoWait_ >= delaySteps;
}

}  // namespace ui
