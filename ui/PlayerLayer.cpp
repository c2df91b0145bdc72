#include "ui/PlayerLayer.h"

#include <cstdio>

#include "game/Game.h"
#include "game/ScenarioCode.h"
#include "graphics/graphicDevice.h"
#include "scenes/LmPlayer.h"
#include "scenes/Scene.h"
#include "scenes/SystemSound.h"
#include "shell/Key.h"
#include "sound/MixControl.h"
#include "sound/zepl.h"
#include "ui/Backlog.h"
#include "ui/Canvas.h"
#include "ui/StoryInput.h"

namespace ui {

using namespace scenario;

namespace {

MixLevels levelsOf(const settings::Settings& s) {
  MixLevels l;
  l.master = s.masterVolume;
  l.voice = s.voiceVolume;
  l.effect = s.effectVolume;
  l.mute = s.mute;
  return l;
}

bool isCursorKey(unsigned vk) {
  return vk == VK_UP || vk == VK_DOWN || vk == VK_NUMPAD8 || vk == VK_NUMPAD2;
}

}  // namespace

// The scene machine the frame loop owns: a new LmPlayer, stepped and drawn
// through the layer.
class PlayerLayer::Machine : public loop::SceneMachine {
 public:
  explicit Machine(PlayerLayer& layer) : layer_(layer), player_(std::make_unique<LmPlayer>()) {
    layer_.attach(player_.get());
  }
  ~Machine() override { layer_.detach(); }
  int main() override { return layer_.step(); }
  void draw(ZegDevice* zeg) override { layer_.draw(zeg); }
  void stepDone() override { layer_.stepDone(); }
  LmPlayer* player() override { return player_.get(); }

