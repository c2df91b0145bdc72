#pragma once
// What the story has shown: the waiting moment it stands at, the earlier
// ones for rollback, and the backlog of its messages.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "save/SaveFile.h"
#include "save/StorySnapshot.h"

class Game;
class LmPlayer;

namespace ui {

// A waiting moment as rollback and saves keep it.
struct Moment {
  save::StorySnapshot state;
  size_t backlogSize = 0;  // backlog entries shown by then, counted from the first ever
  std::string label;
  save::Thumbnail thumb;
};

class History {
 public:
  static constexpr size_t kRollbackDepth = 200;
  static constexpr size_t kBacklogDepth = 500;

  // A new story machine: its moments start afresh (the backlog stays).
  void forgetMoments();

  // Follows the message being typed (call after each story step).
  void noteTyping(Game& g);
  // The message typed since noteTyping saw it start is fully shown: its text
  // goes into the backlog. Returns where it ends in the story's file, or -1.
  long messageShown(Game& g);

  // After a story step: at a new waiting moment (`arrived`), the moment is
  // begun; while waiting it is captured; when the story leaves it, it is kept
  // for rollback.
  void stepped(const LmPlayer& player, bool nowWaiting);
  bool waiting() const { return waiting_; }
  const std::optional<Moment>& current() const { return current_; }
  Moment* currentMoment() { return current_ ? &*current_ : nullptr; }

  // Rollback: the latest earlier moment, and dropping it once put back (with
  // the backlog entries shown after it).
  const std::deque<Moment>& earlier() const { return earlier_; }
  void rolledBack();
  // A moment was put back; the earlier ones stay only for a rollback.
  void restored(const Moment& m, bool keepEarlier);

  const std::deque<save::BacklogEntry>& backlog() const { return backlog_; }
  // The backlog as it stood at moment `m` (a save keeps that much).
  std::vector<save::BacklogEntry> backlogAt(const Moment& m) const;
  // A loaded save's backlog replaces this one.
  void loadBacklog(const std::vector<save::BacklogEntry>& entries);
  // The earlier moments as a save keeps them, and a loaded save's put back
  // (after its backlog).
  std::vector<save::RollbackMoment> rollbackMoments() const;
  void loadRollback(std::vector<save::RollbackMoment>& moments);
  // Whether the latest message was Japanese (the words follow it).
  bool japanese() const { return japanese_; }

 private:
  size_t kept(const Moment& m) const;

  std::optional<Moment> current_;  // the latest waiting moment
  bool waiting_ = false;           // the latest step ended at it
  std::deque<Moment> earlier_;     // earlier moments, for rollback

  std::deque<save::BacklogEntry> backlog_;
  size_t backlogDropped_ = 0;  // entries let go from the front
  bool typing_ = false;
  long messageStart_ = -1;
  std::string speakerAtStart_;
  bool japanese_ = false;
};

}  // namespace ui
