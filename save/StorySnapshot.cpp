#include "save/StorySnapshot.h"

#include <cstring>
#include <memory>

#include "game/ScenarioCode.h"
#include "scenes/LmPlayer.h"
#include "scenes/Opening.h"
#include "scenes/Scene.h"
#include "scenes/Select.h"
#include "scenes/Title.h"
#include "shell/FileUtils.h"
#include "sound/MixControl.h"
#include "sound/zepl.h"

namespace save {

using namespace scenario;

namespace {

bool inRange(long v, long lo, long hi) { return v >= lo && v <= hi; }

// A NUL-terminated name that fits its buffer.
template <size_t N>
bool terminated(const char (&name)[N]) {
  return std::memchr(name, 0, N) != nullptr;
}

bool plainText(const std::string& s, size_t cap) { return s.size() < cap && s.find('\0') == std::string::npos; }

}  // namespace

bool atWaitingMoment(const LmPlayer& player) {
  const Game* g = player.game.get();
  if (player.phase != kSceneGame || !g || g->oldPf) return false;
  return g->phase == kMessageWait || (g->phase == kChoiceOpen && g->select);
}

bool capture(const LmPlayer& player, StorySnapshot& out) {
  if (!atWaitingMoment(player)) return false;
  const Game& g = *player.game;
  StorySnapshot s;
  s.phase = g.phase;
  s.eyesstate = g.eyesstate;
  s.mouthstate = g.mouthstate;
  s.face_site = g.face_site;
  s.eyes = g.eyes;
  s.mouth = g.mouth;
  s.chart = g.chart;
  s.fade = g.fade;
  s.theta = g.theta;
  s.size = g.size;
  s.scrX = g.scrX;
  s.scrY = g.scrY;
  s.zoom = g.zoom;
  s.apearmode = g.apearmode;
  s.scroll = g.scroll;
  for (int i = 0; i < 6; ++i) s.item[i].assign(g.item[i], strnlen(g.item[i], sizeof g.item[i]));
  s.streamPos = g.fp ? std::ftell(g.fp.get()) : 0;
  s.hasPicture = g.pf != nullptr;
  s.hasFace = g.face != nullptr;
  s.hasVoice = g.voice != nullptr;
  if (g.text) {
    const Text& t = *g.text;
    s.hasText = true;
    s.text = TextState{t.line, t.row, t.width, t.height, t.left, t.right, {}};
    for (int i = 0; i < 3; ++i) s.text.lines[i].assign(t.data[i], strnlen(t.data[i], 256));
  }
  if (g.select) {
    const SelectWindow& w = *g.select;
    s.hasChoice = true;
    s.choice = ChoiceState{w.max, w.pos, w.dispPos, w.select, {}};
    for (int i = 0; i < w.max && i < 6; ++i)
      if (w.item[i]) s.choice.items[i].assign(w.item[i], strnlen(w.item[i], 50));
  }
  s.step = Game::stepState();
  out = std::move(s);
  return true;
}

bool plausible(const StorySnapshot& s, std::string& why) {
  auto fail = [&](const char* what) {
    why = what;
    return false;
  };
  if (s.phase != kMessageWait && s.phase != kChoiceOpen) return fail("not a waiting moment");
  if (s.phase == kChoiceOpen && !s.hasChoice) return fail("a choice without its window");
  if (!inRange(s.eyesstate, 0, 420) || !inRange(s.mouthstate, 0, 230) || !inRange(s.eyes, 0, 2) ||
      !inRange(s.mouth, 0, 2) || !inRange(s.face_site, 0, 1))
    return fail("face animation out of range");
  if (!inRange(s.fade, 0, 127) || !inRange(s.size, -10, 138) || !inRange(s.theta, -4096, 4096) ||
      !inRange(s.scrX, -640, 640) || !inRange(s.scrY, -480, 480) || !inRange(s.zoom, 0, 100) ||
      !inRange(s.apearmode, 0, 255) || !inRange(s.scroll, 0, 1))
    return fail("screen values out of range");
  if (s.chart < 0 || s.streamPos < 0) return fail("story position out of range");
  for (const std::string& it : s.item)
    if (!plainText(it, 50)) return fail("choice text too long");
  if (s.hasText) {
    const TextState& t = s.text;
    if (!inRange(t.line, 0, 2) || !inRange(t.row, 0, 255) || !inRange(t.width, -6, 150) ||
        !inRange(t.height, 0, 27))
      return fail("text window out of range");
    // The clip band is the window's own (none before its first opening step).
    if (!(t.left == 160 - t.width && t.right == 160 + t.width) && !(t.left == 0 && t.right == 0))
      return fail("text window out of range");
    for (const std::string& l : t.lines)
      if (!plainText(l, 256)) return fail("text line too long");
  }
  if (s.hasChoice) {
    const ChoiceState& c = s.choice;
    if (!inRange(c.max, 1, 6) || !inRange(c.pos, 0, 2) || c.pos > c.max - 1 || c.dispPos < 0 ||
        c.select != c.dispPos + c.pos || c.select >= c.max)
      return fail("choice cursor out of range");
    for (int i = 0; i < 6; ++i)
      if (!plainText(c.items[i], 50)) return fail("choice item too long");
  }
  const GameStepState& st = s.step;
  if (!terminated(st.pfname) || !terminated(st.pcmname) || !terminated(st.facename))
    return fail("file name not terminated");
  if (!inRange(st.wait, 0, 100000) || !inRange(st.voicenum, 0, 1000000) || !inRange(st.result, 0, 5) ||
      !inRange(st.old_face, -1, 255) || !inRange(st.num, 0, 255))
    return fail("interpreter values out of range");
  return true;
}

bool restore(LmPlayer& player, const StorySnapshot& s, std::string& why) {
  if (!plausible(s, why)) return false;
  auto g = std::make_unique<Game>();
  if (g->phase == kStopped || !g->fp) {
    why = "the story's data files cannot be read";
    return false;
  }
  const long size = fsize(g->fp.get());
  if (static_cast<size_t>(s.chart) >= g->chartTable.size() || s.streamPos > size ||
      std::fseek(g->fp.get(), s.streamPos, SEEK_SET) != 0) {
    why = "the position lies outside this story";
    return false;
  }
  g->phase = s.phase;
  g->eyesstate = s.eyesstate;
  g->mouthstate = s.mouthstate;
  g->face_site = s.face_site;
  g->eyes = s.eyes;
  g->mouth = s.mouth;
  g->chart = s.chart;
  g->fade = s.fade;
  g->theta = s.theta;
  g->size = s.size;
  g->scrX = s.scrX;
  g->scrY = s.scrY;
  g->zoom = s.zoom;
  g->apearmode = s.apearmode;
  g->scroll = s.scroll;
  for (int i = 0; i < 6; ++i) {
    std::memset(g->item[i], 0, sizeof g->item[i]);
    std::memcpy(g->item[i], s.item[i].data(), s.item[i].size());
  }
  const GameStepState& st = s.step;
  if (s.hasPicture) g->pf = std::make_unique<Pf1>(3, st.pfname);
  if (s.hasFace) g->face = std::make_unique<Face>(4, st.facename);
  if (s.hasVoice) g->voice = std::make_unique<Sound>(1, st.pcmname, 0);
  if (s.hasText) {
    g->text = std::make_unique<Text>();
    Text& t = *g->text;
    t.line = s.text.line;
    t.row = s.text.row;
    t.width = s.text.width;
    t.height = s.text.height;
    t.left = s.text.left;
    t.right = s.text.right;
    for (int i = 0; i < 3; ++i) {
      std::memset(t.data[i], 0, 256);
      std::memcpy(t.data[i], s.text.lines[i].data(), s.text.lines[i].size());
    }
  }
  if (s.hasChoice) {
    std::array<std::string, 6> items = s.choice.items;
    char* ptrs[6];
    for (int i = 0; i < 6; ++i) ptrs[i] = items[i].data();
    g->select = std::make_unique<SelectWindow>(s.choice.max, ptrs);
    SelectWindow& w = *g->select;
    w.pos = s.choice.pos;
    w.dispPos = s.choice.dispPos;
    w.select = s.choice.select;  // its size and clip band follow from the items, as when it opened
  }

  // What played before the restored moment does not go on.
  ZEPL_StopSound(0);
  for (int ch = 1; ch < 8; ++ch) ZEPL_StopSound(ch);
  stopVoice();
  player.opening.reset();
  player.title.reset();
  player.select.reset();
  player.game = std::move(g);
  player.phase = kSceneGame;
  Game::stepState() = st;
  return true;
}

}  // namespace save
