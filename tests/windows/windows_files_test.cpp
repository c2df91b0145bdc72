// Windows' own terms for the platform layer's files: wide and Shift-JIS
// names, case, replacing, identity, reparse points and %APPDATA%.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ChildProcess.h"
#include "platform/ErrorLog.h"
#include "platform/FileOps.h"
#include "platform/FileSystem.h"
#include "platform/KeptFile.h"
#include "platform/Ini.h"
#include "platform/OutputFile.h"
#include "platform/PicturesDir.h"
#include "platform/Places.h"
#include "platform/WideNames.h"
#include "save/SaveStore.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"

namespace {

using lmtest::ScratchDir;

std::string readAll(std::FILE* fp) {
  std::string text;
  if (!fp) return text;
  char buf[256];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) text.append(buf, n);
  std::fclose(fp);
  return text;
}

void writeWide(const std::wstring& name, const std::string& text) {
  std::FILE* fp = _wfopen(name.c_str(), L"wb");
  ASSERT_NE(fp, nullptr);
  std::fwrite(text.data(), 1, text.size(), fp);
  std::fclose(fp);
}

size_t filesIn(const std::wstring& pattern) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(pattern.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return 0;
  size_t n = 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return n;
}

TEST(WindowsDataNames, ShiftJisNamesWithABackslashTrailByteAndAnyCaseOpen) {
  ScratchDir dir;
  // 0x95 0x5C is one kanji whose second byte is a backslash.
  const std::string sjis = "\x95\x5C" "A.PF1";
  writeWide(platform::wideFromShiftJis(sjis), "picture");
  ASSERT_TRUE(CreateDirectoryW(L"Ev", nullptr));
  writeWide(L"Ev\\Name.bin", "event");

  EXPECT_EQ(readAll(platform::openFile(sjis.c_str(), "rb")), "picture");
  EXPECT_EQ(readAll(platform::openFile("\x95\x5C" "a.pf1", "rb")), "picture");
  EXPECT_EQ(readAll(platform::openFile("EV\\NAME.BIN", "rb")), "event");
  EXPECT_EQ(readAll(platform::openFile("ev/name.BIN", "rb")), "event");
  EXPECT_EQ(platform::openFile("Ev", "rb"), nullptr) << "a folder is no data file";
  EXPECT_EQ(platform::openFile("NUL", "rb"), nullptr) << "nor is a device";
  EXPECT_EQ(platform::openFile("missing.bin", "rb"), nullptr);
  EXPECT_EQ(platform::openFile("Ev\\Name.bin", "wb"), nullptr) << "data files are only read";
}

TEST(WindowsDataNames, ReadAtLeavesTheStreamWhereItWas) {
  ScratchDir dir;
  writeWide(L"data.bin", "0123456789");
  std::FILE* fp = platform::openFile("data.bin", "rb");
  ASSERT_NE(fp, nullptr);
  ASSERT_EQ(std::fgetc(fp), '0');
  char buf[4] = {};
  EXPECT_EQ(platform::readAt(fp, 6, buf, 4), 4u);
  EXPECT_EQ(std::string(buf, 4), "6789");
  EXPECT_EQ(platform::readAt(fp, 8, buf, 4), 2u) << "a read past the end gives what there is";
  EXPECT_EQ(std::fgetc(fp), '1');
  std::fclose(fp);
}

TEST(WindowsOutputs, AnExistingFileIsReplacedWholeAndNoTemporaryStays) {
  ScratchDir dir;
  std::string error;
  ASSERT_TRUE(platform::writeFileAtomic("out.bin", {'o', 'l', 'd', '!', '!'}, error)) << error;
  ASSERT_TRUE(platform::writeFileAtomic("out.bin", {'n', 'e', 'w'}, error)) << error;
  EXPECT_EQ(lmtest::readFile("out.bin"), (lmtest::Bytes{'n', 'e', 'w'}));
  // An abandoned write leaves the old file and no temporary.
  {
    platform::OutputFile out;
    ASSERT_TRUE(out.open("out.bin", error)) << error;
    out.write("partial", 7);
  }
  EXPECT_EQ(lmtest::readFile("out.bin"), (lmtest::Bytes{'n', 'e', 'w'}));
  EXPECT_EQ(filesIn(L"*"), 1u) << "only out.bin: the temporaries are gone";
}

