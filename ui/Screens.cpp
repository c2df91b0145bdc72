// The menu, the save and load screens, the backlog, the settings and the
// yes/no question.
#include <algorithm>
#include <ctime>

#include "platform/LocalTime.h"
#include "save/SaveStore.h"
#include "shell/Key.h"
#include "ui/Backlog.h"
#include "ui/Screen.h"

namespace ui {

namespace {

using platform::PointerEvent;

bool isUp(unsigned vk) { return vk == VK_UP || vk == VK_NUMPAD8; }
bool isDown(unsigned vk) { return vk == VK_DOWN || vk == VK_NUMPAD2; }
bool isLeft(unsigned vk) { return vk == VK_LEFT || vk == VK_NUMPAD4; }
bool isRight(unsigned vk) { return vk == VK_RIGHT || vk == VK_NUMPAD6; }
bool isDecide(unsigned vk) { return vk == VK_RETURN || vk == VK_SPACE; }
bool isBack(unsigned vk) { return vk == VK_ESCAPE || vk == VK_BACK; }

// A vertical list of `count` rows of `rowH` pixels from (x0, y0) to x1, of
// which `visible` show at a time, with a cursor that does not wrap.
struct List {
  int count = 0, visible = 1, cursor = 0, top = 0;
  int x0 = 0, x1 = 0, y0 = 0, rowH = 18;

  int rowY(int index) const { return y0 + (index - top) * rowH; }
  int hit(int x, int y) const {
    if (x < x0 || x > x1 || y < y0) return -1;
    const int i = top + (y - y0) / rowH;
    return (y - y0) / rowH < visible && i < count ? i : -1;
  }
  bool moveTo(int index) {
    index = std::clamp(index, 0, std::max(count - 1, 0));
    if (index == cursor) return false;
    cursor = index;
    if (cursor < top) top = cursor;
    if (cursor >= top + visible) top = cursor - visible + 1;
    return true;
  }
};

// Keys and mouse common to list screens; `activate` runs the row under the cursor.
class ListScreen : public Screen {
 public:
  explicit ListScreen(ScreenHost& host) : host_(host) {}

  void key(unsigned vk) override {
    if (isUp(vk)) move(list_.cursor - 1);
    else if (isDown(vk)) move(list_.cursor + 1);
    else if (isDecide(vk)) activate(list_.cursor);
    else if (isBack(vk)) host_.back();
    else if (isLeft(vk)) adjust(list_.cursor, -1);
    else if (isRight(vk)) adjust(list_.cursor, +1);
  }

  void pointer(const platform::PointerEvent& e) override {
    const int row = list_.hit(e.x, e.y);
    switch (e.kind) {
      case platform::PointerEvent::Move:
        if (row >= 0) move(row);
        break;
      case platform::PointerEvent::LeftDown:
        if (row >= 0) {
          move(row);
          click(row, e.x);
        }
        break;
      case platform::PointerEvent::RightDown:
        host_.back();
        break;
      case platform::PointerEvent::WheelUp:
        move(list_.cursor - 1);
        break;
      case platform::PointerEvent::WheelDown:
        move(list_.cursor + 1);
        break;
      default:
        break;
    }
  }

 protected:
  void move(int index) {
    if (list_.moveTo(index)) host_.cursorSound();
  }
  virtual void activate(int row) = 0;
  virtual void adjust(int, int) {}
  virtual void click(int row, int) { activate(row); }

  void drawBar(Canvas& c) {
    const int y = list_.rowY(list_.cursor);
    c.bar(list_.x0, y, list_.x1, y + list_.rowH - 1);
  }

  ScreenHost& host_;
  List list_;
};

// ---------------------------------------------------------------- menu

// With a save to continue from, Continue comes first (under the cursor) and
// the other rows move down one.
class Menu : public ListScreen {
 public:
  explicit Menu(ScreenHost& host) : ListScreen(host), continueSlot_(host.continueSlot()) {
    first_ = continueSlot_ >= 0 ? 1 : 0;
    list_.count = list_.visible = 6 + first_;
    list_.x0 = 108;
    list_.x1 = 211;
    list_.y0 = 80 - first_ * 9;
  }

  void draw(Canvas& c) override {
    const Words& w = host_.words();
    c.panel(100, list_.y0 - 28, 219, list_.y0 + list_.count * 18 + 8);
    c.text(160 - Canvas::textWidth(w.menuTitle) / 2, list_.y0 - 22, w.menuTitle);
    drawBar(c);
    const char* items[7] = {w.continueGame, w.resume, w.save, w.load, w.backlog, w.settings, w.quit};
    for (int i = 0; i < list_.count; ++i) {
      const bool off = i == first_ + 1 && !host_.canSave();
      c.text(120, list_.rowY(i) + 1, items[i + 1 - first_], off ? 70 : 128);
    }
  }

