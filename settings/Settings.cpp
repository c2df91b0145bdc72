#include "settings/Settings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/Ini.h"
#include "platform/KeptFile.h"
#include "platform/Places.h"

namespace settings {

namespace {

constexpr const char* kSection = "lmplayer";

std::string readWord(const std::string& path, const char* key) {
  char buf[64];
  platform::getProfileString(kSection, key, "", buf, sizeof buf, path.c_str());
  return buf;
}

int readInt(const std::string& path, const char* key, int def, int lo, int hi) {
  const std::string text = readWord(path, key);
  return text.empty() ? def : clampedNumber(text, lo, hi);
}

const char* languageWord(Language l) {
  switch (l) {
    case Language::English: return "en";
    case Language::Japanese: return "ja";
    default: return "auto";
  }
}

}  // namespace

const std::vector<NumberSetting>& numberSettings() {
  static const std::vector<NumberSetting> rows = {
      {"master_volume", &Settings::masterVolume, 0, 100, 10},
      {"voice_volume", &Settings::voiceVolume, 0, 100, 10},
      {"effect_volume", &Settings::effectVolume, 0, 100, 10},
      {"auto_pause_ms", &Settings::autoPauseMs, 0, 10000, 250},
      {"auto_per_char_ms", &Settings::autoPerCharMs, 0, 1000, 10},
      {"scale", &Settings::scale, 0, 8, 1},
  };
  return rows;
}

const NumberSetting* numberSetting(int Settings::*field) {
  for (const NumberSetting& n : numberSettings())
    if (n.field == field) return &n;
  return nullptr;
}

int clampedNumber(const std::string& text, int lo, int hi) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  constexpr long long kPast = 1LL << 40;  // far past any range: more digits change nothing
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = std::min(value * 10 + (text[i] - '0'), kPast);
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, lo, hi));
}

bool Settings::operator==(const Settings& o) const {
  return masterVolume == o.masterVolume && voiceVolume == o.voiceVolume && effectVolume == o.effectVolume &&
         mute == o.mute && skip == o.skip && autoPauseMs == o.autoPauseMs && autoPerCharMs == o.autoPerCharMs &&
         scale == o.scale && fullscreen == o.fullscreen && language == o.language && askQuickLoad == o.askQuickLoad;
}

Settings loadSettings(const std::string& path) {
  Settings s;
  if (path.empty()) return s;
  for (const NumberSetting& n : numberSettings()) s.*n.field = readInt(path, n.key, s.*n.field, n.lo, n.hi);
  s.mute = readInt(path, "mute", 0, 0, 1) != 0;
  const std::string skip = readWord(path, "skip");
  if (skip == "all") s.skip = SkipMode::All;
  s.fullscreen = readInt(path, "fullscreen", 0, 0, 1) != 0;
  const std::string lang = readWord(path, "language");
  if (lang == "en") s.language = Language::English;
  if (lang == "ja") s.language = Language::Japanese;
  s.askQuickLoad = readInt(path, "ask_quick_load", 0, 0, 1) != 0;
  return s;
}

std::string settingsText(const Settings& s) {
  std::string t = "; lmplayer settings (written by the player)\n[lmplayer]\n";
  auto line = [&](const char* key, const std::string& value) { t += std::string(key) + "=" + value + "\n"; };
  line("master_volume", std::to_string(s.masterVolume));
  line("voice_volume", std::to_string(s.voiceVolume));
  line("effect_volume", std::to_string(s.effectVolume));
  line("mute", s.mute ? "1" : "0");
  line("skip", s.skip == SkipMode::All ? "all" : "read");
  line("auto_pause_ms", std::to_string(s.autoPauseMs));
  line("auto_per_char_ms", std::to_string(s.autoPerCharMs));
  line("scale", std::to_string(s.scale));
  line("fullscreen", s.fullscreen ? "1" : "0");
  line("language", languageWord(s.language));
  line("ask_quick_load", s.askQuickLoad ? "1" : "0");
  return t;
}

bool saveSettings(const std::string& path, const Settings& s, std::string& error) {
  if (path.empty()) {
    error = "no settings file";
    return false;
  }
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::error_code ec;
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  const std::string text = settingsText(s);
  return platform::writeKeptFile(path, std::vector<unsigned char>(text.begin(), text.end()), error);
}

bool saveChangedSettings(const std::string& path, const Settings& before, const Settings& now, std::string& error) {
  Settings merged = loadSettings(path);
  auto take = [&](auto field) {
    if (now.*field != before.*field) merged.*field = now.*field;
  };
  take(&Settings::masterVolume);
  take(&Settings::voiceVolume);
  take(&Settings::effectVolume);
  take(&Settings::mute);
  take(&Settings::skip);
  take(&Settings::autoPauseMs);
  take(&Settings::autoPerCharMs);
  take(&Settings::scale);
  take(&Settings::fullscreen);
  take(&Settings::language);
  return saveSettings(path, merged, error);
}

std::string defaultSettingsPath() {
  const std::string folder = platform::settingsFolder();
  return folder.empty() ? "" : (std::filesystem::path(folder) / "settings.ini").string();
}

}  // namespace settings