TEST(WindowsOutputs, BackslashPathsAndDriveLettersNameTheirFolders) {
  ScratchDir dir;
  ASSERT_TRUE(CreateDirectoryW(L"sub", nullptr));
  std::string error;
  EXPECT_EQ(platform::checkOutputPath("sub\\a.wav", error), platform::OutputKind::Replace) << error;
  EXPECT_EQ(platform::checkOutputPath(dir.path() + "\\b.wav", error), platform::OutputKind::Replace) << error;
  EXPECT_EQ(platform::checkOutputPath("nowhere\\c.wav", error), platform::OutputKind::Refused);
  EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
  EXPECT_EQ(platform::checkOutputPath("sub", error), platform::OutputKind::Refused) << "a folder";
  ASSERT_TRUE(platform::writeFileAtomic("sub\\a.wav", {'x'}, error)) << error;
  EXPECT_TRUE(lmtest::fileExists("sub/a.wav"));
}

TEST(WindowsOutputs, IdentityTellsFilesApartAndSeesOneFileUnderTwoSpellings) {
  ScratchDir dir;
  lmtest::writeText("one.txt", "1");
  lmtest::writeText("two.txt", "2");
  std::string error;
  EXPECT_TRUE(platform::checkOutputPaths({{"--trace", "one.txt"}, {"--audio-out", "two.txt"}}, error)) << error;
  EXPECT_TRUE(platform::checkOutputPaths({{"--trace", "new1.txt"}, {"--audio-out", "new2.txt"}}, error)) << error;
  EXPECT_FALSE(platform::checkOutputPaths({{"--trace", "one.txt"}, {"--audio-out", "ONE.TXT"}}, error));
  EXPECT_FALSE(platform::checkOutputPaths({{"--trace", "new.txt"}, {"--audio-out", "NEW.txt"}}, error))
      << "names not made yet are compared without regard to case";
  ASSERT_TRUE(CreateDirectoryW(L"sub", nullptr));
  lmtest::writeText("sub/three.txt", "3");
  EXPECT_FALSE(platform::checkOutputPaths({{"--trace", "sub\\three.txt"}, {"--audio-out", "sub/three.txt"}}, error));

  const platform::fileops::Facts a = platform::fileops::lookAt("one.txt");
  const platform::fileops::Facts b = platform::fileops::lookAt("two.txt");
  EXPECT_EQ(a.kind, platform::fileops::Kind::Regular);
  EXPECT_NE(a.index, b.index) << "each file has its own index";
  EXPECT_EQ(a.volume, b.volume);
}

TEST(WindowsOutputs, ReparsePointsAreNeitherFollowedNorReplaced) {
  ScratchDir dir;
  lmtest::writeText("victim.txt", "keep");
  const std::wstring target = platform::wideFromUtf8(dir.path()) + L"\\victim.txt";
  // Wine answers success without making the link: only a link that is there counts.
  if (!CreateSymbolicLinkW(L"link.txt", target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
      GetFileAttributesW(L"link.txt") == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "this system makes no symbolic links here (wine, or no developer mode)";
  EXPECT_EQ(platform::fileops::lookAt("link.txt").kind, platform::fileops::Kind::Link);
  EXPECT_EQ(platform::fileops::lookThrough("link.txt").kind, platform::fileops::Kind::Regular);
  std::string error;
  EXPECT_EQ(platform::checkOutputPath("link.txt", error), platform::OutputKind::Refused);
  EXPECT_FALSE(platform::writeFileAtomic("link.txt", {'x'}, error));
  EXPECT_EQ(platform::openErrorLog("link.txt"), nullptr);
  EXPECT_EQ(lmtest::readFile("victim.txt"), (lmtest::Bytes{'k', 'e', 'e', 'p'}));
}

TEST(WindowsOutputs, TheErrorLogIsEmptiedAndNothingButAFileIsTouched) {
  ScratchDir dir;
  lmtest::writeText("error.log", "old text");
  std::FILE* fp = platform::openErrorLog("error.log");
  ASSERT_NE(fp, nullptr);
  std::fclose(fp);
  EXPECT_TRUE(lmtest::readFile("error.log").empty());
  ASSERT_TRUE(CreateDirectoryW(L"folder.log", nullptr));
  EXPECT_EQ(platform::openErrorLog("folder.log"), nullptr);
  EXPECT_EQ(platform::openErrorLog("NUL"), nullptr);
}

TEST(WindowsIni, ARewrittenIniIsReadAgain) {
  ScratchDir dir;
  lmtest::writeText("kirune.ini", "[DOROVANKA]\r\nMAX=5\r\n");
  EXPECT_EQ(platform::getProfileInt("DOROVANKA", "MAX", 0, "./kirune.ini"), 5);
  lmtest::writeText("kirune.ini", "[DOROVANKA]\r\nMAX=7\r\n");
  EXPECT_EQ(platform::getProfileInt("DOROVANKA", "MAX", 0, "./kirune.ini"), 7);
  DeleteFileW(L"kirune.ini");
  EXPECT_EQ(platform::getProfileInt("DOROVANKA", "MAX", 3, "./kirune.ini"), 3);
}

// %APPDATA% as the environment gives it; restored afterwards.
class AppDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("APPDATA");
    hadOld_ = old != nullptr;
    if (old) old_ = old;
  }
  void TearDown() override { _putenv_s("APPDATA", hadOld_ ? old_.c_str() : ""); }

 private:
  bool hadOld_ = false;
  std::string old_;
};

