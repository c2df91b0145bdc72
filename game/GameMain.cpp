// The scenario interpreter: one step of Game::main.
#include <cstdio>

#include "game/Game.h"
#include "game/ScenarioCode.h"
#include "platform/Notice.h"
#include "shell/Key.h"

using namespace scenario;

namespace {

GameStepState g_step;

}  // namespace

GameStepState& Game::stepState() { return g_step; }

void Game::resetStepState() { g_step = GameStepState{}; }

int Game::main(Sound* se) {
  keyEdge(g_step.key);
  if (phase == kStopped) return -1;
  eof = false;
  step(se);
  if (face) animateFace();
  return 0;
}

void Game::step(Sound* se) {
  int& wait = g_step.wait;
  switch (phase) {
    case kSeek:
      seekChart();
      if (phase == kSeek) fetch();
      return;
    case kFetch:
      fetch();
      return;
    case kFadeToBlack:
      if (fade > 0) --fade;
      else phase = kFetch;
      return;
    case kFadeToNormal:
      if (fade < 64) ++fade;
      else phase = kFetch;
      return;
    case kFadeToWhite:
      if (fade < 127) ++fade;
      else phase = kFetch;
      return;
    case kFadeFromWhite:
      if (fade > 64) --fade;
      else phase = kFetch;
      return;
    case kTimedWait:
      if (wait > 0) --wait;
      else phase = kFetch;
      return;
    case kMessageWait:
      if (newlyPressed(g_step.key, KEY_DECIDE)) {
        if (se) se->play(1);
        phase = kFetch;
      }
      return;
    case kFaceAppearing:
      // Reached only through 0x8C in a sound script, which starts at size 8;
      // ">=" keeps any other entry from growing without end.
      if (size >= 128) {
        size = 128;
        phase = kFetch;
      } else {
        size += 10;
        theta -= 20;
      }
      return;
    case kFaceLeaving:
      size -= 10;
      theta += 20;
      if (size < 0) {
        size = 0;
        face.reset();
        phase = kFetch;
      }
      return;
    case kWindowOpening:
      if (!text || text->open()) phase = kFetch;
      return;
    case kWindowClosing:
      if (!text) {
        phase = kFetch;
      } else if (text->close()) {
        text.reset();
        phase = kFetch;
      }
      return;
    case kTyping:
      typing();
      return;
    case kRise: case kDrop: case kSlideRight: case kSlideLeft: case kZoomIn: case kPanUp: case kPanDown: case kSwap:
      transition();
      return;
    case kFlashing: {
      const int t = wait++;
      if (t == 0 || t == 8) fade = 127;
      else if (t == 4 || t == 12) fade = 64;
      else if (t >= 13) phase = kFetch;
      return;
    }
    case kShaking:
    case kShakingToo:
      ++wait;
      scrX = scrX == 0 ? 5 : -scrX;
      if (wait > 100) {
        scrX = 0;
        scroll = 0;
        phase = kFetch;
      }
      return;
    case kChoiceOpen:
      choosing(se);
      return;
    default:
      if (isInstruction(phase)) execute(se);
      else chartError(phase);
      return;
  }
}

// ---------------------------------------------------------------- reading

int Game::readByte() {
  if (eof) return -1;
  int c = fp ? std::fgetc(fp.get()) : EOF;
  if (c == EOF) {
    eof = true;
    return -1;
  }
  return c;
}

void Game::readString(char* out, int cap) {
  int len = 0;
  bool full = false;  // a character did not fit: the rest is read and dropped
  for (;;) {
    const int c = readByte();
    if (c <= 0) break;  // the NUL, or the end of the file
    const int t = c < 0x80 ? 0 : readByte();
    if (t < 0) break;
    // A lead byte right before the NUL is kept alone (the font draws nothing
    // for it, the choice window's width counts it); the NUL still ends the string.
    const int n = c < 0x80 || t == 0 ? 1 : 2;
    if (!full && len + n < cap) {
      out[len++] = static_cast<char>(c);
      if (n == 2) out[len++] = static_cast<char>(t);
    } else {
      full = true;
    }
    if (c >= 0x80 && t == 0) break;
  }
  out[len] = '\0';
}

// ---------------------------------------------------------------- control

void Game::stop() { phase = kStopped; }

void Game::chartError(int value) {
  char mbox[256];
  std::snprintf(mbox, sizeof mbox, "CHART ERROR 0x%02X", static_cast<unsigned>(value));
  platform::showNotice("ERROR", mbox);
  phase = kStopped;
}

// A chart outside the table, or one whose table entry points outside the
// file, cannot be played: reported like any other broken chart.
void Game::seekChart() {
  if (chart < 0 || static_cast<size_t>(chart) >= chartTable.size()) {
    chartError(chart);
    return;
  }
  const long offset = chartTable[static_cast<size_t>(chart)];
  if (offset < 0 || offset > fileSize || std::fseek(fp.get(), offset, SEEK_SET) != 0) {
    chartError(chart);
    return;
  }
}

void Game::fetch() {
  fetchedAt = fp ? std::ftell(fp.get()) : -1;
  int c = readByte();
  if (c < 0) {
    stop();
    return;
  }
  phase = c;
  // Bytes outside the phase table are reported when they are executed.
}

void Game::execute(Sound* se) {
  const int op = phase;
  int next = kFetch;
  switch (op) {
    case kSpeaker:
      speakerName();
      return;
    case kMessage:
      next = kTyping;
      break;
    case kBranch:
      branch();
      return;
    case kChoice:
      choice(se);
      return;
    case kWindowOpen:
      text = std::make_unique<Text>();
      next = kWindowOpening;
      break;
    case kWindowClose:
      next = kWindowClosing;
      break;
    case kVoiceBank:
      voiceBank();
      return;
    case kVoiceNext:
    case kVoiceNext5:
      for (int i = 0; op == kVoiceNext5 && i < 5; ++i) readByte();
      if (eof) break;
      playNextVoice();
      break;
    case kNop8A:
    case kNop92:
      readByte();
      break;
    case kNop89:
    case kNop8B:
      break;
    case kFace:
      faceInstruction();
      return;
    case kImage:
      imageChange();
      return;
    case kImageRemove:
      pf.reset();
      break;
    case kShake: {
      const int s = readByte();
      if (eof) break;
      g_step.wait = 0;
      scroll = 1;
      scrX = scrY = 0;
      next = s + kShaking;
      break;
    }
    case kFade:
      next = readByte() + kFadeToBlack;
      break;
    case kFlash:
      next = readByte() + kFlashing;
      if (!eof) g_step.wait = 0;
      break;
    case kWait: {
      const int t = readByte();
      if (!eof) g_step.wait = t;
      next = kTimedWait;
      break;
    }
    default:
      chartError(op);
      return;
  }
  phase = eof ? kStopped : next;
}