 private:
  void activate(int row) override {
    host_.decideSound();
    if (first_ && row == 0) {
      host_.loadFrom(continueSlot_);
      return;
    }
    switch (row - first_) {
      case 0: host_.closeAll(); break;
      case 1:
        if (host_.canSave()) host_.open(makeSlots(host_, true));
        else host_.explainNoSave();
        break;
      case 2: host_.open(makeSlots(host_, false)); break;
      case 3: host_.open(makeBacklog(host_)); break;
      case 4: host_.open(makeSettings(host_)); break;
      case 5: {
        ScreenHost& h = host_;
        host_.open(makeConfirm(host_, host_.words().quitAsk, [&h] { h.quit(); }));
        break;
      }
      default: break;
    }
  }

  int continueSlot_;
  int first_ = 0;  // 1 when Continue is the first row
};

// ---------------------------------------------------------------- yes / no

class Confirm : public ListScreen {
 public:
  Confirm(ScreenHost& host, std::string question, std::function<void()> onYes)
      : ListScreen(host), question_(std::move(question)), onYes_(std::move(onYes)) {
    list_.count = list_.visible = 2;
    list_.cursor = 1;
    list_.x0 = 124;
    list_.x1 = 195;
    list_.y0 = 112;
  }

  void draw(Canvas& c) override {
    const Words& w = host_.words();
    // A question of several lines ('\n') grows upwards; its last line stays where one line is.
    std::vector<std::string> lines;
    for (size_t at = 0, end; at <= question_.size(); at = end + 1) {
      end = std::min(question_.find('\n', at), question_.size());
      lines.push_back(question_.substr(at, end - at));
    }
    int widest = 0;
    for (const std::string& l : lines) widest = std::max(widest, Canvas::textWidth(l));
    const int half = std::max(widest / 2 + 16, 60);
    const int top = 88 - 16 * static_cast<int>(lines.size() - 1);
    c.panel(160 - half, top - 8, 159 + half, 156);
    for (size_t i = 0; i < lines.size(); ++i)
      c.text(160 - Canvas::textWidth(lines[i]) / 2, top + 16 * static_cast<int>(i), lines[i]);
    drawBar(c);
    c.text(160 - Canvas::textWidth(w.yes) / 2, list_.rowY(0) + 1, w.yes);
    c.text(160 - Canvas::textWidth(w.no) / 2, list_.rowY(1) + 1, w.no);
  }

 private:
  void activate(int row) override {
    host_.decideSound();
    if (row == 1) {
      host_.back();
      return;
    }
    auto onYes = onYes_;  // the screen may be gone once it has run
    host_.back();
    if (onYes) onYes();
  }

  std::string question_;
  std::function<void()> onYes_;
};

// ---------------------------------------------------------------- save / load

std::string timeText(int64_t t) {
  const std::time_t tt = static_cast<std::time_t>(t);
  std::tm tm{};
  if (!platform::localTime(tt, tm)) return "";
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
  return buf;
}

class Slots : public ListScreen {
 public:
  Slots(ScreenHost& host, bool saving) : ListScreen(host), saving_(saving) {
    if (!saving) {
      slots_.push_back(save::kQuickSlot);
      slots_.push_back(save::kAutoSlot);
    }
    for (int i = 0; i < save::kNumberedSlots; ++i) slots_.push_back(i);
    for (int s : slots_) views_.push_back(host.slot(s));
    list_.count = static_cast<int>(slots_.size());
    list_.visible = 4;
    list_.rowH = 52;
    list_.x0 = 8;
    list_.x1 = 311;
    list_.y0 = 26;
  }

  void draw(Canvas& c) override {
    const Words& w = host_.words();
    c.panel(2, 2, 317, 237);
    const char* title = saving_ ? w.save : w.load;
    c.text(160 - Canvas::textWidth(title) / 2, 6, title);
    drawBar(c);
    for (int i = list_.top; i < list_.top + list_.visible && i < list_.count; ++i) drawRow(c, i);
    // Where the visible rows lie in the whole list.
    const int track = list_.visible * list_.rowH;
    const int y = list_.y0 + track * list_.top / list_.count;
    c.fill(313, y, 314, y + track * list_.visible / list_.count - 1, 240, 240, 0);
  }

