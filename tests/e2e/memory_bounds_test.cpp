// Sizes in the data never drive memory: the demo with a file grown to 2 GiB
// by a hole and a huge count in kirune.ini plays to step 300 as the plain
// demo does, in bounded memory (peak resident memory of the player process).
#include <gtest/gtest.h>

#include "PlayerRun.h"
#include "SparseData.h"

namespace lmtest {
namespace {

constexpr long kPeakLimitKb = 200 * 1024;

struct PlayedRun {
  Measured m;
  std::string trace, frames, err;
};

class MemoryBoundsE2E : public ::testing::Test {
 protected:
  ScratchDir dir;

  PlayedRun play(sparse::Case c) {
    PlayedRun r;
    const std::string data = dir.path() + "/" + sparse::name(c);
    std::string error;
    if (!sparse::make(c, binaryDir() + "/demo-data", data, error)) {
      ADD_FAILURE() << error;
      return r;
    }
    r.m = runMeasured({playerPath(), "--data", data, "--headless", "--steps", "300", "--trace", "t.txt",
                       "--frame-hashes", "f.txt"},
                      dir.path(), peakToolPath());
    r.trace = slurp(dir.path() + "/t.txt");
    r.frames = slurp(dir.path() + "/f.txt");
    r.err = slurp(dir.path() + "/.stderr");
    return r;
  }
};

TEST_F(MemoryBoundsE2E, HugeClaimsPlayLikeThePlainDemoInBoundedMemory) {
  ASSERT_TRUE(fileExists(binaryDir() + "/demo-data/kirune.ini")) << "demo-data is not built";
  const PlayedRun plain = play(sparse::Case::Plain);
  ASSERT_EQ(plain.m.code, 0) << plain.err;
  ASSERT_EQ(lines(plain.trace).size(), 300u);
  ASSERT_NE(lines(plain.trace).back().find(" game phase "), std::string::npos) << "the story runs by step 300";
  for (sparse::Case c : {sparse::Case::EventTable, sparse::Case::StartNames, sparse::Case::PictureTail}) {
    const PlayedRun r = play(c);
    EXPECT_EQ(r.m.code, 0) << sparse::name(c) << ": " << r.err;
    EXPECT_LT(r.m.peakKb, kPeakLimitKb) << sparse::name(c);
    // The tables, names and picture the story uses are the same bytes.
    EXPECT_EQ(r.trace, plain.trace) << sparse::name(c);
    EXPECT_EQ(r.frames, plain.frames) << sparse::name(c);
  }
}

TEST_F(MemoryBoundsE2E, APictureBlockClaimingTwoGigabytesLoadsInBoundedMemory) {
  const PlayedRun r = play(sparse::Case::PictureBlock);
  EXPECT_EQ(r.m.code, 0) << r.err;
  EXPECT_LT(r.m.peakKb, kPeakLimitKb);
  ASSERT_EQ(lines(r.trace).size(), 300u);
  EXPECT_NE(lines(r.trace).back().find(" game phase "), std::string::npos);
}

}  // namespace
}  // namespace lmtest