TEST_F(AppDataTest, SettingsAndSavesLiveUnderAppDataLmplayer) {
  ScratchDir dir;
  const std::string appData = dir.path() + "\\Roaming";
  ASSERT_EQ(_putenv_s("APPDATA", appData.c_str()), 0);
  EXPECT_EQ(platform::settingsFolder(), appData + "\\lmplayer");
  EXPECT_EQ(platform::dataFolder(), appData + "\\lmplayer");
  const std::string settingsPath = settings::defaultSettingsPath();
  EXPECT_EQ(settingsPath.rfind(appData + "\\lmplayer", 0), 0u) << settingsPath;
  EXPECT_NE(settingsPath.find("settings.ini"), std::string::npos) << settingsPath;
  const std::string saves = save::defaultSaveDir(0x1234);
  EXPECT_EQ(saves.rfind(appData + "\\lmplayer", 0), 0u) << saves;
  EXPECT_NE(saves.find("saves"), std::string::npos) << saves;

  // Written there, folders made as needed, and read back.
  settings::Settings s;
  s.scale = 3;
  std::string error;
  ASSERT_TRUE(settings::saveSettings(settingsPath, s, error)) << error;
  EXPECT_EQ(settings::loadSettings(settingsPath).scale, 3);
}

TEST(WindowsPlaces, TheProgramKnowsItsOwnFile) {
  const std::string exe = platform::executablePath();
  EXPECT_NE(exe.find("test_windows.exe"), std::string::npos) << exe;
  EXPECT_EQ(platform::fileops::lookThrough(exe).kind, platform::fileops::Kind::Regular);
}

}  // namespace

namespace {

TEST(WindowsChildProcess, NoProgramIsRunAndTheRefusalSaysWhy) {
  EXPECT_EQ(platform::findProgram("ffmpeg"), "") << "so --video-out is refused before the run";
  platform::ChildProcess child;
  std::string error;
  platform::ChildLaunch launch;
  launch.argv = {"C:\\Windows\\System32\\cmd.exe"};
  EXPECT_FALSE(child.start(launch, error));
  EXPECT_NE(error.find("Windows"), std::string::npos) << error;
  EXPECT_FALSE(child.running());
  EXPECT_EQ(child.finish(), -1);
}

}  // namespace

namespace {

TEST(WindowsPictures, ShotsGoToLmplayerInsidePicturesMadeOnFirstUse) {
  const std::string dir = platform::defaultShotDir();
  ASSERT_GE(dir.size(), 10u) << dir;
  EXPECT_EQ(dir.substr(dir.size() - 9), "\\lmplayer") << dir;
  ScratchDir scratch;
  // A folder name beyond the code page: made through the wide calls.
  const std::string made = scratch.path() + "\\Bilder \xC3\xA4\\lmplayer";
  std::string error;
  ASSERT_TRUE(platform::makeShotDir(made, error)) << error;
  EXPECT_EQ(platform::fileops::lookThrough(made).kind, platform::fileops::Kind::Folder);
  EXPECT_NE(GetFileAttributesW((platform::wideFromUtf8(scratch.path()) + L"\\Bilder \u00E4").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

}  // namespace

namespace {

TEST(WindowsKeptFiles, OnlyARegularFileOpensAndEveryRefusalIsNamed) {
  ScratchDir dir;
  lmtest::writeText("kept.ini", "[A]\r\n");
  std::string error;
  std::FILE* fp = platform::openKeptFile("kept.ini", error);
  EXPECT_EQ(readAll(fp), "[A]\r\n");
  EXPECT_TRUE(error.empty()) << error;
  EXPECT_EQ(platform::openKeptFile("missing.ini", error), nullptr);
  EXPECT_TRUE(error.empty()) << "a missing file is no error: " << error;
  ASSERT_TRUE(CreateDirectoryW(L"folder.ini", nullptr));
  EXPECT_EQ(platform::openKeptFile("folder.ini", error), nullptr);
  EXPECT_NE(error.find("a folder"), std::string::npos) << error;
  EXPECT_EQ(platform::openKeptFile("NUL", error), nullptr);
  EXPECT_NE(error.find("a device"), std::string::npos) << error;
  EXPECT_TRUE(platform::keptNameExists("kept.ini"));
  EXPECT_FALSE(platform::keptNameExists("missing.ini"));
}

}  // namespace
