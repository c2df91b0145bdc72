#pragma once
// A bank of numbered 8-bit PCM clips from one bank file.
#include <cstdio>
#include <memory>
#include <vector>

class Sound {
 public:
  // Opens bank `name` under SYSDIR, else PCMDIR; memory != 0 loads every clip now.
  Sound(int channel, const char* name, int memory);
  ~Sound();
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  void play(int num);       // clip num on the bank's channel at 11025 Hz
  void playVoice(int num);  // clip num on the local (voice) channel at "FREQ" Hz
  int check();              // nonzero while the voice channel sounds

  int numMax = 0;  // clip count; 0 when the bank is empty
};
