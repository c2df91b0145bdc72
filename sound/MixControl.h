#pragma once
// The player's own controls over the mix: volumes and mute applied after the
// mixing arithmetic (at full volume and unmuted the samples are exactly those
// of the plain mix), and pausing or ending the voice. The story never calls them.

struct MixLevels {
  int master = 100;  // percent, 0..100
  int voice = 100;   // the local (voice) channel
  int effect = 100;  // channels 0-7 (system sounds)
  bool mute = false;
  bool plain() const { return master == 100 && voice == 100 && effect == 100 && !mute; }
};

// Levels for the mix from now on (values are clamped to 0..100); they also
// hold for a sound library started later.
void setMixLevels(const MixLevels& levels);
MixLevels mixLevels();

// A paused voice neither sounds nor advances, and still counts as playing.
void pauseVoice(bool paused);
bool voicePaused();

// Ends the voice at once, as if its clip had run out.
void stopVoice();

// The mixer's channel of the voice (the local channel).
constexpr int kVoiceChannel = 8;

// Bytes of the clip on channel `ch` (0-7, or kVoiceChannel) the mixer has not
// taken yet, or -1 when the channel is idle.
long soundLeft(int ch);
// Moves the clip on channel `ch` on by `bytes`, as if they had been mixed.
void skipSound(int ch, long bytes);

// Drops every buffer mixed for the output but not yet heard: the output goes
// on with silence until the buffers come round again, mixed from then on.
void dropMixedSound();
