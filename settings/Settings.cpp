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

int readInt(const std::string& path, const char* key, int def, int lo, int hi) {
  return std::clamp(platform::getProfileInt(kSection, key, def, path.c_str()), lo, hi);
}

std::string readWord(const std::string& path, const char* key) {
  char buf[64];
  platform::getProfileString(kSection, key, "", buf, sizeof buf, path.c_str());
  return buf;
}

const char* languageWord(Language l) {
  switch (l) {
    case Language::English: return "en";
    case Language::Japanese: return "ja";
    default: return "auto";
  }
}

}  // namespace

bool Settings::operator==(const Settings& o) const {
  return masterVolume == o.masterVolume && voiceVolume == o.voiceVolume && effectVolume == o.effectVolume &&
         mute == o.mute && skip == o.skip && autoPauseMs == o.autoPauseMs && autoPerCharMs == o.autoPerCharMs &&
         scale == o.scale && fullscreen == o.fullscreen && language == o.language && askQuickLoad == o.askQuickLoad;
}

Settings loadSettings(const std::string& path) {
  Settings s;
  if (path.empty()) return s;
  s.masterVolume = readInt(path, "master_volume", s.masterVolume, 0, 100);
  s.voiceVolume = readInt(path, "voice_volume", s.voiceVolume, 0, 100);
  s.effectVolume = readInt(path, "effect_volume", s.effectVolume, 0, 100);
  s.mute = readInt(path, "mute", 0, 0, 1) != 0;
  const std::string skip = readWord(path, "skip");
  if (skip == "all") s.skip = SkipMode::All;
  s.autoPauseMs = readInt(path, "auto_pause_ms", s.autoPauseMs, 0, 10000);
  s.autoPerCharMs = readInt(path, "auto_per_char_ms", s.autoPerCharMs, 0, 1000);
  s.scale = readInt(path, "scale", s.scale, 0, 8);
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

std::string defaultSettingsPath() {
  const std::string folder = platform::settingsFolder();
  return folder.empty() ? "" : (std::filesystem::path(folder) / "settings.ini").string();
}

}  // namespace settings
