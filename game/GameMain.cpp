// The scenario interpreter: one step of Game::main.
#include <cstdio>

#include "game/Game.h"
#include "platform/Notice.h"
#include "shell/Key.h"

namespace {

GameStepState g_step;

}  // namespace

GameStepState& Game::stepState() { return g_step; }

void Game::resetStepState() { g_step = GameStepState{}; }

int Game::main(Sound* se) {
  keyEdge(g_step.key);
  if (phase == -1) return -1;
  eof = false;
  step(se);
  if (face) animateFace();
  return 0;
}

void Game::step(Sound* se) {
  int& wait = g_step.wait;
  switch (phase) {
    case 0:
      seekChart();
      if (phase == 0) fetch();
      return;
    case 1:
      fetch();
      return;
    case 16:
      if (fade > 0) --fade;
      else phase = 1;
      return;
    case 17:
      if (fade < 64) ++fade;
      else phase = 1;
      return;
    case 18:
      if (fade < 127) ++fade;
      else phase = 1;
      return;
    case 19:
      if (fade > 64) --fade;
      else phase = 1;
      return;
    case 20:
      if (wait > 0) --wait;
      else phase = 1;
      return;
    case 21:
      if (newlyPressed(g_step.key, KEY_DECIDE)) {
        if (se) se->play(1);
        phase = 1;
      }
      return;
    case 22:
      // Reached only through 0x8C in a sound script, which starts at size 8;
      // ">=" keeps any other entry from growing without end.
      if (size >= 128) {
        size = 128;
        phase = 1;
      } else {
        size += 10;
        theta -= 20;
      }
      return;
    case 23:
      size -= 10;
      theta += 20;
      if (size < 0) {
        size = 0;
        face.reset();
        phase = 1;
      }
      return;
    case 24:
      if (!text || text->open()) phase = 1;
      return;
    case 25:
      if (!text) {
        phase = 1;
      } else if (text->close()) {
        text.reset();
        phase = 1;
      }
      return;
    case 32:
      typing();
      return;
    case 33: case 34: case 35: case 36: case 37: case 38: case 39: case 40:
      transition();
      return;
    case 41: {
      const int t = wait++;
      if (t == 0 || t == 8) fade = 127;
      else if (t == 4 || t == 12) fade = 64;
      else if (t >= 13) phase = 1;
      return;
    }
    case 48:
    case 49:
      ++wait;
      scrX = scrX == 0 ? 5 : -scrX;
      if (wait > 100) {
        scrX = 0;
        scroll = 0;
        phase = 1;
      }
      return;
    case 50:
      choosing(se);
      return;
    default:
      if (phase >= 0x80 && phase <= 0x95 && phase != 0x82 && phase != 0x94) execute(se);
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

void Game::stop() { phase = -1; }

void Game::chartError(int value) {
  char mbox[256];
  std::snprintf(mbox, sizeof mbox, "CHART ERROR 0x%02X", static_cast<unsigned>(value));
  platform::showNotice("ERROR", mbox);
  phase = -1;
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
  int next = 1;
  switch (op) {
    case 0x80:
      speakerName();
      return;
    case 0x81:
      next = 32;
      break;
    case 0x83:
      branch();
      return;
    case 0x84:
      choice(se);
      return;
    case 0x85:
      text = std::make_unique<Text>();
      next = 24;
      break;
    case 0x86:
      next = 25;
      break;
    case 0x87:
      voiceBank();
      return;
    case 0x88:
    case 0x95:
      for (int i = 0; op == 0x95 && i < 5; ++i) readByte();
      if (eof) break;
      playNextVoice();
      break;
    case 0x8A:
    case 0x92:
      readByte();
      break;
    case 0x89:
    case 0x8B:
      break;
    case 0x8C:
      faceInstruction();
      return;
    case 0x8D:
      imageChange();
      return;
    case 0x8E:
      pf.reset();
      break;
    case 0x8F: {
      const int s = readByte();
      if (eof) break;
      g_step.wait = 0;
      scroll = 1;
      scrX = scrY = 0;
      next = s + 48;
      break;
    }
    case 0x90:
      next = readByte() + 16;
      break;
    case 0x91:
      next = readByte() + 41;
      if (!eof) g_step.wait = 0;
      break;
    case 0x93: {
      const int t = readByte();
      if (!eof) g_step.wait = t;
      next = 20;
      break;
    }
    default:
      chartError(op);
      return;
  }
  phase = eof ? -1 : next;
}
