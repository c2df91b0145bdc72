#pragma once
// The player's own layer over the story: it wraps the scene machine (pausing
// it under a menu, running several steps a frame while skipping), sees every
// key and mouse event before the story's key state does and routes it, and
// joins its parts: skip and auto (Pacing), moments and backlog (History),
// saves and read marks (SaveActions), screens and toasts (Overlays). A run
// that uses none of its keys, buttons or options steps, draws and sounds
// exactly as the story alone.
#include <memory>
#include <set>
#include <string>

#include "loop/SceneMachine.h"
#include "platform/Host.h"
#include "ui/Environment.h"
#include "ui/History.h"
#include "ui/Overlays.h"
#include "ui/Pacing.h"
#include "ui/SaveActions.h"
#include "ui/Screen.h"

class LmPlayer;
class Game;

namespace ui {

class StoryInput;

class PlayerLayer : public platform::HostEvents, private ScreenHost, private SaveContext {
 public:
  static constexpr int kSkipStepsPerFrame = 8;
  static constexpr size_t kRollbackDepth = History::kRollbackDepth;
  static constexpr size_t kBacklogDepth = History::kBacklogDepth;
  static constexpr int kToastSteps = Overlays::kToastSteps;

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
  void windowClosing() { saves_.autoSave(); }
  // Writes what changed (read marks, settings) now, as the end of the run would.
  void storeChanges() { saves_.persist(); }

  // For tests and tools.
  bool paused() const { return !overlays_.empty(); }
  bool skipping() const { return pacing_.skipping(); }
  bool autoMode() const { return pacing_.autoMode(); }
  size_t rollbackDepth() const { return history_.earlier().size(); }
  const std::string& saveDir() const { return saves_.store().dir(); }
  uint64_t storyId() const { return saves_.store().storyId(); }
  const std::deque<save::BacklogEntry>& backlog() const override { return history_.backlog(); }
  const save::ReadMarks& readMarks() const { return saves_.marks(); }
  const std::string& notice() const { return overlays_.notice(); }  // the latest short notice

 private:
  class Machine;
  friend class Machine;

  // The wrapped machine's steps.
  int step();
  void innerStep();
  void beforeInner();
  void afterInner();
  void draw(ZegDevice* zeg);
  void stepDone();
  void attach(LmPlayer* player);
  void detach();

  Game* game() const;
  bool inStory() const;
  void messageShown(Game& g);
  // A key the layer keeps for itself (true), else the story's.
  bool command(unsigned vk, bool repeat);

  // Commands.
  void openMenu();
  void openBacklog();
  void quickLoad();
  void rollback();
  void toggleMute();
  void toggleAuto();
  bool restoreMoment(const Moment& m, bool keepHistory);
  void clickAt(int x, int y, bool decide);
  int choiceRowAt(int x, int y) const;

  // ScreenHost and SaveContext.
  const Words& words() const override;
  void cursorSound() override;
  void decideSound() override;
  void open(std::unique_ptr<Screen> screen) override;
  void back() override;
  void closeAll() override;
  bool canSave() const override { return saves_.canSave(); }
  void explainNoSave() override { saves_.explainNoSave(); }
  bool saveTo(int slot) override { return saves_.saveTo(slot); }
  bool loadFrom(int slot) override { return saves_.loadFrom(slot); }
  SlotView slot(int slot) override { return saves_.slot(slot); }
  int continueSlot() override { return inStory() ? -1 : saves_.newestSave(); }
  void continueNow();
  settings::Settings& settings() override { return env_.settings; }
  void settingsChanged() override;
  bool hasWindow() const override { return static_cast<bool>(env_.applyWindow); }
  int automaticScale() const override { return env_.automaticScale ? env_.automaticScale() : 0; }
  void quit() override;
  void toast(std::string text) override { overlays_.toast(std::move(text)); }
  void captureSound(Moment& m) override;
  bool restoreLoaded(const Moment& m, const std::vector<save::BacklogEntry>& backlog,
                     std::vector<save::RollbackMoment>& rollback) override;

  Environment env_;
  StoryInput& input_;
  History history_;
  Pacing pacing_;
  Overlays overlays_;
  SaveActions saves_;

  LmPlayer* player_ = nullptr;
  int attached_ = 0;  // machines attached so far
  bool capturedThisStep_ = false;

  // Keys the layer holds down for one step (Decide for a click, skip and
  // auto; Up and Down to bring the choice cursor under the mouse).
  int pulse_ = 0;
  int lastPulse_ = 0;
  bool pendingDecide_ = false;
  int hoverTarget_ = -1;
  std::set<unsigned> held_;  // keys down now (to tell repeats)
};

}  // namespace ui
