// The story id reads a bounded amount: a normal story whole (one changed byte
// gives another id), a file that only claims to be huge by its size and samples.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "save/SaveStore.h"
#include "save/StoryId.h"
#include "shell/FileUtils.h"
#include "support/TestSupport.h"

namespace {

void writeStory(const lmtest::Bytes& event) {
  lmtest::writeText("kirune.ini", "[DOROVANKA]\nROOTDIR=data\\\n");
  lmtest::makeDirs("data");
  lmtest::writeText("data/ASTARTUP.BIN", "names");
  lmtest::writeFile("data/EVENT.BIN", event);
  fileUtilsReset();
}

TEST(StoryIdBounds, OneChangedByteInANormalStoryGivesAnotherId) {
  lmtest::ScratchDir dir;
  lmtest::Bytes event(3u << 20);
  for (size_t i = 0; i < event.size(); ++i) event[i] = static_cast<unsigned char>(i * 7);
  writeStory(event);
  const uint64_t a = save::currentStoryId();
  event[event.size() / 2 + 12345] ^= 1;  // far from any sample point
  writeStory(event);
  EXPECT_NE(save::currentStoryId(), a);
}

TEST(StoryIdBounds, AHugeSparseFileIsKnownByItsSizeAndSamples) {
  lmtest::ScratchDir dir;
  writeStory({1, 2, 3});
  auto grow = [](long long size, long long at, unsigned char byte) {
    const int fd = ::open("data/EVENT.BIN", O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ASSERT_EQ(::pwrite(fd, &byte, 1, at), 1);
    ::close(fd);
  };
  const long long huge = 2LL << 30;
  grow(huge, 0, 1);
  const uint64_t a = save::currentStoryId();
  EXPECT_EQ(save::currentStoryId(), a);
  grow(huge, huge - 1, 1);  // the last byte is always read
  const uint64_t b = save::currentStoryId();
  EXPECT_NE(b, a);
  grow(huge + 1, huge - 1, 1);
  EXPECT_NE(save::currentStoryId(), b) << "the size counts";
}

}  // namespace

namespace {

// A relative HOME would put saves below the data folder the player runs in.
TEST(DefaultPlaces, ARelativeHomeIsIgnoredLikeARelativeXdgValue) {
  const char* oldHome = std::getenv("HOME");
  const char* oldXdg = std::getenv("XDG_DATA_HOME");
  const std::string home = oldHome ? oldHome : "", xdg = oldXdg ? oldXdg : "";
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", "relhome", 1);
  EXPECT_EQ(save::defaultSaveDir(1), "");
  setenv("HOME", "/abs", 1);
  EXPECT_EQ(save::defaultSaveDir(1), "/abs/.local/share/lmplayer/saves/0000000000000001");
  if (oldHome) setenv("HOME", home.c_str(), 1);
  else unsetenv("HOME");
  if (oldXdg) setenv("XDG_DATA_HOME", xdg.c_str(), 1);
}

}  // namespace
