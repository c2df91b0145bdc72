// The screenshot folder: the XDG pictures folder (from the environment or
// user-dirs.dirs) or ~/Pictures, with a folder of the player's own, made on
// first use.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/PicturesDir.h"
#include "support/TestSupport.h"

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  ~EnvVar() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class PicturesDir : public ::testing::Test {
 protected:
  lmtest::ScratchDir dir;
  std::string home = dir.path() + "/home";
  EnvVar homeVar{"HOME", home.c_str()};
  EnvVar config{"XDG_CONFIG_HOME", nullptr};
};

TEST_F(PicturesDir, TheEnvironmentThenUserDirsThenThePicturesFolder) {
  {
    EnvVar pictures("XDG_PICTURES_DIR", "/srv/pics");
    EXPECT_EQ(platform::defaultShotDir(), "/srv/pics/lmplayer");
  }
  EnvVar pictures("XDG_PICTURES_DIR", nullptr);
  EXPECT_EQ(platform::defaultShotDir(), home + "/Pictures/lmplayer");

  lmtest::makeDirs(home + "/.config");
  lmtest::writeText(home + "/.config/user-dirs.dirs",
                    "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                    "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  EXPECT_EQ(platform::defaultShotDir(), home + "/Bilder/lmplayer");

  // XDG_CONFIG_HOME moves the file; a value that is neither $HOME/... nor
  // absolute is not trusted.
  lmtest::makeDirs(dir.path() + "/cfg");
  lmtest::writeText(dir.path() + "/cfg/user-dirs.dirs", "XDG_PICTURES_DIR=\"relative/pics\"\n");
  EnvVar moved("XDG_CONFIG_HOME", (dir.path() + "/cfg").c_str());
  EXPECT_EQ(platform::defaultShotDir(), home + "/Pictures/lmplayer");
}

TEST_F(PicturesDir, NoHomeNoFolder) {
  EnvVar pictures("XDG_PICTURES_DIR", nullptr);
  EnvVar noHome("HOME", nullptr);
  EXPECT_EQ(platform::defaultShotDir(), "");
}

TEST_F(PicturesDir, TheFolderIsMadeWithItsParents) {
  std::string error;
  const std::string shots = dir.path() + "/a/b/lmplayer";
  ASSERT_TRUE(platform::makeShotDir(shots, error)) << error;
  EXPECT_TRUE(platform::makeShotDir(shots, error)) << "an existing folder is fine";
  lmtest::writeText(dir.path() + "/file", "x");
  EXPECT_FALSE(platform::makeShotDir(dir.path() + "/file/lmplayer", error));
  EXPECT_NE(error.find("/file/lmplayer"), std::string::npos) << error;
}

}  // namespace
