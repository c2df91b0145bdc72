#pragma once
// Interface sounds of the screens: entries of the system sound bank.

class Sound;

enum SystemSoundEntry {
  SE_DECIDE = 1,  // the decide key was accepted
  SE_CURSOR = 2,  // the cursor moved
};

// Plays entry `num` of bank `se`; a null bank plays nothing.
void playSystemSound(Sound* se, int num);

// Test hook: sees every entry played through playSystemSound (null: none).
using SystemSoundObserver = void (*)(int num);
void setSystemSoundObserver(SystemSoundObserver observer);
