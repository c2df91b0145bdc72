// A pulled buffer goes back for refilling only once it has been played: at
// the pull after the one that copied it.
#include <gtest/gtest.h>

#include <vector>

#include "platform/PlayQueue.h"

namespace {

TEST(PlayQueueTest, ABufferIsHandedBackAtThePullAfterItsCopy) {
  std::vector<std::vector<char>> buffers(8, std::vector<char>(16));
  for (int i = 0; i < 8; ++i) buffers[static_cast<size_t>(i)].assign(16, static_cast<char>('A' + i));
  platform::PlayQueue q;
  for (auto& b : buffers) q.write(b.data(), 16);
  unsigned char out[16];
  // The first pull plays A and hands nothing back: A is still being played.
  platform::PlayQueue::Buffer back = q.pull(out, 16);
  EXPECT_EQ(back.first, nullptr);
  EXPECT_EQ(out[0], 'A');
  // Each later pull hands back the buffer the pull before copied.
  for (int i = 1; i < 8; ++i) {
    back = q.pull(out, 16);
    EXPECT_EQ(out[0], 'A' + i);
    ASSERT_EQ(back.first, buffers[static_cast<size_t>(i - 1)].data());
    EXPECT_EQ(back.second, 16);
    // Refilled and queued again behind the others, as the device does.
    back.first[0] = static_cast<char>('a' + i - 1);
    q.write(back.first, back.second);
  }
  back = q.pull(out, 16);
  EXPECT_EQ(out[0], 'a') << "A, refilled, comes after the seven others";
  EXPECT_EQ(back.first, buffers[7].data());
}

TEST(PlayQueueTest, ShortOrMissingBuffersPlaySilenceAndTakeAllReturnsEveryLentBuffer) {
  char a[4] = {1, 2, 3, 4}, b[4] = {5, 6, 7, 8}, c[4] = {9, 9, 9, 9};
  platform::PlayQueue q;
  unsigned char out[8];
  q.pull(out, 8);
  EXPECT_EQ(out[0], 0);
  q.write(a, 4);
  q.write(b, 4);
  q.write(c, 4);
  q.pull(out, 8);
  EXPECT_EQ(out[3], 4);
  EXPECT_EQ(out[4], 0) << "past a short buffer: silence";
  // Stopping hands back the one playing first, then the queue, in order.
  std::deque<platform::PlayQueue::Buffer> all = q.takeAll();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].first, a);
  EXPECT_EQ(all[1].first, b);
  EXPECT_EQ(all[2].first, c);
  EXPECT_TRUE(q.takeAll().empty());
  EXPECT_EQ(q.pull(out, 8).first, nullptr);
}

}  // namespace
