#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "video/SoundTrack.h"

namespace {

using video::SoundTrack;

// A stream of sample frames numbered 1, 2, 3, ... (never zero), so the
// track shows which stream frame went where and where silence was put in.
struct Stream {
  int32_t next = 1;
  std::vector<char> take(size_t frames) {
    std::vector<char> bytes(frames * 4);
    for (size_t i = 0; i < frames; ++i, ++next) std::memcpy(&bytes[i * 4], &next, 4);
    return bytes;
  }
};

struct Track {
  std::vector<int32_t> frames;
  SoundTrack track{[this](const char* b, size_t n) {
                     for (size_t i = 0; i + 4 <= n; i += 4) {
                       int32_t v;
                       std::memcpy(&v, b + i, 4);
                       frames.push_back(v);
                     }
                     return true;
                   },
                   8};
};


TEST(SoundTrack, StartsAtStepOneAndHoldsOneStepOfSamplesPerStep) {
  Track t;
  Stream s;
  t.track.started(0);
  // Step 1 at 20 ms: the 882 frames played before it are not part of the video.
  t.track.step(1, 20);
  std::vector<char> b = s.take(50000);
  t.track.samples(b.data(), b.size());
  for (long k = 2; k <= 62; ++k) t.track.step(k, 20 + 16 * static_cast<uint32_t>(k - 1));
  ASSERT_TRUE(t.track.finish(62));
  ASSERT_EQ(static_cast<int64_t>(t.frames.size()), SoundTrack::framesForSteps(62));
  EXPECT_EQ(SoundTrack::framesForSteps(62), 43747);  // 62 x 705.6
  EXPECT_EQ(t.frames.front(), 883);
  for (size_t i = 1; i < t.frames.size(); ++i) ASSERT_EQ(t.frames[i], t.frames[i - 1] + 1) << i;
  EXPECT_EQ(t.track.inserted(), 0);
  EXPECT_EQ(t.track.dropped(), 0);
}

TEST(SoundTrack, ClockJitterWithinTheToleranceChangesNothing) {
  Track t;
  Stream s;
  t.track.started(0);
  // Steps fall on 5 ms ticks: up to 5 ms after their 16 ms deadlines.
  for (long k = 1; k <= 200; ++k) {
    const uint32_t deadline = 16 * static_cast<uint32_t>(k);
    t.track.step(k, (deadline / 5 + 1) * 5);
    std::vector<char> b = s.take(k == 1 ? 2000 : 706);
    t.track.samples(b.data(), b.size());
  }
  ASSERT_TRUE(t.track.finish(200));
  EXPECT_EQ(t.track.inserted(), 0);
  EXPECT_EQ(t.track.dropped(), 0);
  for (size_t i = 1; i < t.frames.size(); ++i) ASSERT_EQ(t.frames[i], t.frames[i - 1] + 1) << i;
}

TEST(SoundTrack, AClockThatFellBehindTheStepsGetsSilenceWhereItFell) {
  Track t;
  Stream s;
  t.track.started(0);
  uint32_t ms = 16;
  for (long k = 1; k <= 100; ++k, ms += 16) {
    if (k == 50) ms -= 11;  // a load: the step clock restarted early
    t.track.step(k, ms);
  }
  std::vector<char> b = s.take(SoundTrack::framesForSteps(101));
  t.track.samples(b.data(), b.size());
  ASSERT_TRUE(t.track.finish(100));
  // 11 ms (485 frames) of silence at step 50's moment of the stream; the rest in order.
  EXPECT_EQ(t.track.inserted(), 485);
  // Where step 50's clock time falls in the track, 11 ms short of its 49 steps.
  const int64_t at = SoundTrack::framesForSteps(49) - 485;
  size_t zeros = 0, firstZero = 0;
  for (size_t i = 0; i < t.frames.size(); ++i) {
    if (t.frames[i] == 0 && zeros++ == 0) firstZero = i;
  }
  ASSERT_NE(t.frames.back(), 0);  // the stream lasted to the end
  EXPECT_EQ(zeros, 485u);
  EXPECT_NEAR(static_cast<double>(firstZero), static_cast<double>(at), 1.0);
  int32_t expect = t.frames.front();
  for (int32_t v : t.frames) {
    if (v == 0) continue;
    ASSERT_EQ(v, expect++);
  }
  EXPECT_EQ(static_cast<int64_t>(t.frames.size()), SoundTrack::framesForSteps(100));
}

TEST(SoundTrack, AStreamAheadOfTheStepsLeavesSamplesOutAndTheEndIsCut) {
  Track t;
  Stream s;
  t.track.started(0);
  uint32_t ms = 0;
  for (long k = 1; k <= 100; ++k, ms += 16) {
    if (k == 30) ms += 50;  // a window that stalled 50 ms while its sound played on
    t.track.step(k, ms);
    std::vector<char> b = s.take(706);
    t.track.samples(b.data(), b.size());
  }
  std::vector<char> more = s.take(5000);
  t.track.samples(more.data(), more.size());
  ASSERT_TRUE(t.track.finish(100));
  EXPECT_EQ(t.track.inserted(), 0);
  EXPECT_EQ(t.track.dropped(), 2205);  // 50 ms
  EXPECT_EQ(static_cast<int64_t>(t.frames.size()), SoundTrack::framesForSteps(100));
  // One jump in the numbering, where the samples were left out.
  int jumps = 0;
  for (size_t i = 1; i < t.frames.size(); ++i)
    if (t.frames[i] != t.frames[i - 1] + 1) ++jumps;
  EXPECT_EQ(jumps, 1);
}

TEST(SoundTrack, SplitFramesEarlySamplesAndNoSoundAtAll) {
  Track t;
  Stream s;
  t.track.started(0);
  // Samples before step 1, cut in odd byte counts.
  std::vector<char> b = s.take(2000);
  t.track.samples(b.data(), 3);
  t.track.samples(b.data() + 3, 4001);
  t.track.step(1, 10);  // 441 frames in
  t.track.samples(b.data() + 4004, b.size() - 4004);
  ASSERT_TRUE(t.track.finish(1));
  ASSERT_EQ(t.frames.size(), 705u);
  for (size_t i = 0; i < t.frames.size(); ++i) ASSERT_EQ(t.frames[i], static_cast<int32_t>(442 + i));

  Track quiet;  // no output ever opened: silence of the right length
  quiet.track.step(1, 100);
  quiet.track.step(2, 116);
  ASSERT_TRUE(quiet.track.finish(2));
  EXPECT_EQ(quiet.frames, std::vector<int32_t>(1411, 0));
}

}  // namespace
