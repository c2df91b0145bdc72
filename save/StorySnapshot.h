#pragma once
// The story at a moment where it waits for the player (a message fully shown
// and waiting for Decide, or an open choice): everything that decides the
// frames and the sound that follow, as plain values. Pictures, faces and
// voice banks are kept by name and loaded again on restore; a voice still
// sounding is kept by clip and position and goes on from there.
//
// The values are described once, by `visit` (StoryState.h): capture,
// restore, the save file, plausibility and equality all go through it.
#include <array>
#include <cstdint>
#include <string>

#include "game/Game.h"

class LmPlayer;

namespace save {

// Where the frame loop and the audio clock stood after the captured step
// (headless runs only: virtual time decides when a voice is heard to end).
struct LoopPhase {
  bool valid = false;
  uint32_t deadlineAhead = 0;  // ms from now to the next step's deadline
  uint32_t audioElapsed = 0;   // ms of the audio clock's current period
};

// The plain members of `Game`.
struct GameValues {
  int phase = 0, eyesstate = 0, mouthstate = 0, face_site = 0, eyes = 0, mouth = 0, chart = 0, fade = 64,
      theta = 0, size = 0, scrX = 0, scrY = 0, zoom = 0, apearmode = 0, scroll = 0;
};

struct TextState {
  int line = 0, row = 0, width = 0, height = 0, left = 0, right = 0;
  std::array<std::string, 3> lines;  // top to bottom, without the NUL
};

struct ChoiceState {
  int max = 0, pos = 0, dispPos = 0, select = 0;
  std::array<std::string, 6> items;  // the first `max` are used
};

// A sound channel: the clip of its bank it plays and how far the mixer has
// taken it.
struct ClipState {
  bool sounding = false;
  int clip = 0;
  int32_t offset = 0;  // bytes of the clip already mixed
};

struct StorySnapshot {
  GameValues game;
  std::array<std::string, 6> item;  // the pending choice's texts
  long streamPos = 0;               // read position in EVENT.BIN
  bool hasPicture = false;          // loaded again from step.pfname
  bool hasFace = false;             // from step.facename
  bool hasVoice = false;            // the voice bank, from step.pcmname
  bool hasText = false;
  TextState text;
  bool hasChoice = false;
  ChoiceState choice;
  GameStepState step;  // the interpreter's step-persistent values
  ClipState voice;        // the voice, from the story's voice bank
  ClipState systemSound;  // the system bank's channel (decide, cursor, choice)
  LoopPhase timing;

  // Every value equal (through the one description).
  bool operator==(const StorySnapshot& o) const;
  bool operator!=(const StorySnapshot& o) const { return !(*this == o); }
};

// True when the story is at a waiting moment: the game runs and is waiting
// for Decide after a message or has a choice open.
bool atWaitingMoment(const LmPlayer& player);

// Records the game of `player`; false when there is no game or it is not at a
// waiting moment (a transition's old picture cannot be recorded).
bool capture(const LmPlayer& player, StorySnapshot& out);

// Brings the sound channels of `s` up to where the mixer stands now (the
// mixer moves between steps, while the story stands still).
void captureSound(const LmPlayer& player, StorySnapshot& s);

// Checks a snapshot from outside (a save file) for values the story could
// not have produced; false with a short reason.
bool plausible(const StorySnapshot& s, std::string& why);

// Makes `player` continue from `s`: builds a new game from the data files,
// puts every value back, loads the pictures, face and voice bank by name and
// lets a voice that was sounding go on from where it was; the scene before
// it (any of them) is dropped, every other sound is silenced and sound
// already mixed for the output is dropped.
// Nothing changes when it fails (the data no longer fits: reason in `why`).
bool restore(LmPlayer& player, const StorySnapshot& s, std::string& why);

}  // namespace save
