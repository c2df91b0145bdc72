// A game controller through SDL's own mapping, on SDL's virtual joystick, and
// keyboard events, both through the real SDL window host (SDL's dummy video
// driver: no display needed): the D-pad and A reach the same key bits as the
// cursor keys and Enter.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/SdlHost.h"
#include "platform/sdl/SdlKeys.h"
#include "shell/Key.h"
#include "platform/Host.h"

namespace {

// Keeps the key events the host delivers and applies them to the key state,
// as the frame loop does.
class KeyEvents : public platform::HostEvents {
 public:
  struct Event {
    unsigned vk;
    bool down;
  };
  void key(unsigned vk, bool down) override {
    events.push_back({vk, down});
    keyAction(vk, down ? 1 : 0);
  }
  void paint() override {}
  void close() override {}
  std::vector<Event> events;
};

class SdlControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The dummy window never has the keyboard focus, without which SDL drops
    // controller events.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    KeyReset();
    platform::HostSettings settings;
    settings.scale = 1;
    std::string error;
    host = platform::openSdlHost(settings, error);
    ASSERT_TRUE(host) << error;
  }
  void TearDown() override {
    if (device >= 0) SDL_JoystickDetachVirtual(device);
    host.reset();
    KeyReset();
  }

  // Attaches a virtual controller with every standard button and axis (SDL
  // maps it as a game controller itself) and waits until the window has
  // opened it; `controller` is the window's.
  void attachController() {
    device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                       SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    ASSERT_TRUE(SDL_IsGameController(device)) << "SDL has no mapping for its virtual controller";
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
    for (int i = 0; i < 200 && !controller; ++i) {
      host->waitTick(sink);
      controller = SDL_GameControllerFromInstanceID(id);
    }
    ASSERT_NE(controller, nullptr) << "the window did not open the controller";
  }

  // Runs host ticks (5 ms each) until `n` more key events arrived, at most a
  // second's worth; the events that arrived.
  std::vector<KeyEvents::Event> tickFor(size_t n) {
    const size_t from = sink.events.size();
    for (int i = 0; i < 200 && sink.events.size() < from + n; ++i) host->waitTick(sink);
    return std::vector<KeyEvents::Event>(sink.events.begin() + static_cast<long>(from), sink.events.end());
  }

  // Presses and releases `button` through the joystick button SDL's mapping
  // binds to it; the key bits while it was held.
  int pressButton(SDL_GameControllerButton button) {
    SDL_GameControllerButtonBind bind = SDL_GameControllerGetBindForButton(controller, button);
    EXPECT_EQ(bind.bindType, SDL_CONTROLLER_BINDTYPE_BUTTON) << SDL_GameControllerGetStringForButton(button);
    SDL_Joystick* joystick = SDL_GameControllerGetJoystick(controller);
    SDL_JoystickSetVirtualButton(joystick, bind.value.button, SDL_PRESSED);
    std::vector<KeyEvents::Event> down = tickFor(1);
    const int held = KeyStatus();
    SDL_JoystickSetVirtualButton(joystick, bind.value.button, SDL_RELEASED);
    std::vector<KeyEvents::Event> up = tickFor(1);
    EXPECT_EQ(down.size(), 1u);
    EXPECT_EQ(up.size(), 1u);
    if (!up.empty()) {
      EXPECT_FALSE(up[0].down);
    }
    EXPECT_EQ(KeyStatus(), 0);
    return held;
  }

  // Pushes a key press and release into SDL's queue; the key bits while held.
  int pressKey(SDL_Scancode scancode) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    SDL_PushEvent(&e);
    tickFor(1);
    const int held = KeyStatus();
    e.type = e.key.type = SDL_KEYUP;
    e.key.state = SDL_RELEASED;
    SDL_PushEvent(&e);
    tickFor(1);
    EXPECT_EQ(KeyStatus(), 0);
    return held;
  }

  std::unique_ptr<platform::Host> host;
  KeyEvents sink;
  int device = -1;
  SDL_GameController* controller = nullptr;  // opened by the window
};

TEST_F(SdlControllerTest, DpadAndAGiveTheBitsOfTheCursorKeysAndEnter) {
  attachController();
  const struct {
    SDL_GameControllerButton button;
    SDL_Scancode key;
    int bit;
  } pairs[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_SCANCODE_UP, KEY_UP},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_SCANCODE_DOWN, KEY_DOWN},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_SCANCODE_RIGHT, KEY_RIGHT},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_SCANCODE_LEFT, KEY_LEFT},
      {SDL_CONTROLLER_BUTTON_A, SDL_SCANCODE_RETURN, KEY_DECIDE},
  };
  for (const auto& p : pairs) {
    SCOPED_TRACE(SDL_GameControllerGetStringForButton(p.button));
    const int fromButton = pressButton(p.button);
    const int fromKey = pressKey(p.key);
    EXPECT_EQ(fromButton, p.bit);
    EXPECT_EQ(fromKey, p.bit);
  }
  // The same codes too, not just the same bits.
  std::vector<unsigned> downs;
  for (const KeyEvents::Event& e : sink.events)
    if (e.down) downs.push_back(e.vk);
  EXPECT_EQ(downs, (std::vector<unsigned>{VK_UP, VK_UP, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RIGHT, VK_LEFT, VK_LEFT,
                                          VK_RETURN, VK_RETURN}));
}

TEST_F(SdlControllerTest, OtherButtonsSetNoBitAndAControllerPluggedInLaterWorks) {
  // Plugged in after the window opened, like any controller.
  for (int i = 0; i < 4; ++i) host->waitTick(sink);
  attachController();
  SDL_Joystick* joystick = SDL_GameControllerGetJoystick(controller);
  for (SDL_GameControllerButton b : {SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y,
                                     SDL_CONTROLLER_BUTTON_LEFTSHOULDER}) {
    SDL_GameControllerButtonBind bind = SDL_GameControllerGetBindForButton(controller, b);
    SDL_JoystickSetVirtualButton(joystick, bind.value.button, SDL_PRESSED);
  }
  // A's press is the marker that everything before it was handled.
  EXPECT_EQ(pressButton(SDL_CONTROLLER_BUTTON_A), KEY_DECIDE);
  ASSERT_FALSE(sink.events.empty());
  EXPECT_EQ(sink.events.front().vk, VK_RETURN) << "X, Y and a shoulder gave a key";
  // Unplugged while held: the key is let go, not left held.
  SDL_JoystickSetVirtualButton(joystick, SDL_GameControllerGetBindForButton(controller, SDL_CONTROLLER_BUTTON_DPAD_UP)
                                             .value.button,
                               SDL_PRESSED);
  tickFor(1);
  ASSERT_EQ(KeyStatus(), KEY_UP);
  controller = nullptr;
  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
  device = -1;
  std::vector<KeyEvents::Event> after = tickFor(1);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].vk, VK_UP);
  EXPECT_FALSE(after[0].down);
  EXPECT_EQ(KeyStatus(), 0);
}

}  // namespace