 private:
  void drawRow(Canvas& c, int i) {
    const Words& w = host_.words();
    const int y = list_.rowY(i);
    const SlotView& v = views_[static_cast<size_t>(i)];
    if (v.state == SlotView::Used && v.thumb.width > 0) c.picture(12, y + 2, v.thumb);
    else c.fill(12, y + 2, 12 + save::Thumbnail::kWidth - 1, y + 2 + save::Thumbnail::kHeight - 1, 16, 16, 48);
    const int s = slots_[static_cast<size_t>(i)];
    std::string name = s == save::kQuickSlot ? w.quick : s == save::kAutoSlot ? w.autoSlot : w.slot;
    if (s < save::kNumberedSlots) name += " " + std::to_string(s + 1);
    c.text(84, y + 2, name);
    if (v.state == SlotView::Used) {
      const std::string when = timeText(v.savedAt);
      c.text(306 - Canvas::textWidth(when), y + 2, when);
      // The label over two lines of the row.
      const std::string first = Canvas::fitWords(v.label, 222);
      c.text(84, y + 18, first);
      c.text(84, y + 34, Canvas::fit(v.label.substr(first.size()), 222));
    } else {
      c.text(84, y + 18, v.state == SlotView::Empty ? w.empty : w.unreadable, 90);
      if (v.state == SlotView::Unreadable) c.text(84, y + 34, Canvas::fit(v.problem, 222), 90);
    }
  }

  void activate(int row) override {
    const int s = slots_[static_cast<size_t>(row)];
    const SlotView& v = views_[static_cast<size_t>(row)];
    host_.decideSound();
    if (!saving_) {
      host_.loadFrom(s);
      return;
    }
    if (v.state == SlotView::Empty) {
      host_.saveTo(s);
      return;
    }
    ScreenHost& h = host_;
    host_.open(makeConfirm(host_, host_.words().overwriteAsk, [&h, s] { h.saveTo(s); }));
  }

  bool saving_;
  std::vector<int> slots_;
  std::vector<SlotView> views_;
};

// ---------------------------------------------------------------- backlog

class Backlog : public Screen {
 public:
  static constexpr int kRows = 13;

  explicit Backlog(ScreenHost& host) : host_(host), lines_(backlogLines(host.backlog())) { top_ = last(); }

  void key(unsigned vk) override {
    if (isUp(vk)) scroll(-1);
    else if (isDown(vk)) scroll(+1);
    else if (vk == VK_PRIOR) scroll(-kRows);
    else if (vk == VK_NEXT) pageDown();
    else if (isBack(vk) || isDecide(vk)) host_.back();
  }

  void pointer(const platform::PointerEvent& e) override {
    if (e.kind == platform::PointerEvent::WheelUp) scroll(-1);
    else if (e.kind == platform::PointerEvent::WheelDown) top_ >= last() ? host_.back() : scroll(+1);
    else if (e.kind == platform::PointerEvent::RightDown) host_.back();
  }

  void draw(Canvas& c) override {
    const Words& w = host_.words();
    c.panel(2, 2, 317, 237);
    c.text(160 - Canvas::textWidth(w.backlog) / 2, 6, w.backlog);
    if (lines_.empty()) c.text(160 - Canvas::textWidth(w.backlogEmpty) / 2, 112, w.backlogEmpty, 90);
    for (int i = 0; i < kRows && top_ + i < static_cast<int>(lines_.size()); ++i) {
      const BacklogLine& l = lines_[static_cast<size_t>(top_ + i)];
      const int y = 24 + 16 * i;
      if (l.speaker) c.text(10, y, l.text, 128, 4, 310);
      else c.text(26, y, l.text, 110, 4, 310);
    }
    if (static_cast<int>(lines_.size()) > kRows) {
      const int n = static_cast<int>(lines_.size());
      const int track = kRows * 16;
      c.fill(313, 24 + track * top_ / n, 314, 24 + track * (top_ + kRows) / n - 1, 240, 240, 0);
    }
  }

 private:
  int last() const { return std::max(0, static_cast<int>(lines_.size()) - kRows); }
  void scroll(int by) { top_ = std::clamp(top_ + by, 0, last()); }
  void pageDown() {
    if (top_ >= last()) host_.back();  // past the end: back to the story
    else scroll(kRows);
  }

  ScreenHost& host_;
  std::vector<BacklogLine> lines_;
  int top_ = 0;
};

// ---------------------------------------------------------------- settings

// The window scale one step left or right of `scale` in the order automatic,
// x1 .. x8. From automatic (now showing `automatic`, 0 when unknown) a step
// goes to the scale beside the one shown, so Right never shrinks the window
// and Left never grows it.
int nextScale(int scale, int dir, int automatic) {
  if (scale == 0 && automatic > 0) return std::clamp(automatic + dir, 1, 8);
  return std::clamp(scale + dir, 0, 8);
}

class SettingsScreen : public ListScreen {
 public:
  enum Row { Master, Voice, Effect, Mute, Skip, AutoPause, PerChar, Scale, Full, Language, Back, kRowCount };

