#pragma once
// The player's own layer over the story: it wraps the scene machine (pausing
// it under a menu, running several steps a frame while skipping), sees every
// key and mouse event before the story's key state does, keeps the waiting
// moments for saves and rollback, the backlog and the read marks, and draws
// its screens over the dimmed frame. A run that uses none of its keys,
// buttons or options steps, draws and sounds exactly as the story alone.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "save/ReadMarks.h"
#include "save/SaveStore.h"
#include "settings/Settings.h"
#include "platform/Host.h"
#include "loop/SceneMachine.h"
#include "ui/Screen.h"

class LmPlayer;
class Game;

namespace ui {

// What the program around the layer offers it.
struct Environment {
  std::string settingsPath;  // empty: settings are not written
  settings::Settings settings;
  std::string saveDir;  // empty: no saves and no lasting read marks
  uint64_t storyId = 0;
  std::function<void()> quit;  // ends the run after the current frame
  // Headless runs: where the loop and audio clocks stand, and putting them back.
  std::function<save::LoopPhase()> capturePhase;
  std::function<void(const save::LoopPhase&)> restorePhase;
  // A window: its scale and full screen (absent headless).
  std::function<void(int scale, bool fullscreen)> applyWindow;
  std::function<bool()> isFullscreen;
  std::function<int()> automaticScale;  // what scale 0 means now (absent or 0: unknown)
  // When the story's files changed and it starts afresh (--watch): the story
  // id and save folder of the data as it is now. Absent: they never change.
  std::function<void(uint64_t& storyId, std::string& saveDir)> identify;
  // After saves, read marks or settings were written (a page syncs its storage).
  std::function<void()> written;
  // Load the newest save as soon as the story has started (--continue).
  bool continueAtStart = false;
};

class PlayerLayer : public platform::HostEvents, private ScreenHost {
 public:
  static constexpr int kSkipStepsPerFrame = 8;
  static constexpr size_t kRollbackDepth = 200;
  static constexpr size_t kBacklogDepth = 500;
  static constexpr int kToastSteps = 120;

  explicit PlayerLayer(Environment env);
  // Writes what changed: read marks and settings.
  ~PlayerLayer() override;
  PlayerLayer(const PlayerLayer&) = delete;
  PlayerLayer& operator=(const PlayerLayer&) = delete;

  // The machine the frame loop steps: a new LmPlayer behind this layer.
  std::unique_ptr<loop::SceneMachine> makeMachine();

  // Input, in the order it happened (window or script).
  void key(unsigned vk, bool down) override;
  void pointer(const platform::PointerEvent& e) override;
  void paint() override {}
  void close() override {}
  // "shot <file>": a notice names the screenshot just saved.
  void windowAction(const std::string& what) override;
  // The window is closing: the automatic save.
  void windowClosing();
  // Writes what changed (read marks, settings) now, as the end of the run would.
  void storeChanges() { persist(); }

  // For tests and tools.
  bool paused() const { return !screens_.empty(); }
  bool skipping() const;
  bool autoMode() const { return auto_; }
  size_t rollbackDepth() const { return history_.size(); }
  const std::string& saveDir() const { return store_.dir(); }
  uint64_t storyId() const { return store_.storyId(); }
  const std::deque<save::BacklogEntry>& backlog() const override { return backlog_; }
  const save::ReadMarks& readMarks() const { return marks_; }
  const std::string& notice() const { return toast_; }  // the latest short notice

 private:
  class Machine;
  friend class Machine;

  // A waiting moment as rollback and saves keep it.
  struct Moment {
    save::StorySnapshot state;
    size_t backlogSize = 0;
    std::string label;
    save::Thumbnail thumb;
  };

  // The wrapped machine's steps.
  int step();
  void innerStep();
  void beforeInner();
  void afterInner();
  void draw(ZegDevice* zeg);
  void stepDone();
  void attach(LmPlayer* player);
  void detach();
  void followStory();

  Game* game() const;
  bool inStory() const;
  void messageShown(Game& g);
  void noteTyping(Game& g);
  void cutVoiceWhileSkipping();
  void stopSkip();

  // Commands.
  void openMenu();
  void openBacklog();
  void quickSave();
  void quickLoad();
  void rollback();
  bool restoreMoment(const Moment& m, bool keepHistory);
  void toast(std::string text);
  void clickAt(int x, int y, bool decide);
  int choiceRowAt(int x, int y) const;
  void persist();

  // ScreenHost.
  const Words& words() const override;
  void cursorSound() override;
  void decideSound() override;
  void open(std::unique_ptr<Screen> screen) override;
  void back() override;
  void closeAll() override;
  bool canSave() const override;
  void explainNoSave() override;
  bool saveTo(int slot) override;
  bool loadFrom(int slot) override;
  SlotView slot(int slot) override;
  int continueSlot() override { return inStory() ? -1 : newestSave(); }
  int newestSave();
  void continueNow();
  settings::Settings& settings() override { return env_.settings; }
  void settingsChanged() override;
  bool hasWindow() const override { return static_cast<bool>(env_.applyWindow); }
  int automaticScale() const override { return env_.automaticScale ? env_.automaticScale() : 0; }
  void quit() override;

  Environment env_;
  settings::Settings written_;  // as the settings file holds them
  save::SaveStore store_;
  save::ReadMarks marks_;

  LmPlayer* player_ = nullptr;
  int attached_ = 0;  // machines attached so far

  // Waiting moments.
  std::optional<Moment> current_;  // the latest waiting moment
  bool waiting_ = false;           // the latest step ended at it
  bool capturedThisStep_ = false;
  std::deque<Moment> history_;     // earlier moments, for rollback

  // Messages.
  std::deque<save::BacklogEntry> backlog_;
  size_t backlogDropped_ = 0;  // entries let go from the front (moments count from the first)
  bool typing_ = false;
  long messageStart_ = -1;
  std::string speakerAtStart_;
  bool japanese_ = false;

  // Keys the layer holds down for one step (Decide for a click, skip and
  // auto; Up and Down to bring the choice cursor under the mouse).
  int pulse_ = 0;
  int lastPulse_ = 0;
  bool pendingDecide_ = false;
  int hoverTarget_ = -1;
  std::set<unsigned> held_;  // keys down now (to tell repeats)

  bool ctrlSkip_ = false;      // Ctrl held
  bool ctrlSuspended_ = false; // stopped at a choice or unread text until Ctrl is pressed again
  bool tabSkip_ = false;
  bool auto_ = false;
  int autoWait_ = 0;           // steps since the voice of the waiting message ended
  int messageChars_ = 0;

  std::vector<std::unique_ptr<Screen>> screens_;
  std::vector<std::unique_ptr<Screen>> closed_;  // freed at the next step, not while they run
  std::string toast_;
  int toastSteps_ = 0;
};

}  // namespace ui
