#include "ui/Overlays.h"

#include "ui/Canvas.h"

namespace ui {

void Overlays::back() {
  if (screens_.empty()) return;
  closed_.push_back(std::move(screens_.back()));
  screens_.pop_back();
}

void Overlays::closeAll() {
  for (auto& s : screens_) closed_.push_back(std::move(s));
  screens_.clear();
}

void Overlays::clear() {
  screens_.clear();
  closed_.clear();
}

void Overlays::step() {
  closed_.clear();
  if (toastSteps_ > 0) --toastSteps_;
}

void Overlays::toast(std::string text) {
  toast_ = std::move(text);
  toastSteps_ = kToastSteps;
}

void Overlays::draw(ZegDevice* zeg, const std::string& marks) const {
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

}  // namespace ui
