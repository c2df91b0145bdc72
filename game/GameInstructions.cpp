// The interpreter's instructions that take operands, message typing, image
// transitions and the face animation.
#include <algorithm>
#include <cstdio>
#include <string>

#include "game/Game.h"
#include "game/ScenarioCode.h"
#include "shell/Key.h"

using namespace scenario;

namespace {

// "【" and "】" in Shift-JIS.
constexpr char kOpenBracket[] = "\x81\x79";
constexpr char kCloseBracket[] = "\x81\x7A";
// An inline name is cut so that its bracketed line (4 bytes more) fits a
// 255-byte text line.
constexpr int kInlineNameCap = 252;
constexpr int kItemCap = 50;
constexpr int kMaxItems = 6;
constexpr int kTypingUnits = 8;

}  // namespace

void Game::speakerName() {
  GameStepState& st = stepState();
  const int n = readByte();
  char tmpname[256] = "";
  const char* name = "";
  if (n == 255) {
    readString(tmpname, kInlineNameCap);
    name = tmpname;
  } else if (n >= 1 && n <= maxChar) {
    name = defaultname[static_cast<size_t>(n - 1)].data();
  }
  // Any other speaker number shows an empty bracket pair.
  if (eof) {
    stop();
    return;
  }
  st.num = n;
  const std::string charname = std::string(kOpenBracket) + name + kCloseBracket;
  ensureOpenWindow();
  text->clear();
  text->println(charname.c_str());
  phase = kFetch;
}

// A window made on demand appears at full size at once.
void Game::ensureOpenWindow() {
  if (text) return;
  text = std::make_unique<Text>();
  for (int i = 0; i < 64 && !text->open(); ++i) {
  }
}

void Game::choice(Sound* se) {
  if (se) se->play(11);
  const int n = readByte();
  char discard[kItemCap];
  for (int i = 0; i < n && !eof; ++i) readString(i < kMaxItems ? item[i] : discard, kItemCap);
  if (eof) {
    stop();
    return;
  }
  // Items past the sixth were read and are dropped.
  char* items[kMaxItems];
  for (int i = 0; i < kMaxItems; ++i) items[i] = item[i];
  select = std::make_unique<SelectWindow>(std::min(n, kMaxItems), items);
  phase = kChoiceOpen;
}

void Game::choosing(Sound* se) {
  GameStepState& st = stepState();
  if (!select) {
    phase = kFetch;
    return;
  }
  if (newlyPressed(st.key, KEY_UP)) {
    if (select->up() && se) se->play(2);
  } else if (newlyPressed(st.key, KEY_DOWN)) {
    if (select->down() && se) se->play(2);
  } else if (newlyPressed(st.key, KEY_DECIDE)) {
    st.result = select->decide();
    if (se) se->play(1);
    select.reset();
    phase = kFetch;
  }
}

// A missing link row or entry is reported with the number of the chart that
// branches.
void Game::branch() {
  GameStepState& st = stepState();
  const int c = readByte();
  if (eof) {
    stop();
    return;
  }
  if (c == 0) st.result = 0;
  const int from = chart;
  const int row = chart != 0 ? chart - 1 : 0;
  const long index = static_cast<long>(row) * 6 + st.result;
  if (row < 0 || st.result < 0 || st.result >= 6 || index >= static_cast<long>(linkTable.size()) ||
      linkTable[static_cast<size_t>(index)] < 0) {
    chartError(from);
    return;
  }
  chart = static_cast<int>(linkTable[static_cast<size_t>(index)]);
  phase = kSeek;
}

void Game::voiceBank() {
  GameStepState& st = stepState();
  int b[4];
  for (int& v : b) v = readByte();
  if (eof) {
    stop();
    return;
  }
  for (int i = 0; i < 3; ++i) st.pcmname[2 + i] = static_cast<char>(b[i]);
  voice.reset();
  voice = std::make_unique<Sound>(1, st.pcmname, 0);
  st.voicenum = 0;
  playNextVoice();
  phase = kFetch;
}

void Game::playNextVoice() {
  GameStepState& st = stepState();
  if (!voice) return;
  voice->playVoice(st.voicenum);
  ++st.voicenum;
}