  explicit SettingsScreen(ScreenHost& host) : ListScreen(host) {
    list_.count = list_.visible = kRowCount;
    list_.x0 = 10;
    list_.x1 = 309;
    list_.y0 = 26;
  }

  void draw(Canvas& c) override {
    const Words& w = host_.words();
    c.panel(2, 2, 317, 237);
    c.text(160 - Canvas::textWidth(w.settings) / 2, 6, w.settings);
    drawBar(c);
    const char* labels[kRowCount] = {w.masterVolume, w.voiceVolume, w.effectVolume, w.mute, w.skip, w.autoPause,
                                     w.autoPerChar,  w.scale,       w.fullscreen,   w.language, w.back};
    for (int r = 0; r < kRowCount; ++r) {
      const int y = list_.rowY(r) + 1;
      const int level = enabled(r) ? 128 : 70;
      c.text(18, y, labels[r], level);
      if (r == Back) continue;
      const std::string v = "< " + value(r) + " >";
      c.text(302 - Canvas::textWidth(v), y, v, level);
    }
  }

 private:
  bool enabled(int r) const { return (r != Scale && r != Full) || host_.hasWindow(); }

  std::string value(int r) const {
    const Words& w = host_.words();
    const settings::Settings& s = host_.settings();
    switch (r) {
      case Master: return std::to_string(s.masterVolume) + "%";
      case Voice: return std::to_string(s.voiceVolume) + "%";
      case Effect: return std::to_string(s.effectVolume) + "%";
      case Mute: return s.mute ? w.on : w.off;
      case Skip: return s.skip == settings::SkipMode::All ? w.skipAll : w.skipRead;
      case AutoPause: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%d.%02d s", s.autoPauseMs / 1000, s.autoPauseMs % 1000 / 10);
        return buf;
      }
      case PerChar: return std::to_string(s.autoPerCharMs) + " ms";
      case Scale: return s.scale == 0 ? std::string(w.scaleAuto) : "x" + std::to_string(s.scale);
      case Full: return s.fullscreen ? w.on : w.off;
      case Language:
        return s.language == settings::Language::English    ? "English"
               : s.language == settings::Language::Japanese ? "\x93\xFA\x96\x7B\x8C\xEA"  // 日本語
                                                            : w.scaleAuto;
      default: return "";
    }
  }

  void activate(int row) override {
    if (row == Back) {
      host_.decideSound();
      host_.back();
      return;
    }
    adjust(row, +1);
  }

  // Left half of a row's value steps down, the rest up.
  void click(int row, int x) override {
    if (row == Back) activate(row);
    else adjust(row, x < 240 ? -1 : +1);
  }

  void adjust(int row, int dir) override {
    if (!enabled(row) || row == Back) return;
    settings::Settings& s = host_.settings();
    const settings::Settings before = s;
    // The file's range and step for the setting (one range for both).
    auto step = [dir, &s](int settings::Settings::*field) {
      const settings::NumberSetting& n = *settings::numberSetting(field);
      s.*field = std::clamp(s.*field + dir * n.step, n.lo, n.hi);
    };
    switch (row) {
      case Master: step(&settings::Settings::masterVolume); break;
      case Voice: step(&settings::Settings::voiceVolume); break;
      case Effect: step(&settings::Settings::effectVolume); break;
      case Mute: s.mute = !s.mute; break;
      case Skip:
        s.skip = s.skip == settings::SkipMode::All ? settings::SkipMode::ReadOnly : settings::SkipMode::All;
        break;
      case AutoPause: step(&settings::Settings::autoPauseMs); break;
      case PerChar: step(&settings::Settings::autoPerCharMs); break;
      case Scale: s.scale = nextScale(s.scale, dir, host_.automaticScale()); break;
      case Full: s.fullscreen = !s.fullscreen; break;
      case Language: s.language = static_cast<settings::Language>((static_cast<int>(s.language) + 3 + dir) % 3); break;
      default: break;
    }
    if (s == before) return;
    host_.cursorSound();
    host_.settingsChanged();
  }
};

}  // namespace

std::unique_ptr<Screen> makeMenu(ScreenHost& host) { return std::make_unique<Menu>(host); }
std::unique_ptr<Screen> makeSlots(ScreenHost& host, bool saving) { return std::make_unique<Slots>(host, saving); }
std::unique_ptr<Screen> makeBacklog(ScreenHost& host) { return std::make_unique<Backlog>(host); }
std::unique_ptr<Screen> makeSettings(ScreenHost& host) { return std::make_unique<SettingsScreen>(host); }
std::unique_ptr<Screen> makeConfirm(ScreenHost& host, std::string question, std::function<void()> onYes) {
  return std::make_unique<Confirm>(host, std::move(question), std::move(onYes));
}

}  // namespace ui
