#include "platform/sdl/SdlHost.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>

#include "platform/Audio.h"
#include "platform/PicturesDir.h"
#include "platform/Presenter.h"
#include "platform/sdl/QuietStderr.h"
#include "platform/sdl/ScreenshotName.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlClock.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/SdlNotice.h"
#include "platform/sdl/SdlPointer.h"
#include "platform/sdl/SdlPresenter.h"

namespace platform {

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr uint32_t kTickMs = 5;
const char* const kCaption = "Lumaro\xE2\x98\x86Player";  // "Lumaro☆Player" in UTF-8

class SdlHost : public platform::Host {
 public:
  SdlHost(const platform::HostSettings& settings)
      : shotDir_(settings.shotDir), scale_(settings.scale), startFull_(settings.fullscreen) {}
  ~SdlHost() override;

  bool open(std::string& error);
  Clock& clock() override { return clock_; }
  void waitTick(platform::HostEvents& events) override;
  void waitUntil(uint32_t due, platform::HostEvents& events) override;
  void setWindowMode(int scale, bool fullscreen) override;
  bool fullscreen() const override;
  bool windowModes() const override { return true; }

 private:
  int automaticScale() const override;
  void handle(const SDL_Event& e, platform::HostEvents& events);
  void handleKey(const SDL_KeyboardEvent& k, platform::HostEvents& events);
  void toggleFullscreen(platform::HostEvents& events);

  std::string shotDir_;
  int scale_;
  bool startFull_;
  int pointerX_ = 0, pointerY_ = 0;  // where the wheel is reported
  bool sdlStarted_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  std::unique_ptr<SdlPresenter> presenter_;
  std::unique_ptr<AudioBackend> audio_;
  std::map<SDL_JoystickID, SDL_GameController*> controllers_;
  SdlClock clock_;
  uint32_t nextTick_ = 0;
};

// Without a display SDL falls back to a driver that shows nothing; that is
// only right when the user asked for it through SDL_VIDEODRIVER.
bool displayDriverOk(const char* driver) {
  const char* chosen = SDL_getenv("SDL_VIDEODRIVER");
  if (chosen && *chosen) return true;
  std::string d = driver ? driver : "";
  return d != "offscreen" && d != "dummy" && d != "evdev";
}

bool SdlHost::open(std::string& error) {
  // Stop signals are the player's own (they end the run like closing the window).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  QuietStderr quiet;
  const int started = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER);
  quiet.restore();
  if (started != 0) {
    error = std::string("no display to open a window on (") + SDL_GetError() + "); use --headless to play without one";
    return false;
  }
  sdlStarted_ = true;
  if (!displayDriverOk(SDL_GetCurrentVideoDriver())) {
    error = "no display to open a window on (DISPLAY and WAYLAND_DISPLAY are not set); use --headless to play "
            "without one";
    return false;
  }
  if (scale_ <= 0) scale_ = automaticScale();
  window_ = SDL_CreateWindow(kCaption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth * scale_,
                             kHeight * scale_, SDL_WINDOW_SHOWN | (startFull_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0));
  if (!window_) {
    error = std::string("cannot open the window: ") + SDL_GetError();
    return false;
  }
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    error = std::string("cannot draw into the window: ") + SDL_GetError();
    return false;
  }
  // Letterboxed whole-number scaling in a window and in full screen alike.
  SDL_RenderSetLogicalSize(renderer_, kWidth, kHeight);
  SDL_RenderSetIntegerScale(renderer_, SDL_TRUE);
  presenter_ = std::make_unique<SdlPresenter>(renderer_, kWidth, kHeight);
  if (!presenter_->ok()) {
    error = std::string("cannot make the frame texture: ") + SDL_GetError();
    return false;
  }
  setPresenter(presenter_.get());
  installSdlNoticeBox(window_);
  // The sound library opens it at start-up; without a device it stays silent.
  audio_ = makeSdlAudio();
  setAudioBackend(audio_.get());
  nextTick_ = clock_.now() + kTickMs;
  return true;
}

SdlHost::~SdlHost() {
  // The sound library was shut down by the frame loop's teardown before this.
  if (audio_ && audioBackend() == audio_.get()) setAudioBackend(nullptr);
  audio_.reset();
  installSdlNoticeBox(nullptr);
  if (currentPresenter() == presenter_.get()) setPresenter(nullptr);
  presenter_.reset();
  for (auto& c : controllers_) SDL_GameControllerClose(c.second);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER);
}

