#pragma once
// The player's own screens (menu, save and load, backlog, settings, a yes/no
// question) and what they may ask of the layer that shows them.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "save/SaveFile.h"
#include "settings/Settings.h"
#include "platform/Host.h"
#include "ui/Canvas.h"
#include "ui/Words.h"

namespace ui {

class Screen;

// What one save slot shows.
struct SlotView {
  enum State { Empty, Used, Unreadable } state = Empty;
  int64_t savedAt = 0;
  std::string label;
  save::Thumbnail thumb;
  std::string problem;  // why an unreadable slot is
};

class ScreenHost {
 public:
  virtual ~ScreenHost() = default;
  virtual const Words& words() const = 0;
  virtual void cursorSound() = 0;
  virtual void decideSound() = 0;
  virtual void open(std::unique_ptr<Screen> screen) = 0;
  virtual void back() = 0;      // closes the top screen
  virtual void closeAll() = 0;  // back to the story
  // Saving and loading slot `slot`; both close every screen when they succeed.
  virtual bool canSave() const = 0;
  virtual void explainNoSave() = 0;  // says why saving is not possible now
  virtual bool saveTo(int slot) = 0;
  virtual bool loadFrom(int slot) = 0;
  virtual SlotView slot(int slot) = 0;
  // The newest save to continue from (auto, quick or a slot), or -1; only
  // outside the story (opening, title, select).
  virtual int continueSlot() = 0;
  virtual const std::deque<save::BacklogEntry>& backlog() const = 0;
  virtual settings::Settings& settings() = 0;
  virtual void settingsChanged() = 0;  // apply volumes and window at once
  virtual bool hasWindow() const = 0;  // scale and full screen mean something
  virtual int automaticScale() const { return 0; }  // what scale 0 means now; 0 unknown
  virtual void quit() = 0;             // automatic save, then the run ends
};

class Screen {
 public:
  virtual ~Screen() = default;
  // A key press (virtual-key code, repeats included).
  virtual void key(unsigned vk) = 0;
  // A mouse or touch event in frame coordinates.
  virtual void pointer(const platform::PointerEvent& e) = 0;
  virtual void draw(Canvas& c) = 0;
};

// The screens, each shown over the dimmed story.
std::unique_ptr<Screen> makeMenu(ScreenHost& host);
std::unique_ptr<Screen> makeSlots(ScreenHost& host, bool saving);
std::unique_ptr<Screen> makeBacklog(ScreenHost& host);
std::unique_ptr<Screen> makeSettings(ScreenHost& host);
// A question with Yes and No (No first under the cursor); Yes runs `onYes`.
std::unique_ptr<Screen> makeConfirm(ScreenHost& host, std::string question, std::function<void()> onYes);

}  // namespace ui