void Game::faceInstruction() {
  GameStepState& st = stepState();
  const int a = readByte();
  const int b = readByte();
  if (eof) {
    stop();
    return;
  }
  if (a != st.old_face) face_site = face_site ? 0 : 1;
  st.old_face = a;
  if (b == 0) {
    phase = kFaceLeaving;
    return;
  }
  face.reset();
  // Both operands are bytes, so the longest name is "FACE255254.PF1".
  std::snprintf(st.facename, sizeof st.facename, "FACE%02d%02d.PF1", a & 0xFF, (b - 1) & 0xFF);
  face = std::make_unique<Face>(4, st.facename);
  size = 8;
  theta = 240;
  eyes = 0;
  mouth = 0;
  phase = kFaceAppearing;
}

void Game::imageChange() {
  GameStepState& st = stepState();
  const int m = readByte();
  int name[5];
  for (int& v : name) v = readByte();
  if (eof) {
    stop();
    return;
  }
  if (m != 0) oldPf = std::move(pf);
  else pf.reset();
  for (int i = 0; i < 4; ++i) st.pfname[i] = static_cast<char>(name[i]);
  pf = std::make_unique<Pf1>(3, st.pfname);
  scrX = scrY = 0;
  zoom = 0;
  apearmode = m;
  phase = m != 0 ? m + kTransitionBase : kFetch;
}

// A message with no window shows one at full size, as a speaker name does.
// The end of the file inside a message stops the story.
void Game::typing() {
  ensureOpenWindow();
  for (int unit = 0; unit < kTypingUnits; ++unit) {
    const int c = readByte();
    if (c < 0) {
      stop();
      return;
    }
    if (c == 0) {
      phase = kMessageWait;
      return;
    }
    if (c > 0x80 || c == 0x5C) {
      const int d = readByte();
      if (d < 0) {
        stop();
        return;
      }
      if (c == 0x5C && d == 0x6E) {
        text->nextLine();
      } else if (c == 0x5C && d == 0x63) {
        text->clear();
      } else {
        text->print(c);
        text->print(d);
      }
    } else {
      text->print(c);
    }
  }
}

void Game::endTransition() {
  oldPf.reset();
  phase = kFetch;
}

// Counters compare with <= and >= so that a transition entered with counters
// left by another effect still ends.
void Game::transition() {
  switch (phase) {
    case kRise:
      if (scrY <= 0) scrY = 240;
      scrY -= 4;
      if (scrY <= 0) endTransition();
      break;
    case kDrop:
      scrY += 4;
      if (scrY >= 240) endTransition();
      break;
    case kSlideRight:
      scrX += 5;
      if (scrX >= 320) endTransition();
      break;
    case kSlideLeft:
      if (scrX <= 0) scrX = 320;
      scrX -= 5;
      if (scrX <= 0) endTransition();
      break;
    case kZoomIn:
      if (zoom < 100) zoom = std::min(zoom + 6, 100);
      else endTransition();
      break;
    case kPanUp:
      if (fade < 64) {
        ++fade;
        scrY = 240;
      } else {
        if (scrY <= 0) scrY = 240;
        if (--scrY <= 0) endTransition();
      }
      break;
    case kPanDown:
      if (fade < 64) {
        ++fade;
        scrY = 0;
      } else if (++scrY >= 240) {
        endTransition();
      }
      break;
    default:
      endTransition();
      break;
  }
}

void Game::animateFace() {
  if (++eyesstate > 420) eyesstate = 0;
  switch (eyesstate) {
    case 0: case 30: case 170: case 240: case 310: case 380:
      eyes = 0;
      break;
    case 10: case 150: case 220: case 290:
      eyes = 1;
      break;
    case 20: case 160: case 230: case 300:
      eyes = 2;
      break;
    default:
      break;
  }
  if ((voice && voice->check()) || mouth != 0) ++mouthstate;
  if (mouthstate > 230) mouthstate = 0;
  switch (mouthstate) {
    case 0: case 30: case 60: case 110: case 160: case 210:
      mouth = 0;
      break;
    case 10: case 40: case 90: case 140: case 190:
      mouth = 1;
      break;
    case 20: case 50: case 100: case 150: case 200:
      mouth = 2;
      break;
    default:
      break;
  }
}
