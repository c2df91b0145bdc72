#include "scenes/SystemSound.h"

#include "sound/Sound.h"

static SystemSoundObserver g_observer = nullptr;

void playSystemSound(Sound* se, int num) {
  if (g_observer) g_observer(num);
  if (se) se->play(num);
}

void setSystemSoundObserver(SystemSoundObserver observer) { g_observer = observer; }
