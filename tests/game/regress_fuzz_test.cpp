// Scenarios found by fuzzing the story scene, minimised by hand to the bytes
// that matter.
#include "tests/game/GameFixture.h"

using namespace gametest;

namespace {

class FuzzRegressTest : public GameTest {
 protected:
  static std::vector<std::pair<std::string, bool>>& opens() {
    static std::vector<std::pair<std::string, bool>> list;
    return list;
  }
  static void recordOpen(const char* name, bool ok) { opens().emplace_back(name, ok); }
};

// An image change whose name starts with NUL names no file: the joined path
// is the picture directory itself, which must not open as a picture (it
// used to, and the loader then asked for a buffer of the directory's end
// offset, about 2^63 bytes). The picture is empty and the story goes on.
// (The fuzzer's input used mode 0x41, which then ends in a chart error.)
TEST_F(FuzzRegressTest, ImageNameStartingWithNulOpensNothing) {
  const Bytes stream = {0x8D, 0x00, 0x00, 0x2D, 0x01, 0x44, 0x00, 0x89};
  startStream(stream);
  opens().clear();
  setOpenObserver(&FuzzRegressTest::recordOpen);
  steps(2);
  setOpenObserver(nullptr);
  ASSERT_EQ(opens().size(), 1u);
  EXPECT_EQ(opens()[0].first, ".\\");
  EXPECT_FALSE(opens()[0].second);
  ASSERT_NE(game->pf, nullptr);
  EXPECT_TRUE(game->pf->empty());
  EXPECT_EQ(game->phase, 1);
  step();
  EXPECT_EQ(game->phase, 0x89);
}

}  // namespace
