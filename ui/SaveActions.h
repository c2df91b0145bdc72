#pragma once
// The player's files as the layer uses them: saving the waiting moment to a
// slot, loading one, what a slot shows, and writing changed read marks and
// settings.
#include <string>
#include <vector>

#include "save/ReadMarks.h"
#include "save/SaveStore.h"
#include "settings/Settings.h"
#include "ui/Screen.h"

namespace ui {

struct Environment;
class History;
struct Moment;

// What the save actions need of the layer around them.
class SaveContext {
 public:
  virtual ~SaveContext() = default;
  virtual const Words& words() const = 0;
  virtual void toast(std::string text) = 0;
  // Puts a loaded moment, its backlog and earlier moments back; false if refused.
  virtual bool restoreLoaded(const Moment& m, const std::vector<save::BacklogEntry>& backlog,
                             std::vector<save::RollbackMoment>& rollback) = 0;
  virtual void closeAll() = 0;
  // Takes the story's sound as the mixer has it now into the waiting moment.
  virtual void captureSound(Moment& m) = 0;
};

class SaveActions {
 public:
  // Reads the read marks of the story `env` names.
  SaveActions(Environment& env, History& history, SaveContext& context);

  // The story's files changed and it starts afresh: its id and save folder
  // may be another story's now.
  void followStory();
  // Writes changed read marks and settings.
  void persist();

  bool canSave() const;
  void explainNoSave();
  // Both close every screen when they succeed.
  bool saveTo(int slot);
  bool loadFrom(int slot);
  SlotView slot(int slot);
  // The slot saved last (a readable one), or -1.
  int newestSave();
  // The automatic save, when there is a moment to save.
  void autoSave();

  save::ReadMarks& marks() { return marks_; }
  const save::ReadMarks& marks() const { return marks_; }
  const save::SaveStore& store() const { return store_; }

 private:
  void loadMarks();

  Environment& env_;
  History& history_;
  SaveContext& context_;
  settings::Settings written_;  // as the settings file holds them
  save::SaveStore store_;
  save::ReadMarks marks_;
};

}  // namespace ui
