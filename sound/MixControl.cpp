#include "sound/MixControl.h"

#include <algorithm>

#include "sound/soundEffect.h"
#include "sound/zepl.h"

namespace {

MixLevels g_levels;
bool g_paused = false;

}  // namespace

void setMixLevels(const MixLevels& levels) {
  g_levels = levels;
  for (int* v : {&g_levels.master, &g_levels.voice, &g_levels.effect}) *v = std::clamp(*v, 0, 100);
  if (ZesEffect* fx = zeplEffect()) fx->setLevels(g_levels);
}

MixLevels mixLevels() { return g_levels; }

void pauseVoice(bool paused) {
  g_paused = paused;
  if (ZesEffect* fx = zeplEffect()) fx->pauseLocal(paused);
}

bool voicePaused() { return g_paused; }

void stopVoice() {
  if (ZesEffect* fx = zeplEffect()) fx->stopLocal();
}

long soundLeft(int ch) {
  ZesEffect* fx = zeplEffect();
  return fx ? fx->left(ch) : -1;
}

void skipSound(int ch, long bytes) {
  if (ZesEffect* fx = zeplEffect()) fx->skip(ch, bytes);
}

void dropMixedSound() {
  ZesEffect* fx = zeplEffect();
  if (fx && fx->device) fx->device->silenceQueue();
}
