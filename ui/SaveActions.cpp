#include "ui/SaveActions.h"

#include <cstdio>
#include <ctime>
#include <set>

#include "ui/History.h"
#include "ui/Environment.h"

namespace ui {

namespace {

// One line on stderr for each distinct problem: a file that cannot be written
// stays so at every later attempt, and the run says it once.
void sayOnce(const std::string& line) {
  static std::set<std::string> said;
  if (said.insert(line).second) std::fprintf(stderr, "lmplayer: %s\n", line.c_str());
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

SaveActions::SaveActions(Environment& env, History& history, SaveContext& context)
    : env_(env), history_(history), context_(context), written_(env.settings), store_(env.saveDir, env.storyId) {
  loadMarks();
}

void SaveActions::loadMarks() {
  std::string message;
  if (!marks_.load(env_.saveDir, env_.storyId, message)) sayOnce(message);
}

void SaveActions::followStory() {
  if (!env_.identify) return;
  uint64_t id = env_.storyId;
  std::string dir = env_.saveDir;
  env_.identify(id, dir);
  if (id == env_.storyId && dir == env_.saveDir) return;
  env_.storyId = id;
  env_.saveDir = dir;
  store_ = save::SaveStore(dir, id);
  marks_ = save::ReadMarks();  // the earlier story's were stored when its machine went
  loadMarks();
}

void SaveActions::persist() {
  std::string error;
  bool wrote = false;
  if (marks_.changed() && !env_.saveDir.empty()) {
    if (marks_.store(env_.saveDir, env_.storyId, error)) wrote = true;
    else sayOnce(error);
  }
  if (env_.isFullscreen) env_.settings.fullscreen = env_.isFullscreen();
  if (env_.settings != written_ && !env_.settingsPath.empty()) {
    if (settings::saveChangedSettings(env_.settingsPath, written_, env_.settings, error)) {
      written_ = env_.settings;
      wrote = true;
    } else {
      sayOnce(error);
    }
  }
  if (wrote && env_.written) env_.written();
}

bool SaveActions::canSave() const { return store_.enabled() && history_.current().has_value(); }

void SaveActions::explainNoSave() {
  context_.toast(store_.enabled() ? context_.words().nothingToSave : context_.words().noSaves);
}

bool SaveActions::saveTo(int slot) {
  if (!canSave()) {
    explainNoSave();
    return false;
  }
  if (history_.waiting()) context_.captureSound(*history_.currentMoment());
  const Moment& now = *history_.current();
  save::SaveData d;
  d.savedAt = static_cast<int64_t>(std::time(nullptr));
  d.label = now.label;
  d.thumb = now.thumb;
  d.state = now.state;
  d.backlog = history_.backlogAt(now);
  d.rollback = history_.rollbackMoments();
  std::string error;
  if (!store_.write(slot, d, error)) {
    sayOnce("cannot save: " + error);
    context_.toast(context_.words().cannotSave);
    return false;
  }
  if (env_.written) env_.written();
  if (slot != save::kAutoSlot) context_.toast(context_.words().saved);
  context_.closeAll();
  return true;
}

bool SaveActions::loadFrom(int slot) {
  save::SaveData d;
  std::string message;
  save::SaveProblem problem = save::SaveProblem::None;
  switch (store_.read(slot, d, message, &problem)) {
    case save::ReadResult::Missing:
      context_.toast(store_.enabled() ? context_.words().slotEmpty : context_.words().noSaves);
      return false;
    case save::ReadResult::Refused:
      std::fprintf(stderr, "lmplayer: %s\n", message.c_str());
      context_.toast(std::string(context_.words().refused) + problemWords(context_.words(), problem));
      return false;
    case save::ReadResult::Ok: break;
  }
  Moment m;
  m.state = d.state;
  m.label = d.label;
  m.thumb = d.thumb;
  m.backlogSize = d.backlog.size();
  if (!context_.restoreLoaded(m, d.backlog, d.rollback)) return false;
  context_.closeAll();
  return true;
}

SlotView SaveActions::slot(int slot) {
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
      v.problem = problemWords(context_.words(), problem);
      break;
    case save::ReadResult::Missing: break;
  }
  return v;
}

// On equal times the automatic save, then the quick one.
int SaveActions::newestSave() {
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

void SaveActions::autoSave() {
  if (canSave()) saveTo(save::kAutoSlot);
}

}  // namespace ui
