// Settings: read over the defaults, clamped, written whole, found where the
// XDG rules say.
#include <gtest/gtest.h>

#include <cstdlib>

#include "settings/Settings.h"
#include "support/TestSupport.h"

namespace {

using settings::Settings;

TEST(Settings, AMissingFileGivesTheDefaults) {
  lmtest::ScratchDir dir;
  const Settings s = settings::loadSettings(dir.path() + "/none.ini");
  EXPECT_EQ(s, Settings{});
  EXPECT_EQ(s.masterVolume, 100);
  EXPECT_EQ(s.skip, settings::SkipMode::ReadOnly);
  EXPECT_EQ(settings::loadSettings(""), Settings{});
}

TEST(Settings, WhatIsWrittenIsReadBack) {
  lmtest::ScratchDir dir;
  Settings s;
  s.masterVolume = 30;
  s.voiceVolume = 0;
  s.effectVolume = 90;
  s.mute = true;
  s.skip = settings::SkipMode::All;
  s.autoPauseMs = 2250;
  s.autoPerCharMs = 0;
  s.scale = 3;
  s.fullscreen = true;
  s.language = settings::Language::Japanese;
  std::string error;
  const std::string path = dir.path() + "/deep/er/settings.ini";
  ASSERT_TRUE(settings::saveSettings(path, s, error)) << error;
  EXPECT_EQ(settings::loadSettings(path), s);
  s.language = settings::Language::English;
  ASSERT_TRUE(settings::saveSettings(path, s, error));
  EXPECT_EQ(settings::loadSettings(path), s);
}

TEST(Settings, ValuesOutOfRangeAreClampedAndUnknownWordsKeepTheDefault) {
  lmtest::ScratchDir dir;
  lmtest::writeText("s.ini",
                    "[lmplayer]\nmaster_volume=250\nvoice_volume=-4\nscale=99\nskip=sometimes\nlanguage=fr\n"
                    "auto_pause_ms=abc\nmute=7\n[other]\neffect_volume=5\n");
  const Settings s = settings::loadSettings("s.ini");
  EXPECT_EQ(s.masterVolume, 100);
  EXPECT_EQ(s.voiceVolume, 0);
  EXPECT_EQ(s.scale, 8);
  EXPECT_EQ(s.skip, settings::SkipMode::ReadOnly);
  EXPECT_EQ(s.language, settings::Language::Auto);
  EXPECT_EQ(s.autoPauseMs, 0) << "a value without digits reads as 0";
  EXPECT_TRUE(s.mute);
  EXPECT_EQ(s.effectVolume, 100) << "other sections are not read";
}

TEST(Settings, AFileThatCannotBeWrittenIsReported) {
  lmtest::ScratchDir dir;
  lmtest::makeDirs("taken.ini");
  std::string error;
  EXPECT_FALSE(settings::saveSettings(dir.path() + "/taken.ini", Settings{}, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(settings::saveSettings("", Settings{}, error));
}

TEST(Settings, DefaultPlaceFollowsXdgConfigHome) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(settings::defaultSettingsPath(), "/tmp/cfg/lmplayer/settings.ini");
  unsetenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_EQ(settings::defaultSettingsPath(), std::string(home) + "/.config/lmplayer/settings.ini");
  }
  if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

TEST(Settings, ARelativeHomeIsIgnored) {
  const char* oldHome = std::getenv("HOME");
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string home = oldHome ? oldHome : "", xdg = oldXdg ? oldXdg : "";
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "relhome", 1);
  EXPECT_EQ(settings::defaultSettingsPath(), "");
  if (oldHome) setenv("HOME", home.c_str(), 1);
  else unsetenv("HOME");
  if (oldXdg) setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
}

}  // namespace

TEST(Settings, NumbersClampWhateverTheirSizeAndEveryDefaultIsInItsRange) {
  lmtest::ScratchDir dir;
  lmtest::writeText("s.ini",
                    "[lmplayer]\nvoice_volume=4294967346\nmaster_volume=-99999999999999999999\n"
                    "auto_pause_ms=8000\nauto_per_char_ms= +70x\n");
  const Settings s = settings::loadSettings("s.ini");
  EXPECT_EQ(s.voiceVolume, 100) << "not wrapped to 50";
  EXPECT_EQ(s.masterVolume, 0);
  EXPECT_EQ(s.autoPauseMs, 8000);
  EXPECT_EQ(s.autoPerCharMs, 70);
  const Settings defaults;
  for (const settings::NumberSetting& n : settings::numberSettings()) {
    EXPECT_GE(defaults.*n.field, n.lo) << n.key;
    EXPECT_LE(defaults.*n.field, n.hi) << n.key;
    EXPECT_EQ(settings::numberSetting(n.field), &n) << n.key;
    EXPECT_NE(settings::settingsText(defaults).find(std::string(n.key) + "="), std::string::npos) << n.key;
  }
}

namespace {

// Two players with one settings file: the one started first writes back only
// what it changed, and keeps the other's change of another key.
TEST(Settings, OnlyTheKeysThisPlayerChangedAreWrittenBack) {
  lmtest::ScratchDir dir;
  const std::string path = dir.path() + "/settings.ini";
  std::string error;
  ASSERT_TRUE(settings::saveSettings(path, Settings{}, error)) << error;
  const Settings first = settings::loadSettings(path);

  Settings second = settings::loadSettings(path);
  second.mute = true;
  ASSERT_TRUE(settings::saveChangedSettings(path, first, second, error)) << error;

  Settings mine = first;
  mine.masterVolume = 40;
  ASSERT_TRUE(settings::saveChangedSettings(path, first, mine, error)) << error;
  const Settings after = settings::loadSettings(path);
  EXPECT_EQ(after.masterVolume, 40);
  EXPECT_TRUE(after.mute) << "the other player's mute=1 stays";
}

}  // namespace
