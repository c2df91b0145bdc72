// Found by fuzzing the story scene: an image name whose first byte is NUL
// joins to the bare directory prefix, and opening a directory "succeeded",
// so the picture loader asked for a buffer the size of the directory's
// end offset. Only plain files open as data files.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

class OpenRegressTest : public ::testing::Test {
 protected:
  lmtest::ScratchDir dir;
};

TEST_F(OpenRegressTest, DirectoriesAndDevicesDoNotOpenAsDataFiles) {
  lmtest::makeDirs("ev");
  EXPECT_EQ(platform::openFile(".\\", "rb"), nullptr);
  EXPECT_EQ(platform::openFile("ev\\", "rb"), nullptr);
  EXPECT_EQ(platform::openFile("EV", "rb"), nullptr);  // found only by its case-blind spelling
  EXPECT_EQ(platform::openFile("/dev/null", "rb"), nullptr);
}

TEST_F(OpenRegressTest, PlainFilesStillOpenUnderAnySpelling) {
  lmtest::makeDirs("ev");
  lmtest::writeFile("ev/E001.PF1", {1, 2, 3});
  for (const char* name : {"ev\\E001.PF1", "EV\\e001.pf1"}) {
    FILE* fp = platform::openFile(name, "rb");
    ASSERT_NE(fp, nullptr) << name;
    EXPECT_EQ(std::fgetc(fp), 1);
    std::fclose(fp);
  }
}

}  // namespace
