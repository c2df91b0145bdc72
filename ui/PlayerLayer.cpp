#include "ui/PlayerLayer.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <set>
#include <string>

#include "game/Game.h"
#include "game/ScenarioCode.h"
#include "graphics/graphicDevice.h"
#include "scenes/LmPlayer.h"
#include "scenes/Scene.h"
#include "scenes/SystemSound.h"
#include "platform/FileSystem.h"
#include "shell/Key.h"
#include "sound/MixControl.h"
#include "sound/zepl.h"
#include "ui/Backlog.h"

namespace ui {

using namespace scenario;

namespace {

// One line on stderr for each distinct problem: a file that cannot be written
// stays so at every later attempt, and the run says it once.
void sayOnce(const std::string& line) {
  static std::set<std::string> said;
  if (said.insert(line).second) std::fprintf(stderr, "lmplayer: %s\n", line.c_str());
}

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

const char* problemWords(const Words& w, save::SaveProblem p) {
  switch (p) {
    case save::SaveProblem::Truncated: return w.truncated;
    case save::SaveProblem::NotASave: return w.notASave;
    case save::SaveProblem::OtherVersion: return w.otherVersion;
    case save::SaveProblem::OtherStory: return w.otherStory;
    default: return w.damaged;
  }
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

PlayerLayer::PlayerLayer(Environment env) : env_(std::move(env)), written_(env_.settings) {
  store_ = save::SaveStore(env_.saveDir, env_.storyId);
  std::string message;
  if (!marks_.load(env_.saveDir, env_.storyId, message)) sayOnce(message);
  setMixLevels(levelsOf(env_.settings));
  pauseVoice(false);
}

PlayerLayer::~PlayerLayer() { persist(); }

std::unique_ptr<loop::SceneMachine> PlayerLayer::makeMachine() { return std::make_unique<Machine>(*this); }

// A new LmPlayer (the run's first, or one started afresh when the story's
// files changed): moments recorded in an earlier one do not belong to it, and
// changed files may make another story with saves and read marks of its own.
void PlayerLayer::attach(LmPlayer* player) {
  if (attached_++ > 0) followStory();
  player_ = player;
  current_.reset();
  history_.clear();
  waiting_ = typing_ = pendingDecide_ = false;
  pulse_ = lastPulse_ = 0;
  hoverTarget_ = -1;
}

void PlayerLayer::followStory() {
  if (!env_.identify) return;
  uint64_t id = env_.storyId;
  std::string dir = env_.saveDir;
  env_.identify(id, dir);
  if (id == env_.storyId && dir == env_.saveDir) return;
  env_.storyId = id;
  env_.saveDir = dir;
  store_ = save::SaveStore(dir, id);
  marks_ = save::ReadMarks();  // the earlier story's were stored when its machine went
  std::string message;
  if (!marks_.load(dir, id, message)) sayOnce(message);
}

void PlayerLayer::detach() {
  persist();
  screens_.clear();
  closed_.clear();
  pauseVoice(false);
  player_ = nullptr;
}

void PlayerLayer::persist() {
  std::string error;
  bool wrote = false;
  if (marks_.changed() && !env_.saveDir.empty()) {
    if (marks_.store(env_.saveDir, env_.storyId, error)) wrote = true;
    else sayOnce(error);
  }
  if (env_.isFullscreen) env_.settings.fullscreen = env_.isFullscreen();
  if (env_.settings != written_ && !env_.settingsPath.empty()) {
    if (settings::saveSettings(env_.settingsPath, env_.settings, error)) {
      written_ = env_.settings;
      wrote = true;
    } else {
      sayOnce(error);
    }
  }
  if (wrote && env_.written) env_.written();
}

Game* PlayerLayer::game() const { return player_ && player_->phase == kSceneGame ? player_->game.get() : nullptr; }

bool PlayerLayer::inStory() const { return game() != nullptr; }

bool PlayerLayer::skipping() const { return (ctrlSkip_ && !ctrlSuspended_) || tabSkip_; }

// ---------------------------------------------------------------- stepping

int PlayerLayer::step() {
  closed_.clear();
  if (toastSteps_ > 0) --toastSteps_;
  capturedThisStep_ = false;
  if (!player_ || !screens_.empty()) return LmPlayer::kStepMs;  // paused under a screen
  const int runs = skipping() && inStory() ? kSkipStepsPerFrame : 1;
  for (int i = 0; i < runs; ++i) {
    innerStep();
    const Game* g = game();
    if (!skipping() || !screens_.empty() || (g && g->phase == kChoiceOpen)) break;
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
  if (waiting_ && current_) save::captureSound(*player_, current_->state);
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
  } else if (g && g->phase == kMessageWait) {
    const int delaySteps = (env_.settings.autoPauseMs + env_.settings.autoPerCharMs * messageChars_) / LmPlayer::kStepMs;
    if (skipping() || (auto_ && autoWait_ >= delaySteps)) want = KEY_DECIDE;
  }
  // A key must be up for a step between two presses to count again.
  if (want & lastPulse_) want = 0;
  if (forClick && want) pendingDecide_ = false;
  pulse_ = want & ~KeyStatus();
  if (pulse_) KeyDown(pulse_);
}

void PlayerLayer::afterInner() {
  if (pulse_) KeyUp(pulse_);
  lastPulse_ = pulse_;
  pulse_ = 0;

  Game* g = game();
  if (g) noteTyping(*g);
  const bool nowWaiting = player_ && save::atWaitingMoment(*player_);
  if (nowWaiting) {
    if (!waiting_) {
      // A new waiting moment.
      if (g->phase == kMessageWait) messageShown(*g);
      else if (skipping()) stopSkip();  // skipping stops at choices
      Moment m;
      m.backlogSize = backlogDropped_ + backlog_.size();
      if (!backlog_.empty()) m.label = slotLabel(backlog_.back());
      current_ = std::move(m);
    }
    save::capture(*player_, current_->state);
  } else if (waiting_ && current_) {
    history_.push_back(*current_);
    history_.back().thumb = save::Thumbnail{};  // rollback needs no picture
    if (history_.size() > kRollbackDepth) history_.pop_front();
  }
  waiting_ = nowWaiting;
  capturedThisStep_ = nowWaiting;

  if (auto_ && g && g->phase == kMessageWait) {
    if (ZEPL_Check(kVoiceChannel)) autoWait_ = 0;
    else ++autoWait_;
  }
  if (skipping() && g) stopVoice();  // voices are cut while skipping
}

// The place where a message starts and the speaker line above it.
void PlayerLayer::noteTyping(Game& g) {
  if (g.phase != kTyping) {
    typing_ = false;
    return;
  }
  if (typing_) return;
  typing_ = true;
  messageStart_ = g.fp ? std::ftell(g.fp.get()) : -1;
  speakerAtStart_.clear();
  if (g.text && g.text->line == 1 && g.text->row == 0 && std::strncmp(g.text->data[0], "\x81\x79", 2) == 0)
    speakerAtStart_ = g.text->data[0];
}

// A message is fully shown: into the backlog, marked read, and skipping
// stops at one not read before.
void PlayerLayer::messageShown(Game& g) {
  FILE* fp = g.fp.get();
  const long end = fp ? std::ftell(fp) : -1;
  std::string bytes;
  if (fp && messageStart_ >= 0 && end > messageStart_ && end - messageStart_ <= 65536) {
    bytes.resize(static_cast<size_t>(end - messageStart_));
    // Read aside: the story's own position in the file stays where it is.
    bytes.resize(platform::readAt(fp, messageStart_, &bytes[0], bytes.size()));
  }
  save::BacklogEntry e{speakerAtStart_, messageText(bytes)};
  japanese_ = looksJapanese(bytes.data(), bytes.size()) || looksJapanese(e.speaker.data(), e.speaker.size());
  messageChars_ = characterCount(e.text);
  backlog_.push_back(std::move(e));
  while (backlog_.size() > kBacklogDepth) {
    backlog_.pop_front();
    ++backlogDropped_;
  }
  autoWait_ = 0;
  const bool unread = end >= 0 && marks_.mark(static_cast<uint32_t>(end));
  if (unread && skipping() && env_.settings.skip == settings::SkipMode::ReadOnly) {
    stopSkip();
    toast(words().skipStopped);
  }
}

void PlayerLayer::stopSkip() {
  tabSkip_ = false;
  if (ctrlSkip_) ctrlSuspended_ = true;
}

void PlayerLayer::stepDone() {
  if (capturedThisStep_ && current_ && env_.capturePhase) current_->state.timing = env_.capturePhase();
}

// ---------------------------------------------------------------- drawing

void PlayerLayer::draw(ZegDevice* zeg) {
  if (player_) player_->draw(zeg);
  if (waiting_ && current_ && current_->thumb.width == 0 && zeg && zeg->videoMemory)
    shrinkFrame(*zeg, save::Thumbnail::kWidth, save::Thumbnail::kHeight, current_->thumb);
  // Nothing of the layer's own shows unless one of its features is in use.
  std::string marks;
  if (skipping() && inStory()) marks = std::string(words().skip) + " >>";
  if (auto_) marks += (marks.empty() ? "" : "  ") + std::string(words().autoMode);
  if (screens_.empty() && marks.empty() && toastSteps_ == 0) return;
  Canvas c(zeg);
  if (!c.ok()) return;
  if (!screens_.empty()) {
    c.dim();
    screens_.back()->draw(c);
  } else if (!marks.empty()) {
    const int w = Canvas::textWidth(marks);
    c.tint(310 - w, 2, 317, 19);
    c.text(314 - w, 3, marks);
  }
  if (toastSteps_ > 0) {
    // Over the story at the top; under a screen at the bottom, clear of its title.
    const std::string t = Canvas::fit(toast_, 300);
    const int y = screens_.empty() ? 2 : 220;
    c.tint(2, y, 10 + Canvas::textWidth(t), y + 17);
    c.text(6, y + 1, t);
  }
}

void PlayerLayer::toast(std::string text) {
  toast_ = std::move(text);
  toastSteps_ = kToastSteps;
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
    keyAction(vk, down ? 1 : 0);  // the Escape bit, as always
    if (down && !repeat) {
      if (screens_.empty()) openMenu();
      else back();
    }
    return;
  }
  if (vk == VK_CONTROL) {
    ctrlSkip_ = down;
    if (down && !repeat) ctrlSuspended_ = false;
    return;
  }
  if (!down) {
    keyAction(vk, 0);  // releases always reach the key state
    return;
  }
  if (vk == VK_M) {
    if (!repeat) {
      env_.settings.mute = !env_.settings.mute;
      settingsChanged();
      toast(std::string(words().mute) + ": " + (env_.settings.mute ? words().on : words().off));
    }
    return;
  }
  if (!screens_.empty()) {
    screens_.back()->key(vk);
    return;
  }
  switch (vk) {
    case VK_F5: if (!repeat) saveTo(save::kQuickSlot); return;
    case VK_F9: if (!repeat) loadFrom(save::kQuickSlot); return;
    case VK_BACK: if (!repeat) rollback(); return;
    case VK_PRIOR: if (!repeat) openBacklog(); return;
    case VK_NEXT: return;
    case VK_TAB:
      if (!repeat) tabSkip_ = !tabSkip_;
      return;
    case VK_A:
      if (!repeat) {
        auto_ = !auto_;
        autoWait_ = 0;
        toast(std::string(words().autoMode) + ": " + (auto_ ? words().on : words().off));
      }
      return;
    default: break;
  }
  if (isCursorKey(vk)) hoverTarget_ = -1;  // the keyboard takes over the choice cursor
  keyAction(vk, 1);
}

void PlayerLayer::pointer(const platform::PointerEvent& e) {
  if (!screens_.empty()) {
    screens_.back()->pointer(e);
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

void PlayerLayer::rollback() {
  if (history_.empty()) {
    toast(words().noRollback);
    return;
  }
  const Moment m = history_.back();
  if (!restoreMoment(m, true)) return;
  history_.pop_back();
  const size_t keep = m.backlogSize > backlogDropped_ ? m.backlogSize - backlogDropped_ : 0;
  if (backlog_.size() > keep) backlog_.resize(keep);
}

bool PlayerLayer::restoreMoment(const Moment& m, bool keepHistory) {
  std::string why;
  if (!player_ || !save::restore(*player_, m.state, why)) {
    std::fprintf(stderr, "lmplayer: cannot return to that moment: %s\n", why.c_str());
    toast(std::string(words().refused) + why);
    return false;
  }
  current_ = m;
  waiting_ = true;
  typing_ = false;
  if (!keepHistory) history_.clear();
  pendingDecide_ = false;
  hoverTarget_ = -1;
  lastPulse_ = 0;
  autoWait_ = 0;
  stopSkip();
  if (env_.restorePhase && m.state.timing.valid) env_.restorePhase(m.state.timing);
  return true;
}

bool PlayerLayer::canSave() const { return store_.enabled() && current_.has_value(); }

void PlayerLayer::explainNoSave() { toast(store_.enabled() ? words().nothingToSave : words().noSaves); }

bool PlayerLayer::saveTo(int slot) {
  if (!canSave()) {
    explainNoSave();
    return false;
  }
  if (waiting_ && player_) save::captureSound(*player_, current_->state);
  save::SaveData d;
  d.savedAt = static_cast<int64_t>(std::time(nullptr));
  d.label = current_->label;
  d.thumb = current_->thumb;
  d.state = current_->state;
  const size_t keep = current_->backlogSize > backlogDropped_ ? current_->backlogSize - backlogDropped_ : 0;
  d.backlog.assign(backlog_.begin(), backlog_.begin() + static_cast<long>(std::min(keep, backlog_.size())));
  for (const Moment& h : history_) {
    const size_t size = h.backlogSize > backlogDropped_ ? h.backlogSize - backlogDropped_ : 0;
    d.rollback.push_back(save::RollbackMoment{h.state, static_cast<uint32_t>(size), h.label});
  }
  std::string error;
  if (!store_.write(slot, d, error)) {
    sayOnce("cannot save: " + error);
    toast(words().cannotSave);
    return false;
  }
  if (env_.written) env_.written();
  if (slot != save::kAutoSlot) toast(words().saved);
  closeAll();
  return true;
}

bool PlayerLayer::loadFrom(int slot) {
  save::SaveData d;
  std::string message;
  save::SaveProblem problem = save::SaveProblem::None;
  switch (store_.read(slot, d, message, &problem)) {
    case save::ReadResult::Missing:
      toast(store_.enabled() ? words().slotEmpty : words().noSaves);
      return false;
    case save::ReadResult::Refused:
      std::fprintf(stderr, "lmplayer: %s\n", message.c_str());
      toast(std::string(words().refused) + problemWords(words(), problem));
      return false;
    case save::ReadResult::Ok: break;
  }
  Moment m;
  m.state = d.state;
  m.label = d.label;
  m.thumb = d.thumb;
  m.backlogSize = d.backlog.size();
  if (!restoreMoment(m, false)) return false;
  backlog_.assign(d.backlog.begin(), d.backlog.end());
  backlogDropped_ = 0;
  for (save::RollbackMoment& r : d.rollback) {
    Moment h;
    h.state = std::move(r.state);
    h.backlogSize = std::min<size_t>(r.backlogSize, backlog_.size());
    h.label = std::move(r.label);
    history_.push_back(std::move(h));
  }
  messageChars_ = backlog_.empty() ? 0 : characterCount(backlog_.back().text);
  if (!backlog_.empty())
    japanese_ = looksJapanese(backlog_.back().text.data(), backlog_.back().text.size());
  closeAll();
  return true;
}

// The slot saved last (a readable one); on equal times the automatic save,
// then the quick one.
int PlayerLayer::newestSave() {
  int newest = -1;
  int64_t at = 0;
  for (int slot = 0; slot < save::kSlotCount; ++slot) {
    save::SaveData d;
    std::string message;
    if (store_.read(slot, d, message) != save::ReadResult::Ok) continue;
    if (newest < 0 || d.savedAt >= at) {
      newest = slot;
      at = d.savedAt;
    }
  }
  return newest;
}

void PlayerLayer::continueNow() {
  const int slot = newestSave();
  if (slot < 0) toast(words().nothingToContinue);
  else loadFrom(slot);
}

SlotView PlayerLayer::slot(int slot) {
  SlotView v;
  save::SaveData d;
  std::string message;
  save::SaveProblem problem = save::SaveProblem::None;
  switch (store_.read(slot, d, message, &problem)) {
    case save::ReadResult::Ok:
      v.state = SlotView::Used;
      v.savedAt = d.savedAt;
      v.label = d.label;
      v.thumb = std::move(d.thumb);
      break;
    case save::ReadResult::Refused:
      v.state = SlotView::Unreadable;
      v.problem = problemWords(words(), problem);
      break;
    case save::ReadResult::Missing: break;
  }
  return v;
}

void PlayerLayer::quit() {
  if (canSave()) saveTo(save::kAutoSlot);
  if (env_.quit) env_.quit();
}

void PlayerLayer::windowClosing() {
  if (canSave()) saveTo(save::kAutoSlot);
}

// ---------------------------------------------------------------- screens

const Words& PlayerLayer::words() const {
  switch (env_.settings.language) {
    case settings::Language::English: return englishWords();
    case settings::Language::Japanese: return japaneseWords();
    default: return japanese_ ? japaneseWords() : englishWords();
  }
}

void PlayerLayer::cursorSound() {
  if (player_) playSystemSound(player_->se.get(), SE_CURSOR);
}

void PlayerLayer::decideSound() {
  if (player_) playSystemSound(player_->se.get(), SE_DECIDE);
}

void PlayerLayer::open(std::unique_ptr<Screen> screen) {
  if (screens_.empty()) pauseVoice(true);
  screens_.push_back(std::move(screen));
}

void PlayerLayer::back() {
  if (screens_.empty()) return;
  closed_.push_back(std::move(screens_.back()));
  screens_.pop_back();
  if (screens_.empty()) closeAll();
}

void PlayerLayer::closeAll() {
  for (auto& s : screens_) closed_.push_back(std::move(s));
  screens_.clear();
  pauseVoice(false);
  persist();
}

void PlayerLayer::settingsChanged() {
  setMixLevels(levelsOf(env_.settings));
  if (env_.applyWindow) env_.applyWindow(env_.settings.scale, env_.settings.fullscreen);
}

}  // namespace ui
