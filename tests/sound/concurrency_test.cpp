// The mixer on its own thread while channels change on the caller's thread.
// Meant to be run under ThreadSanitizer (scripts/test-tsan) as well.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "FakeAudio.h"
#include "sound/soundDevice.h"
#include "sound/zepl.h"

using lmtest::FakeAudio;

TEST(SoundConcurrency, ChannelsChangeWhileAnotherThreadMixes) {
  ZesDevice::resetState();
  FakeAudio fake;
  platform::setAudioBackend(&fake);
  ZEPL_Init(nullptr);
  ASSERT_EQ(fake.queued(), 8u);

  std::vector<signed char> clipA(700, 20), clipB(300, -20), voice(900, 5);
  std::atomic<bool> done{false};
  std::atomic<int> mixed{0};
  std::thread audio([&] {
    // Stands in for the back end's audio thread: completes buffers as fast as it can.
    while (!done.load()) {
      if (fake.completeOne()) mixed.fetch_add(1);
    }
  });

  long sounding = 0;
  for (int i = 0; i < 4000; ++i) {
    ZEPL_PlaySound(i % 8, (i & 1) ? clipA.data() : clipB.data(), (i & 1) ? 700 : 300, 1, 1, 11025);
    if (i % 3 == 0) {
      std::vector<signed char> temp(voice);  // freed right after the call
      ZEPL_PlaySoundLocal(temp.data(), static_cast<long>(temp.size()), 1, 1, 22050);
    }
    if (i % 5 == 0) ZEPL_StopSound(i % 8);
    sounding += ZEPL_Check(i % 9);
  }
  // Keep changing channels until the mixer has certainly run alongside.
  while (mixed.load() < 50) {
    ZEPL_PlaySound(0, clipA.data(), 700, 1, 1, 11025);
    sounding += ZEPL_Check(0);
  }
  done = true;
  audio.join();

  ZEPL_Trash();
  platform::setAudioBackend(nullptr);
  ZesDevice::resetState();
  EXPECT_GE(mixed.load(), 50);
  EXPECT_GT(sounding, 0);
  EXPECT_EQ(fake.queued(), 0u);
  // The clips the mixer read were never written to.
  EXPECT_EQ(std::count(clipA.begin(), clipA.end(), 20), 700);
}
