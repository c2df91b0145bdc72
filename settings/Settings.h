#pragma once
// The player's remembered settings: volumes, mute, skip mode, auto-advance
// pause, window scale, full screen and the menu language, in an INI file
// (section [lmplayer]) that the player writes only when something changed.
#include <string>
#include <vector>

namespace settings {

enum class SkipMode { ReadOnly, All };
enum class Language { Auto, English, Japanese };

struct Settings {
  int masterVolume = 100;  // percent
  int voiceVolume = 100;
  int effectVolume = 100;
  bool mute = false;
  SkipMode skip = SkipMode::ReadOnly;  // skip stops at the first unread message
  int autoPauseMs = 1000;              // auto-advance: pause after the voice ends,
  int autoPerCharMs = 60;              // plus this much per character of the message
  int scale = 0;                       // window scale 1..8; 0: automatic
  bool fullscreen = false;
  Language language = Language::Auto;  // of the menus; Auto follows the story's text
  bool askQuickLoad = false;           // F9 asks before the progress since the quick save goes

  bool operator==(const Settings& o) const;
  bool operator!=(const Settings& o) const { return !(*this == o); }
};

// A number setting: its key in the file, its member, and its one range and
// step, which the file's reader and the Settings screen both keep to.
struct NumberSetting {
  const char* key;
  int Settings::*field;
  int lo, hi, step;
};

// Every number setting, in the file's order.
const std::vector<NumberSetting>& numberSettings();
// The row of `field`; null when it is not a number setting.
const NumberSetting* numberSetting(int Settings::*field);
// `text` as a decimal number (blanks, a sign, digits; no digits reads as 0)
// clamped to [lo, hi] however many digits it has.
int clampedNumber(const std::string& text, int lo, int hi);

// Reads `path` over the defaults; values out of range are clamped, unknown
// words keep the default. A missing file gives the defaults.
Settings loadSettings(const std::string& path);

// The file's text for `s`.
std::string settingsText(const Settings& s);

// Writes `path` whole or not at all, making its folder; false with a reason.
bool saveSettings(const std::string& path, const Settings& s, std::string& error);

// Writes back only what this player changed: each setting where `now`
// differs from `before` (as this player last read or wrote the file); every
// other key as the file holds it now, so a change another player made
// meanwhile is kept. False with a reason.
bool saveChangedSettings(const std::string& path, const Settings& before, const Settings& now, std::string& error);

// $XDG_CONFIG_HOME/lmplayer/settings.ini, else ~/.config/lmplayer/settings.ini;
// empty when neither variable is set to an absolute path.
std::string defaultSettingsPath();

}  // namespace settings
