#pragma once
// The interpreter's vocabulary: the values `Game::phase` takes and the
// instruction bytes of a chart stream. The interpreter, the player's layer,
// saves, reports and the authoring tools all name them from here.
#include <cstdint>

namespace scenario {

// Bytes that start an instruction (0x82 and 0x94 are none).
enum Op : uint8_t {
  kSpeaker = 0x80,
  kMessage = 0x81,
  kBranch = 0x83,
  kChoice = 0x84,
  kWindowOpen = 0x85,
  kWindowClose = 0x86,
  kVoiceBank = 0x87,
  kVoiceNext = 0x88,
  kNop89 = 0x89,
  kNop8A = 0x8A,
  kNop8B = 0x8B,
  kFace = 0x8C,
  kImage = 0x8D,
  kImageRemove = 0x8E,
  kShake = 0x8F,
  kFade = 0x90,
  kFlash = 0x91,
  kNop92 = 0x92,
  kWait = 0x93,
  kVoiceNext5 = 0x95,
};

constexpr int kFirstOp = kSpeaker;
constexpr int kLastOp = kVoiceNext5;

// The interpreter's own states below 0x80; a fetched instruction byte is the
// phase until the next step executes it.
enum Phase : int {
  kStopped = -1,
  kSeek = 0,  // seek to the current chart, then fetch
  kFetch = 1,
  kFadeToBlack = 16,  // kFadeToBlack + the fade operand
  kFadeToNormal = 17,
  kFadeToWhite = 18,
  kFadeFromWhite = 19,
  kTimedWait = 20,
  kMessageWait = 21,  // a message is shown: waits for Decide
  kFaceAppearing = 22,
  kFaceLeaving = 23,
  kWindowOpening = 24,
  kWindowClosing = 25,
  kTyping = 32,
  kTransitionBase = 32,  // image mode m (1..8) runs as kTransitionBase + m
  kRise = 33,
  kDrop = 34,
  kSlideRight = 35,
  kSlideLeft = 36,
  kZoomIn = 37,
  kPanUp = 38,
  kPanDown = 39,
  kSwap = 40,
  kFlashing = 41,  // kFlashing + the flash operand
  kShaking = 48,   // kShaking + the shake operand (0 or 1)
  kShakingToo = 49,
  kChoiceOpen = 50,  // a choice window waits for the player
};

// True for a byte that starts an instruction.
constexpr bool isInstruction(int byte) {
  return byte >= kFirstOp && byte <= kLastOp && byte != 0x82 && byte != 0x94;
}

// True for a phase below 0x80 that the interpreter has a step for.
constexpr bool isStatePhase(int v) {
  return (v >= kSeek && v <= kFetch) || (v >= kFadeToBlack && v <= kWindowClosing) ||
         (v >= kTyping && v <= kFlashing) || (v >= kShaking && v <= kChoiceOpen);
}

// True where the story stands still until the player acts.
constexpr bool isWaitingPhase(int v) { return v == kMessageWait || v == kChoiceOpen; }

}  // namespace scenario