 private:
  PlayerLayer& layer_;
  std::unique_ptr<LmPlayer> player_;
};

PlayerLayer::PlayerLayer(Environment env)
    : env_(std::move(env)), input_(env_.input ? *env_.input : keyStateInput()), saves_(env_, history_, *this) {
  setMixLevels(levelsOf(env_.settings));
  pauseVoice(false);
}

PlayerLayer::~PlayerLayer() { saves_.persist(); }

std::unique_ptr<loop::SceneMachine> PlayerLayer::makeMachine() { return std::make_unique<Machine>(*this); }

// A new LmPlayer (the run's first, or one started afresh when the story's
// files changed): moments recorded in an earlier one do not belong to it, and
// changed files may make another story with saves and read marks of its own.
void PlayerLayer::attach(LmPlayer* player) {
  if (attached_++ > 0) saves_.followStory();
  player_ = player;
  history_.forgetMoments();
  pendingDecide_ = false;
  pulse_ = lastPulse_ = 0;
  hoverTarget_ = -1;
}

void PlayerLayer::detach() {
  saves_.persist();
  overlays_.clear();
  pauseVoice(false);
  player_ = nullptr;
}

Game* PlayerLayer::game() const { return player_ && player_->phase == kSceneGame ? player_->game.get() : nullptr; }

bool PlayerLayer::inStory() const { return game() != nullptr; }

// ---------------------------------------------------------------- stepping

int PlayerLayer::step() {
  overlays_.step();
  capturedThisStep_ = false;
  if (!player_ || !overlays_.empty()) return LmPlayer::kStepMs;  // paused under a screen
  const int runs = pacing_.skipping() && inStory() ? kSkipStepsPerFrame : 1;
  for (int i = 0; i < runs; ++i) {
    innerStep();
    const Game* g = game();
    if (!pacing_.skipping() || !overlays_.empty() || (g && g->phase == kChoiceOpen)) break;
  }
  if (env_.continueAtStart) {  // after the first step: the scenes have started
    env_.continueAtStart = false;
    continueNow();
  }
  return LmPlayer::kStepMs;
}

void PlayerLayer::innerStep() {
  beforeInner();
  player_->main();
  afterInner();
}

// Presses, for this one step, the key the layer gives: Up or Down towards the
// choice item under the mouse, then Decide for a click; Decide at a finished
// message while skipping, or when the auto pause is over.
void PlayerLayer::beforeInner() {
  // The moment goes on from here: its sound as the mixer has it now.
  Moment* now = history_.currentMoment();
  if (history_.waiting() && now) save::captureSound(*player_, now->state);
  Game* g = game();
  int want = 0;
  bool forClick = false;
  if (g && g->phase == kChoiceOpen && g->select) {
    const int sel = g->select->select;
    if (hoverTarget_ == sel || hoverTarget_ >= g->select->max) hoverTarget_ = -1;
    if (hoverTarget_ >= 0) want = hoverTarget_ < sel ? KEY_UP : KEY_DOWN;
    else if (pendingDecide_) want = KEY_DECIDE, forClick = true;
  } else if (pendingDecide_) {
    want = KEY_DECIDE;
    forClick = true;
  } else if (g && g->phase == kMessageWait && pacing_.decideDue(env_.settings, LmPlayer::kStepMs)) {
    want = KEY_DECIDE;
  }
  // A key must be up for a step between two presses to count again.
  if (want & lastPulse_) want = 0;
  if (forClick && want) pendingDecide_ = false;
  pulse_ = want & ~input_.down();
  if (pulse_) input_.press(pulse_);
}

void PlayerLayer::afterInner() {
  if (pulse_) input_.release(pulse_);
  lastPulse_ = pulse_;
  pulse_ = 0;

  Game* g = game();
  if (g) history_.noteTyping(*g);
  const bool nowWaiting = player_ && save::atWaitingMoment(*player_);
  if (nowWaiting && !history_.waiting()) {
    if (g->phase == kMessageWait) messageShown(*g);
    else if (pacing_.skipping()) pacing_.stop();  // skipping stops at choices
  }
  history_.stepped(*player_, nowWaiting);
  capturedThisStep_ = nowWaiting;

  if (pacing_.autoMode() && g && g->phase == kMessageWait) pacing_.waitStep(ZEPL_Check(kVoiceChannel) != 0);
  if (pacing_.skipping() && g) stopVoice();  // voices are cut while skipping
}

// A message is fully shown: into the backlog, marked read, and skipping
// stops at one not read before.
void PlayerLayer::messageShown(Game& g) {
  const long end = history_.messageShown(g);
  pacing_.messageShown(characterCount(history_.backlog().back().text));
  const bool unread = end >= 0 && saves_.marks().mark(static_cast<uint32_t>(end));
  if (unread && pacing_.skipping() && env_.settings.skip == settings::SkipMode::ReadOnly) {
    pacing_.stop();
    toast(words().skipStopped);
  }
}

void PlayerLayer::stepDone() {
  Moment* now = history_.currentMoment();
  if (capturedThisStep_ && now && env_.capturePhase) now->state.timing = env_.capturePhase();
}

// ---------------------------------------------------------------- drawing

void PlayerLayer::draw(ZegDevice* zeg) {
  if (player_) player_->draw(zeg);
  Moment* now = history_.currentMoment();
  if (history_.waiting() && now && now->thumb.width == 0 && zeg && zeg->videoMemory)
    shrinkFrame(*zeg, save::Thumbnail::kWidth, save::Thumbnail::kHeight, now->thumb);
  // Nothing of the layer's own shows unless one of its features is in use.
  std::string marks;
  if (pacing_.skipping() && inStory()) marks = std::string(words().skip) + " >>";
  if (pacing_.autoMode()) marks += (marks.empty() ? "" : "  ") + std::string(words().autoMode);
  overlays_.draw(zeg, marks);
}

void PlayerLayer::windowAction(const std::string& what) {
  const std::string shot = "shot ";
  if (what.compare(0, shot.size(), shot) != 0) return;
  const size_t slash = what.find_last_of('/');
  toast(words().screenshot + what.substr(slash == std::string::npos || slash < shot.size() ? shot.size() : slash + 1));
}

// ---------------------------------------------------------------- input

void PlayerLayer::key(unsigned vk, bool down) {
  const bool repeat = down && held_.count(vk) != 0;
  if (down) held_.insert(vk);
  else held_.erase(vk);

  if (vk == VK_ESCAPE) {
    input_.key(vk, down);  // the Escape bit, as always
    if (down && !repeat) {
      if (overlays_.empty()) openMenu();
      else back();
    }
    return;
  }
  if (vk == VK_CONTROL) {
    pacing_.ctrl(down, repeat);
    return;
  }
  if (!down) {
    input_.key(vk, false);  // releases always reach the key state
    return;
  }
  if (vk == VK_M) {
    if (!repeat) toggleMute();
    return;
  }
  if (!overlays_.empty()) {
    overlays_.top().key(vk);
    return;
  }
  if (command(vk, repeat)) return;
  if (isCursorKey(vk)) hoverTarget_ = -1;  // the keyboard takes over the choice cursor
  input_.key(vk, true);
}

bool PlayerLayer::command(unsigned vk, bool repeat) {
  struct Command {
    unsigned vk;
    void (*run)(PlayerLayer&);
  };
  static const Command kCommands[] = {
      {VK_F5, [](PlayerLayer& l) { l.saveTo(save::kQuickSlot); }},
      {VK_F9, [](PlayerLayer& l) { l.quickLoad(); }},
      {VK_BACK, [](PlayerLayer& l) { l.rollback(); }},
      {VK_PRIOR, [](PlayerLayer& l) { l.openBacklog(); }},
      {VK_NEXT, [](PlayerLayer&) {}},
      {VK_TAB, [](PlayerLayer& l) { l.pacing_.toggleTab(); }},
      {VK_A, [](PlayerLayer& l) { l.toggleAuto(); }},
  };
  for (const Command& c : kCommands) {
    if (c.vk != vk) continue;
    if (!repeat) c.run(*this);
    return true;
  }
  return false;
}

void PlayerLayer::pointer(const platform::PointerEvent& e) {
  if (!overlays_.empty()) {
    overlays_.top().pointer(e);
    return;
  }
  switch (e.kind) {
    case platform::PointerEvent::Move:
      if (const int row = choiceRowAt(e.x, e.y); row >= 0) hoverTarget_ = row;
      break;
    case platform::PointerEvent::LeftDown: clickAt(e.x, e.y, true); break;
    case platform::PointerEvent::RightDown: openMenu(); break;
    case platform::PointerEvent::WheelUp: openBacklog(); break;
    case platform::PointerEvent::WheelDown:
      // Scrolling on never picks an answer: only a click on it, Enter or Space do.
      if (!(game() && game()->phase == kChoiceOpen)) pendingDecide_ = true;
      break;
    default: break;
  }
}

// A click or tap is Decide; on an open choice it picks the item under it
// (and does nothing beside the items).
void PlayerLayer::clickAt(int x, int y, bool decide) {
  const Game* g = game();
  if (g && g->phase == kChoiceOpen && g->select) {
    const int row = choiceRowAt(x, y);
    if (row < 0) return;
    hoverTarget_ = row;
  }
  pendingDecide_ = decide;
}

// The item of the open choice whose cursor bar lies under (x, y), or -1.
int PlayerLayer::choiceRowAt(int x, int y) const {
  const Game* g = game();
  if (!g || g->phase != kChoiceOpen || !g->select) return -1;
  return g->select->rowAt(x, y);
}

// ---------------------------------------------------------------- commands

void PlayerLayer::openMenu() {
  if (!player_) return;
  open(makeMenu(*this));
}

void PlayerLayer::openBacklog() {
  if (!player_) return;
  open(makeBacklog(*this));
}

void PlayerLayer::toggleMute() {
  env_.settings.mute = !env_.settings.mute;
  settingsChanged();
  toast(std::string(words().mute) + ": " + (env_.settings.mute ? words().on : words().off));
}

void PlayerLayer::toggleAuto() {
  pacing_.toggleAuto();
  toast(std::string(words().autoMode) + ": " + (pacing_.autoMode() ? words().on : words().off));
}

// F9: with ask_quick_load on and a quick save there, a question comes first
// (No under the cursor), since what was played since is lost.
void PlayerLayer::quickLoad() {
  save::SaveData d;
  std::string message;
  if (!env_.settings.askQuickLoad || !player_ || saves_.store().read(save::kQuickSlot, d, message) != save::ReadResult::Ok) {
    loadFrom(save::kQuickSlot);
    return;
  }
  open(makeConfirm(*this, words().quickLoadAsk, [this] { loadFrom(save::kQuickSlot); }));
}

void PlayerLayer::rollback() {
  if (history_.earlier().empty()) {
    toast(words().noRollback);
    return;
  }
  const Moment m = history_.earlier().back();
  if (!restoreMoment(m, true)) return;
  history_.rolledBack();
}

bool PlayerLayer::restoreMoment(const Moment& m, bool keepHistory) {
  std::string why;
  if (!player_ || !save::restore(*player_, m.state, why)) {
    std::fprintf(stderr, "lmplayer: cannot return to that moment: %s\n", why.c_str());
    toast(std::string(words().refused) + why);
    return false;
  }
  history_.restored(m, keepHistory);
  pendingDecide_ = false;
  hoverTarget_ = -1;
  lastPulse_ = 0;
  pacing_.restartPause();
  pacing_.stop();
  if (env_.restorePhase && m.state.timing.valid) env_.restorePhase(m.state.timing);
  return true;
}

bool PlayerLayer::restoreLoaded(const Moment& m, const std::vector<save::BacklogEntry>& backlog,
                                std::vector<save::RollbackMoment>& rollback) {
  if (!restoreMoment(m, false)) return false;
  history_.loadBacklog(backlog);
  history_.loadRollback(rollback);
  pacing_.messageShown(backlog.empty() ? 0 : characterCount(backlog.back().text));
  return true;
}

void PlayerLayer::captureSound(Moment& m) {
  if (player_) save::captureSound(*player_, m.state);
}

void PlayerLayer::continueNow() {
  const int slot = saves_.newestSave();
  if (slot < 0) toast(words().nothingToContinue);
  else loadFrom(slot);
}

void PlayerLayer::quit() {
  saves_.autoSave();
  if (env_.quit) env_.quit();
}

// ---------------------------------------------------------------- screens

const Words& PlayerLayer::words() const {
  switch (env_.settings.language) {
    case settings::Language::English: return englishWords();
    case settings::Language::Japanese: return japaneseWords();
    default: return history_.japanese() ? japaneseWords() : englishWords();
  }
}

void PlayerLayer::cursorSound() {
  if (player_) playSystemSound(player_->se.get(), SE_CURSOR);
}

void PlayerLayer::decideSound() {
  if (player_) playSystemSound(player_->se.get(), SE_DECIDE);
}

void PlayerLayer::open(std::unique_ptr<Screen> screen) {
  if (overlays_.empty()) pauseVoice(true);
  overlays_.open(std::move(screen));
}

void PlayerLayer::back() {
  if (overlays_.empty()) return;
  overlays_.back();
  if (overlays_.empty()) closeAll();
}

void PlayerLayer::closeAll() {
  overlays_.closeAll();
  pauseVoice(false);
  saves_.persist();
}

void PlayerLayer::settingsChanged() {
  setMixLevels(levelsOf(env_.settings));
  if (env_.applyWindow) env_.applyWindow(env_.settings.scale, env_.settings.fullscreen);
}

}  // namespace ui
