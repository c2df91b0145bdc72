// Keyboard events and controller buttons to the key state, as the SDL window
// routes them: the key table, system keys and the window's own commands.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/sdl/SdlKeys.h"
#include "shell/Key.h"

using platform::KeyRoute;
using platform::routeKeyEvent;
using platform::WindowCommand;

namespace {

struct KeyEvent {
  SDL_Scancode scancode;
  unsigned mod;
  bool down;
  bool repeat = false;
};

// Feeds events to the key state as the window does; returns the bits after each.
std::vector<int> play(const std::vector<KeyEvent>& events) {
  KeyReset();
  std::vector<int> bits;
  for (const KeyEvent& e : events) {
    KeyRoute r = routeKeyEvent(e.scancode, e.mod, e.down, e.repeat);
    if (r.vk) keyAction(r.vk, e.down ? 1 : 0);
    bits.push_back(KeyStatus());
  }
  KeyReset();
  return bits;
}

struct Row {
  SDL_Scancode scancode;
  unsigned mod;
  unsigned vk;
  int bit;
};

// Every key of the table, with Num Lock on (KMOD_NUM) and off for the keypad.
const Row kTable[] = {
    {SDL_SCANCODE_UP, KMOD_NONE, VK_UP, KEY_UP},
    {SDL_SCANCODE_DOWN, KMOD_NONE, VK_DOWN, KEY_DOWN},
    {SDL_SCANCODE_RIGHT, KMOD_NONE, VK_RIGHT, KEY_RIGHT},
    {SDL_SCANCODE_LEFT, KMOD_NONE, VK_LEFT, KEY_LEFT},
    {SDL_SCANCODE_KP_8, KMOD_NUM, VK_NUMPAD8, KEY_UP},
    {SDL_SCANCODE_KP_2, KMOD_NUM, VK_NUMPAD2, KEY_DOWN},
    {SDL_SCANCODE_KP_6, KMOD_NUM, VK_NUMPAD6, KEY_RIGHT},
    {SDL_SCANCODE_KP_4, KMOD_NUM, VK_NUMPAD4, KEY_LEFT},
    {SDL_SCANCODE_KP_8, KMOD_NONE, VK_UP, KEY_UP},
    {SDL_SCANCODE_KP_2, KMOD_NONE, VK_DOWN, KEY_DOWN},
    {SDL_SCANCODE_KP_6, KMOD_NONE, VK_RIGHT, KEY_RIGHT},
    {SDL_SCANCODE_KP_4, KMOD_NONE, VK_LEFT, KEY_LEFT},
    {SDL_SCANCODE_RETURN, KMOD_NONE, VK_RETURN, KEY_DECIDE},
    {SDL_SCANCODE_KP_ENTER, KMOD_NONE, VK_RETURN, KEY_DECIDE},
    {SDL_SCANCODE_SPACE, KMOD_NONE, VK_SPACE, KEY_DECIDE},
    {SDL_SCANCODE_ESCAPE, KMOD_NONE, VK_ESCAPE, KEY_ESCAPE},
};

TEST(SdlKeys, EveryRowOfTheKeyTableSetsAndClearsItsBit) {
  for (const Row& row : kTable) {
    SCOPED_TRACE(SDL_GetScancodeName(row.scancode));
    SCOPED_TRACE(row.mod);
    KeyRoute r = routeKeyEvent(row.scancode, row.mod, true, false);
    EXPECT_EQ(r.vk, row.vk);
    EXPECT_EQ(r.command, WindowCommand::None);
    EXPECT_EQ(play({{row.scancode, row.mod, true}, {row.scancode, row.mod, false}}),
              (std::vector<int>{row.bit, 0}));
    // Shift, Ctrl and Caps Lock change nothing.
    for (unsigned mod : {unsigned(KMOD_LSHIFT), unsigned(KMOD_RCTRL), unsigned(KMOD_CAPS)})
      EXPECT_EQ(routeKeyEvent(row.scancode, row.mod | mod, true, false).vk, row.vk) << "with mod " << mod;
  }
}

TEST(SdlKeys, OtherKeysHaveNoBit) {
  for (SDL_Scancode sc : {SDL_SCANCODE_Z, SDL_SCANCODE_1, SDL_SCANCODE_F1, SDL_SCANCODE_KP_5, SDL_SCANCODE_KP_7,
                          SDL_SCANCODE_LALT}) {
    EXPECT_EQ(routeKeyEvent(sc, KMOD_NUM, true, false).vk, 0u) << SDL_GetScancodeName(sc);
  }
}

// The player's own keys (menus, saves, skip) get their codes, and still no bit.
TEST(SdlKeys, ThePlayersOwnKeysHaveCodesButNoBit) {
  const struct {
    SDL_Scancode sc;
    unsigned vk;
  } keys[] = {{SDL_SCANCODE_F5, VK_F5},         {SDL_SCANCODE_F9, VK_F9},       {SDL_SCANCODE_BACKSPACE, VK_BACK},
              {SDL_SCANCODE_PAGEUP, VK_PRIOR},  {SDL_SCANCODE_PAGEDOWN, VK_NEXT}, {SDL_SCANCODE_LCTRL, VK_CONTROL},
              {SDL_SCANCODE_RCTRL, VK_CONTROL}, {SDL_SCANCODE_TAB, VK_TAB},     {SDL_SCANCODE_A, VK_A},
              {SDL_SCANCODE_M, VK_M}};
  for (const auto& k : keys) {
    SCOPED_TRACE(SDL_GetScancodeName(k.sc));
    EXPECT_EQ(routeKeyEvent(k.sc, KMOD_NONE, true, false).vk, k.vk);
    EXPECT_EQ(play({{k.sc, KMOD_NONE, true}, {k.sc, KMOD_NONE, false}}), (std::vector<int>{0, 0}));
  }
}

TEST(SdlKeys, KeysPressedWithAltNeverReachTheKeyState) {
  for (unsigned alt : {unsigned(KMOD_LALT), unsigned(KMOD_RALT)}) {
    for (const Row& row : kTable) {
      SCOPED_TRACE(SDL_GetScancodeName(row.scancode));
      EXPECT_EQ(routeKeyEvent(row.scancode, row.mod | alt, true, false).vk, 0u);
      EXPECT_EQ(routeKeyEvent(row.scancode, row.mod | alt, true, true).vk, 0u) << "repeat";
    }
    // Alt down, Space down and up, Alt up: Decide never set.
    EXPECT_EQ(play({{SDL_SCANCODE_LALT, KMOD_NONE, true},
                    {SDL_SCANCODE_SPACE, alt, true},
                    {SDL_SCANCODE_SPACE, alt, true, true},
                    {SDL_SCANCODE_SPACE, alt, false},
                    {SDL_SCANCODE_LALT, alt, false}}),
              (std::vector<int>{0, 0, 0, 0, 0}));
  }
}

TEST(SdlKeys, KeyHeldBeforeAltIsReleasedWithAltDown) {
  // Space down, then Alt, then Space up while Alt is held: not left held.
  EXPECT_EQ(play({{SDL_SCANCODE_SPACE, KMOD_NONE, true},
                  {SDL_SCANCODE_LALT, KMOD_NONE, true},
                  {SDL_SCANCODE_SPACE, KMOD_LALT, true, true},
                  {SDL_SCANCODE_SPACE, KMOD_LALT, false}}),
            (std::vector<int>{KEY_DECIDE, KEY_DECIDE, KEY_DECIDE, 0}));
  // A key still held after Alt is let go counts again at its next repeat.
  EXPECT_EQ(play({{SDL_SCANCODE_UP, KMOD_LALT, true},
                  {SDL_SCANCODE_LALT, KMOD_NONE, false},
                  {SDL_SCANCODE_UP, KMOD_NONE, true, true}}),
            (std::vector<int>{0, 0, KEY_UP}));
}

TEST(SdlKeys, F10NeverReachesTheKeyState) {
  for (unsigned mod : {unsigned(KMOD_NONE), unsigned(KMOD_NUM), unsigned(KMOD_LSHIFT)}) {
    KeyRoute r = routeKeyEvent(SDL_SCANCODE_F10, mod, true, false);
    EXPECT_EQ(r.vk, 0u);
    EXPECT_EQ(r.command, WindowCommand::None);
  }
  EXPECT_EQ(play({{SDL_SCANCODE_UP, KMOD_NONE, true},
                  {SDL_SCANCODE_F10, KMOD_NONE, true},
                  {SDL_SCANCODE_F10, KMOD_NONE, false}}),
            (std::vector<int>{KEY_UP, KEY_UP, KEY_UP}));
}

TEST(SdlKeys, FullScreenAndScreenshotKeysActOncePerPressAndSetNoBit) {
  struct Case {
    SDL_Scancode sc;
    unsigned mod;
    WindowCommand command;
  } cases[] = {
      {SDL_SCANCODE_F11, KMOD_NONE, WindowCommand::ToggleFullscreen},
      {SDL_SCANCODE_F11, KMOD_LALT, WindowCommand::ToggleFullscreen},
      {SDL_SCANCODE_RETURN, KMOD_LALT, WindowCommand::ToggleFullscreen},
      {SDL_SCANCODE_KP_ENTER, KMOD_RALT, WindowCommand::ToggleFullscreen},
      {SDL_SCANCODE_RETURN, KMOD_NONE, WindowCommand::None},
      {SDL_SCANCODE_RETURN, KMOD_LCTRL, WindowCommand::None},
      {SDL_SCANCODE_SPACE, KMOD_LALT, WindowCommand::None},
      {SDL_SCANCODE_F12, KMOD_NONE, WindowCommand::Screenshot},
      {SDL_SCANCODE_F12, KMOD_NUM, WindowCommand::Screenshot},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(SDL_GetScancodeName(c.sc));
    SCOPED_TRACE(c.mod);
    EXPECT_EQ(routeKeyEvent(c.sc, c.mod, true, false).command, c.command);
    EXPECT_EQ(routeKeyEvent(c.sc, c.mod, true, true).command, WindowCommand::None) << "repeat";
    EXPECT_EQ(routeKeyEvent(c.sc, c.mod, false, false).command, WindowCommand::None) << "release";
    if (c.command != WindowCommand::None) {
      EXPECT_EQ(routeKeyEvent(c.sc, c.mod, true, false).vk, 0u);
    }
  }
  // Alt+Enter never decides; F11 and F12 leave a held key alone.
  EXPECT_EQ(play({{SDL_SCANCODE_RETURN, KMOD_LALT, true}, {SDL_SCANCODE_RETURN, KMOD_LALT, false}}),
            (std::vector<int>{0, 0}));
  EXPECT_EQ(play({{SDL_SCANCODE_DOWN, KMOD_NONE, true},
                  {SDL_SCANCODE_F11, KMOD_NONE, true},
                  {SDL_SCANCODE_F11, KMOD_NONE, false},
                  {SDL_SCANCODE_F12, KMOD_NONE, true},
                  {SDL_SCANCODE_F12, KMOD_NONE, false}}),
            (std::vector<int>{KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_DOWN}));
}

TEST(SdlKeys, ControllerButtonsGiveTheKeysBits) {
  struct Pair {
    SDL_GameControllerButton button;
    SDL_Scancode key;
  } pairs[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_SCANCODE_UP},       {SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_SCANCODE_DOWN},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_SCANCODE_LEFT},   {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_SCANCODE_RIGHT},
      {SDL_CONTROLLER_BUTTON_A, SDL_SCANCODE_RETURN},         {SDL_CONTROLLER_BUTTON_B, SDL_SCANCODE_ESCAPE},
      {SDL_CONTROLLER_BUTTON_START, SDL_SCANCODE_ESCAPE},
  };
  for (const Pair& p : pairs)
    EXPECT_EQ(platform::virtualKeyForButton(p.button), routeKeyEvent(p.key, KMOD_NONE, true, false).vk)
        << SDL_GameControllerGetStringForButton(p.button);
  for (SDL_GameControllerButton b : {SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y, SDL_CONTROLLER_BUTTON_GUIDE,
                                     SDL_CONTROLLER_BUTTON_LEFTSHOULDER})
    EXPECT_EQ(platform::virtualKeyForButton(b), 0u) << SDL_GameControllerGetStringForButton(b);
}

}  // namespace
