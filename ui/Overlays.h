#pragma once
// What the layer draws over the story: its open screens over the dimmed
// frame, the skip and auto marks, and a short message (a toast).
#include <memory>
#include <string>
#include <vector>

#include "ui/Screen.h"

class ZegDevice;

namespace ui {

class Overlays {
 public:
  static constexpr int kToastSteps = 120;

  bool empty() const { return screens_.empty(); }
  Screen& top() { return *screens_.back(); }
  void open(std::unique_ptr<Screen> screen) { screens_.push_back(std::move(screen)); }
  // Closes the top screen (freed at the next step: it may be running now).
  void back();
  void closeAll();
  // Screens are dropped at once (the story machine is going).
  void clear();
  // Each step: frees the screens closed in the last one, counts the toast down.
  void step();
  void toast(std::string text);
  const std::string& notice() const { return toast_; }
  // Over the drawn story frame: the top screen, else the `marks` (skip,
  // auto) at the top right; the toast. Draws nothing when none is showing.
  void draw(ZegDevice* zeg, const std::string& marks) const;

 private:
  std::vector<std::unique_ptr<Screen>> screens_;
  std::vector<std::unique_ptr<Screen>> closed_;  // freed at the next step, not while they run
  std::string toast_;
  int toastSteps_ = 0;
};

}  // namespace ui