void SdlHost::waitTick(platform::HostEvents& events) {
  uint32_t now = clock_.now();
  // After a long frame, tick again at once rather than replaying missed ticks.
  if (static_cast<int32_t>(now - nextTick_) > static_cast<int32_t>(kTickMs)) nextTick_ = now;
  SDL_Event e;
  for (;;) {
    while (SDL_PollEvent(&e)) handle(e, events);
    now = clock_.now();
    int32_t left = static_cast<int32_t>(nextTick_ - now);
    if (left <= 0) break;
    SDL_WaitEventTimeout(nullptr, left);
  }
  nextTick_ += kTickMs;
}

void SdlHost::waitUntil(uint32_t due, platform::HostEvents& events) {
  SDL_Event e;
  bool delivered = false;
  while (SDL_PollEvent(&e)) {
    handle(e, events);
    delivered = true;
  }
  while (!delivered) {
    const int32_t left = static_cast<int32_t>(due - clock_.now());
    if (left <= 0) return;
    if (SDL_WaitEventTimeout(&e, left)) {
      handle(e, events);
      delivered = true;
      while (SDL_PollEvent(&e)) handle(e, events);
    }
  }
}

void SdlHost::handle(const SDL_Event& e, platform::HostEvents& events) {
  switch (e.type) {
    case SDL_QUIT:
      events.close();
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        events.paint();
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      handleKey(e.key, events);
      break;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL: {
      platform::PointerEvent p;
      if (pointerForEvent(e, pointerX_, pointerY_, p)) events.pointer(p);
      break;
    }
    case SDL_CONTROLLERDEVICEADDED:
      if (SDL_GameController* c = SDL_GameControllerOpen(e.cdevice.which)) {
        controllers_[SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c))] = c;
      }
      break;
    case SDL_CONTROLLERDEVICEREMOVED: {
      auto it = controllers_.find(e.cdevice.which);
      if (it != controllers_.end()) {
        SDL_GameControllerClose(it->second);
        controllers_.erase(it);
      }
      break;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (unsigned vk = virtualKeyForButton(e.cbutton.button)) events.key(vk, e.type == SDL_CONTROLLERBUTTONDOWN);
      break;
    default:
      break;
  }
}

void SdlHost::handleKey(const SDL_KeyboardEvent& k, platform::HostEvents& events) {
  const bool down = k.type == SDL_KEYDOWN;
  const KeyRoute route = routeKeyEvent(k.keysym.scancode, k.keysym.mod, down, k.repeat != 0);
  if (route.command == WindowCommand::ToggleFullscreen) toggleFullscreen(events);
  if (route.command == WindowCommand::Screenshot && presenter_) {
    std::string error;
    std::string name = makeShotDir(shotDir_, error) ? nextScreenshotName(shotDir_) : "";
    if (!error.empty()) {
      std::fprintf(stderr, "lmplayer: screenshot: %s\n", error.c_str());
    } else if (name.empty()) {
      std::fprintf(stderr, "lmplayer: no free screenshot name in '%s'\n", shotDir_.c_str());
    } else {
      presenter_->requestShot(name);
      events.windowAction("shot " + name);
    }
  }
  if (route.vk) events.key(route.vk, down);
}

int SdlHost::automaticScale() const {
  SDL_DisplayMode mode;
  return SDL_GetDesktopDisplayMode(0, &mode) == 0 ? defaultWindowScale(mode.w, mode.h) : 1;
}

void SdlHost::setWindowMode(int scale, bool full) {
  const int s = scale > 0 ? std::min(scale, 8) : automaticScale();
  if (s != scale_) {
    scale_ = s;
    SDL_SetWindowSize(window_, kWidth * scale_, kHeight * scale_);
  }
  if (full != fullscreen()) SDL_SetWindowFullscreen(window_, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  if (presenter_) presenter_->repaint();
}

bool SdlHost::fullscreen() const { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0; }

void SdlHost::toggleFullscreen(platform::HostEvents& events) {
  const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
  SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (presenter_) presenter_->repaint();
  const bool nowFull = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
  events.windowAction(nowFull ? "fullscreen on" : "fullscreen off");
}

}  // namespace

int defaultWindowScale(int desktopWidth, int desktopHeight) {
  int scale = std::min(desktopWidth / 2 / kWidth, desktopHeight / 2 / kHeight);
  return std::clamp(scale, 1, 8);
}

std::unique_ptr<platform::Host> openSdlHost(const platform::HostSettings& settings, std::string& error) {
  auto host = std::make_unique<SdlHost>(settings);
  if (!host->open(error)) return nullptr;
  return host;
}

}  // namespace platform
