#include "platform/web/html5/WebHost.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Notice.h"
#include "platform/Presenter.h"
#include "platform/web/FrameView.h"
#include "platform/web/TouchKeys.h"
#include "platform/web/WebKeys.h"
#include "platform/web/html5/WebAudio.h"
#include "platform/web/html5/WebPage.h"

namespace platform {

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr uint32_t kTickMs = 5;
// On virtual time, ticks run back to back for this long in each animation frame.
constexpr double kVirtualBudgetMs = 12;
const char* const kScreen = "#screen";

// The page's monotonic clock (performance.now), as a wrapping 32-bit counter.
class PageClock : public Clock {
 public:
  uint32_t now() override { return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now())); }
};

class PagePresenter : public Presenter {
 public:
  void present(const Frame& frame) override {
    frameToRgba(frame, rgba_);
    page::present(rgba_.data(), frame.width, frame.height);
  }

 private:
  std::vector<unsigned char> rgba_;
};

void pageNotice(const char* caption, const char* text) { page::notice(caption, text); }

class WebHost : public platform::Host {
 public:
  explicit WebHost(bool virtualTime) : virtual_(virtualTime) {}
  ~WebHost() override;

  bool open(std::string& error);
  Clock& clock() override { return virtual_ ? static_cast<Clock&>(virtualClock_) : pageClock_; }
  // Hands over the events queued since the last call; never waits (the page's
  // animation frames set the pace). On virtual time the clock first moves on
  // 5 ms and the sound plays up to it, as in a headless run.
  void waitTick(platform::HostEvents& events) override;
  void runFrames(std::function<bool()> tick);

 private:
  struct Queued {
    bool isKey;
    unsigned vk;
    bool down;
    platform::PointerEvent pointer;
  };

  static void frame(void* self);
  static EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* e, void* self);
  static EM_BOOL onMouse(int type, const EmscriptenMouseEvent* e, void* self);
  static EM_BOOL onWheel(int type, const EmscriptenWheelEvent* e, void* self);
  static EM_BOOL onTouch(int type, const EmscriptenTouchEvent* e, void* self);
  platform::PointerEvent toFrame(platform::PointerEvent::Kind kind, double x, double y) const;
  void unregister();

  bool virtual_;
  PageClock pageClock_;
  VirtualClock virtualClock_{0};
  PagePresenter presenter_;
  std::unique_ptr<AudioBackend> webAudio_;
  std::unique_ptr<HeadlessAudio> virtualAudio_;
  TouchKeys touch_;
  std::vector<Queued> queue_;
  std::function<bool()> tick_;
  bool registered_ = false;
};

bool WebHost::open(std::string& error) {
  if (!page::hasScreen()) {
    error = "the page has no canvas with the id \"screen\"";
    return false;
  }
  setPresenter(&presenter_);
  setNoticeBox(&pageNotice);
  if (virtual_) {
    virtualAudio_ = std::make_unique<HeadlessAudio>();
    setAudioBackend(virtualAudio_.get());
  } else {
    webAudio_ = makeWebAudio();
    setAudioBackend(webAudio_.get());
  }
  registered_ = true;
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, &WebHost::onKey);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, &WebHost::onKey);
  emscripten_set_mousedown_callback(kScreen, this, EM_TRUE, &WebHost::onMouse);
  emscripten_set_mouseup_callback(kScreen, this, EM_TRUE, &WebHost::onMouse);
  emscripten_set_mousemove_callback(kScreen, this, EM_TRUE, &WebHost::onMouse);
  emscripten_set_wheel_callback(kScreen, this, EM_TRUE, &WebHost::onWheel);
  emscripten_set_touchstart_callback(kScreen, this, EM_TRUE, &WebHost::onTouch);
  emscripten_set_touchend_callback(kScreen, this, EM_TRUE, &WebHost::onTouch);
  emscripten_set_touchcancel_callback(kScreen, this, EM_TRUE, &WebHost::onTouch);
  return true;
}

void WebHost::unregister() {
  if (!registered_) return;
  registered_ = false;
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, nullptr);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, nullptr);
  emscripten_set_mousedown_callback(kScreen, nullptr, EM_TRUE, nullptr);
  emscripten_set_mouseup_callback(kScreen, nullptr, EM_TRUE, nullptr);
  emscripten_set_mousemove_callback(kScreen, nullptr, EM_TRUE, nullptr);
  emscripten_set_wheel_callback(kScreen, nullptr, EM_TRUE, nullptr);
  emscripten_set_touchstart_callback(kScreen, nullptr, EM_TRUE, nullptr);
  emscripten_set_touchend_callback(kScreen, nullptr, EM_TRUE, nullptr);
  emscripten_set_touchcancel_callback(kScreen, nullptr, EM_TRUE, nullptr);
}

WebHost::~WebHost() {
  unregister();
  AudioBackend* mine = virtual_ ? static_cast<AudioBackend*>(virtualAudio_.get()) : webAudio_.get();
  if (audioBackend() == mine) setAudioBackend(nullptr);
  setNoticeBox(nullptr);
  if (currentPresenter() == &presenter_) setPresenter(nullptr);
}

