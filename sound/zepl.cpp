#include "sound/zepl.h"

#include <new>

#include "sound/soundDriver.h"
#include "sound/soundEffect.h"

namespace {

ZesEffect* effect = nullptr;  // null before ZEPL_Init and after ZEPL_Trash
ZesDriver* driver = nullptr;  // the music slot; always empty here

}  // namespace

void ZEPL_Init(void* /*hwnd*/) {
  if (effect) return;
  effect = new (std::nothrow) ZesEffect();
}

void ZEPL_Trash() {
  ZEPL_StopMusic();
  delete effect;
  effect = nullptr;
}

void ZEPL_StopMusic() {
  // Nothing ever fills the slot, so there is no driver to destroy.
  driver = nullptr;
}

void ZEPL_PlaySound(int ch, const signed char* wave, long length, long sampleBytes, long channels, long freq) {
  if (effect) effect->play(ch, wave, length, sampleBytes, channels, freq);
}

void ZEPL_StopSound(int ch) {
  if (effect) effect->stop(ch);
}

int ZEPL_Check(int ch) { return effect ? effect->checkPlay(ch) : 0; }

void ZEPL_PlaySoundLocal(const signed char* wave, long length, long sampleBytes, long channels, long freq) {
  if (effect) effect->playLocal(wave, length, sampleBytes, channels, freq);
}

ZesEffect* zeplEffect() { return effect; }
