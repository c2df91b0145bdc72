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

long voiceOffset() {
  ZesEffect* fx = zeplEffect();
  return fx ? fx->localOffset() : -1;
}

void skipVoice(long bytes) {
  if (ZesEffect* fx = zeplEffect()) fx->skipLocal(bytes);
}

void dropMixedSound() {
  ZesEffect* fx = zeplEffect();
  if (fx && fx->device) fx->device->silenceQueue();
}
