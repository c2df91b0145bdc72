#include "save/StorySnapshot.h"

#include <cstring>
#include <memory>

#include "game/ScenarioCode.h"
#include "save/StateCodec.h"
#include "save/StoryState.h"
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

// The classes whose members a snapshot mirrors: a member added to one of them
// changes its size and stops the build here until the state description
// (StoryState.h) handles it and the size below is brought up to date.
#if defined(__x86_64__) && defined(__GLIBCXX__) && defined(__linux__)
static_assert(sizeof(Game) == 616, "Game changed: describe the new member in save/StoryState.h");
static_assert(sizeof(Text) == 816, "Text changed: describe the new member in save/StoryState.h");
static_assert(sizeof(SelectWindow) == 376, "SelectWindow changed: describe the new member in save/StoryState.h");
#endif

namespace {

// Checks every value against the range the story keeps it in.
struct RangeCheck {
  bool ok = true;
  template <class T>
  void number(const T& v, long lo, long hi) {
    ok = ok && static_cast<long>(v) >= lo && static_cast<long>(v) <= hi;
  }
  void wide(const long& v, long lo, long hi) { number(v, lo, hi); }
  void word(const uint32_t&) {}
  void flag(const bool&) {}
  void text(const std::string& s, size_t cap) { ok = ok && s.size() <= cap && s.find('\0') == std::string::npos; }
  template <size_t N>
  void name(const char (&n)[N]) {
    ok = ok && std::memchr(n, 0, N) != nullptr;
  }
};

// The clip band is the window's own (none before its first opening step).
bool textBandFits(const TextState& t) {
  return (t.left == 160 - t.width && t.right == 160 + t.width) || (t.left == 0 && t.right == 0);
}

bool choiceFits(const ChoiceState& c) {
  return c.max >= 1 && c.pos <= c.max - 1 && c.select == c.dispPos + c.pos && c.select < c.max;
}

void copyOut(std::string& to, const char* from, size_t cap) { to.assign(from, strnlen(from, cap)); }

void copyIn(char* to, size_t cap, const std::string& from) {
  std::memset(to, 0, cap);
  std::memcpy(to, from.data(), std::min(from.size(), cap - 1));
}

}  // namespace

bool StorySnapshot::operator==(const StorySnapshot& o) const { return encodeState(*this) == encodeState(o); }

bool atWaitingMoment(const LmPlayer& player) {
  const Game* g = player.game.get();
  if (player.phase != kSceneGame || !g || g->oldPf) return false;
  return g->phase == kMessageWait || (g->phase == kChoiceOpen && g->select);
}

bool capture(const LmPlayer& player, StorySnapshot& out) {
  if (!atWaitingMoment(player)) return false;
  const Game& g = *player.game;
  StorySnapshot s;
  pairGame(g, s.game, [](const int& member, int& value) { value = member; });
  for (int i = 0; i < 6; ++i) copyOut(s.item[i], g.item[i], sizeof g.item[i]);
  s.streamPos = g.fp ? std::ftell(g.fp.get()) : 0;
  s.hasPicture = g.pf != nullptr;
  s.hasFace = g.face != nullptr;
  s.hasVoice = g.voice != nullptr;
  if (g.text) {
    s.hasText = true;
    pairText(*g.text, s.text, [](const int& member, int& value) { value = member; });
    for (int i = 0; i < 3; ++i) copyOut(s.text.lines[i], g.text->data[i], 256);
  }
  if (g.select) {
    const SelectWindow& w = *g.select;
    s.hasChoice = true;
    s.choice = ChoiceState{w.max, w.pos, w.dispPos, w.select, {}};
    for (int i = 0; i < w.max && i < 6; ++i)
      if (w.item[i]) copyOut(s.choice.items[i], w.item[i], 50);
  }
  s.step = Game::stepState();
  captureSound(player, s);
  out = std::move(s);
  return true;
}

namespace {

// The clip `bank` started last on mixer channel `ch`, if it still sounds there.
ClipState soundOn(const Sound* bank, int clip, int ch) {
  const long left = soundLeft(ch);
  if (!bank || clip < 0 || static_cast<size_t>(clip) >= bank->size.size() || left < 0) return {};
  const int64_t offset = static_cast<int64_t>(bank->size[static_cast<size_t>(clip)]) - left;
  if (offset < 0 || offset > INT32_MAX) return {};
  return ClipState{true, clip, static_cast<int32_t>(offset)};
}

// Starts `c` again on its channel and moves it on to where it was.
void resume(Sound* bank, const ClipState& c, bool voice) {
  if (!bank || !c.sounding) return;
  if (voice) bank->playVoice(c.clip);
  else bank->play(c.clip);
  skipSound(voice ? kVoiceChannel : bank->channel, c.offset);
}

}  // namespace

void captureSound(const LmPlayer& player, StorySnapshot& s) {
  const Game* g = player.game.get();
  const Sound* voice = g ? g->voice.get() : nullptr;
  s.voice = soundOn(voice, voice ? voice->lastVoice : -1, kVoiceChannel);
  const Sound* se = player.se.get();
  s.systemSound = soundOn(se, se ? se->lastPlay : -1, se ? se->channel : 0);
}

bool plausible(const StorySnapshot& s, std::string& why) {
  auto fail = [&](const char* what) {
    why = what;
    return false;
  };
  RangeCheck range;
  visit(range, s);
  if (!range.ok) return fail("values out of range");
  if (!isWaitingPhase(s.game.phase)) return fail("not a waiting moment");
  if (s.game.phase == kChoiceOpen && !s.hasChoice) return fail("a choice without its window");
  if (s.hasText && !textBandFits(s.text)) return fail("text window out of range");
  if (s.hasChoice && !choiceFits(s.choice)) return fail("choice cursor out of range");
  if (s.voice.sounding && !s.hasVoice) return fail("a voice without its bank");
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
  if (static_cast<size_t>(s.game.chart) >= g->chartTable.size() || s.streamPos > size ||
      std::fseek(g->fp.get(), s.streamPos, SEEK_SET) != 0) {
    why = "the position lies outside this story";
    return false;
  }
  pairGame(*g, s.game, [](int& member, const int& value) { member = value; });
  for (int i = 0; i < 6; ++i) copyIn(g->item[i], sizeof g->item[i], s.item[i]);
  const GameStepState& st = s.step;
  if (s.hasPicture) g->pf = std::make_unique<Pf1>(3, st.pfname);
  if (s.hasFace) g->face = std::make_unique<Face>(4, st.facename);
  if (s.hasVoice) g->voice = std::make_unique<Sound>(1, st.pcmname, 0);
  if (s.hasText) {
    g->text = std::make_unique<Text>();
    pairText(*g->text, s.text, [](int& member, const int& value) { member = value; });
    for (int i = 0; i < 3; ++i) copyIn(g->text->data[i], 256, s.text.lines[i]);
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

  // What played before the restored moment does not go on; its voice does.
  ZEPL_StopSound(0);
  for (int ch = 1; ch < 8; ++ch) ZEPL_StopSound(ch);
  stopVoice();
  player.opening.reset();
  player.title.reset();
  player.select.reset();
  player.game = std::move(g);
  player.phase = kSceneGame;
  Game::stepState() = st;
  resume(player.game->voice.get(), s.voice, true);
  resume(player.se.get(), s.systemSound, false);
  dropMixedSound();
  return true;
}

}  // namespace save