void WebHost::waitTick(platform::HostEvents& events) {
  if (virtual_) {
    virtualClock_.advance(kTickMs);
    virtualAudio_->advanceTo(virtualClock_.now());
  }
  std::vector<KeyChange> touchKeys;
  touch_.poll(pageClock_.now(), touchKeys);
  for (const KeyChange& k : touchKeys) queue_.push_back({true, k.vk, k.down, {}});
  // Delivering may queue more (it never does today); take a snapshot.
  std::vector<Queued> batch;
  batch.swap(queue_);
  for (const Queued& q : batch) {
    if (q.isKey)
      events.key(q.vk, q.down);
    else
      events.pointer(q.pointer);
  }
}

void WebHost::runFrames(std::function<bool()> tick) {
  tick_ = std::move(tick);
  // Returns at once; the page's animation frames call frame() from now on.
  emscripten_set_main_loop_arg(&WebHost::frame, this, 0, EM_FALSE);
}

void WebHost::frame(void* arg) {
  auto* self = static_cast<WebHost*>(arg);
  const double start = emscripten_get_now();
  bool running = self->tick_();
  // On virtual time, tick after tick as many as fit in this animation frame.
  while (running && self->virtual_ && emscripten_get_now() - start < kVirtualBudgetMs) running = self->tick_();
  page::frameDone(emscripten_get_now() - start);
  if (!running) {
    emscripten_cancel_main_loop();
    self->unregister();
    page::ended();
  }
}

platform::PointerEvent WebHost::toFrame(platform::PointerEvent::Kind kind, double x, double y) const {
  double w = 0, h = 0;
  emscripten_get_element_css_size(kScreen, &w, &h);
  return framePoint(kind, x, y, w, h, kWidth, kHeight);
}

EM_BOOL WebHost::onKey(int type, const EmscriptenKeyboardEvent* e, void* arg) {
  auto* self = static_cast<WebHost*>(arg);
  const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
  // A release always counts, whatever modifiers are held by then.
  const unsigned vk = down ? virtualKeyForBrowserKey(e->code, e->key, e->altKey, e->ctrlKey, e->metaKey)
                           : virtualKeyForBrowserKey(e->code, e->key, false, false, false);
  if (!vk) return EM_FALSE;  // the browser's own keys stay the browser's
  self->queue_.push_back({true, vk, down, {}});
  return EM_TRUE;
}

EM_BOOL WebHost::onMouse(int type, const EmscriptenMouseEvent* e, void* arg) {
  auto* self = static_cast<WebHost*>(arg);
  using K = platform::PointerEvent;
  K::Kind kind = K::Move;
  if (type == EMSCRIPTEN_EVENT_MOUSEDOWN || type == EMSCRIPTEN_EVENT_MOUSEUP) {
    const bool down = type == EMSCRIPTEN_EVENT_MOUSEDOWN;
    if (e->button == 0)
      kind = down ? K::LeftDown : K::LeftUp;
    else if (e->button == 2)
      kind = down ? K::RightDown : K::RightUp;
    else
      return EM_FALSE;
  }
  self->queue_.push_back({false, 0, false, self->toFrame(kind, e->targetX, e->targetY)});
  return EM_FALSE;  // the page still sees the click (it starts the sound)
}

EM_BOOL WebHost::onWheel(int, const EmscriptenWheelEvent* e, void* arg) {
  auto* self = static_cast<WebHost*>(arg);
  if (e->deltaY == 0) return EM_FALSE;
  const auto kind = e->deltaY < 0 ? platform::PointerEvent::WheelUp : platform::PointerEvent::WheelDown;
  self->queue_.push_back({false, 0, false, self->toFrame(kind, e->mouse.targetX, e->mouse.targetY)});
  return EM_TRUE;
}

EM_BOOL WebHost::onTouch(int type, const EmscriptenTouchEvent* e, void* arg) {
  auto* self = static_cast<WebHost*>(arg);
  const uint32_t now = self->pageClock_.now();
  for (int i = 0; i < e->numTouches; ++i) {
    const EmscriptenTouchPoint& t = e->touches[i];
    if (!t.isChanged) continue;
    const platform::PointerEvent p = self->toFrame(platform::PointerEvent::Move, t.targetX, t.targetY);
    if (type == EMSCRIPTEN_EVENT_TOUCHSTART)
      self->touch_.start(static_cast<int>(t.identifier), p.x, p.y, now);
    else if (type == EMSCRIPTEN_EVENT_TOUCHEND)
      self->touch_.end(static_cast<int>(t.identifier), p.x, p.y, now);
    else
      self->touch_.cancel(static_cast<int>(t.identifier));
  }
  return EM_TRUE;  // no scrolling, no emulated mouse
}

}  // namespace

void runOnAnimationFrames(platform::Host& webHost, std::function<bool()> tick) {
  static_cast<WebHost&>(webHost).runFrames(std::move(tick));
}

std::unique_ptr<platform::Host> openWebHost(const platform::HostSettings&, std::string& error) {
  auto host = std::make_unique<WebHost>(page::virtualTime());
  if (!host->open(error)) return nullptr;
  return host;
}

}  // namespace platform
