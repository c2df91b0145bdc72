// The wave-output device: format search, priming, refill, clients, close.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "FakeAudio.h"
#include "sound/soundDevice.h"

using lmtest::FakeAudio;
using lmtest::Format;

namespace {

struct Call {
  void* user;
  char* buffer;
  long length;
  bool wasClear;  // every byte zero when the client got it
};

std::vector<Call> calls;

void client(_zesdevstat*, void* user, char* buffer, long length) {
  bool clear = std::all_of(buffer, buffer + length, [](char c) { return c == 0; });
  calls.push_back({user, buffer, length, clear});
  buffer[0] = 0x55;  // leaves a mark the next refill must clear
}

int first = 1, second = 2;

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZesDevice::resetState();
    calls.clear();
  }
  void TearDown() override {
    platform::setAudioBackend(nullptr);
    ZesDevice::resetState();
  }
};

}  // namespace

TEST_F(DeviceTest, NoOutputLeavesTheDeviceSilentAndAClosedDeviceCanOpenLater) {
  {
    ZesDevice dev(client, &first, nullptr);
    EXPECT_EQ(ZesDevice::param.active, 0);
    EXPECT_EQ(ZesDevice::openCount, 1);
    EXPECT_EQ(dev.waveOut, nullptr);
  }
  EXPECT_TRUE(calls.empty());
  // The failed client does not linger: the next device is a first client again.
  EXPECT_EQ(ZesDevice::openCount, 0);
  FakeAudio fake;
  platform::setAudioBackend(&fake);
  ZesDevice dev(client, &first, nullptr);
  EXPECT_EQ(ZesDevice::param.active, 1);
  EXPECT_EQ(calls.size(), 8u);
}

TEST_F(DeviceTest, FormatsAreTriedInOrderAndEightBitMonoOpensOnTheEighthTry) {
  FakeAudio fake({{1, 1, 22050}});
  platform::setAudioBackend(&fake);
  ZesDevice dev(client, &first, nullptr);
  const std::vector<Format> order = {{2, 2, 44100}, {2, 2, 22050}, {1, 2, 44100}, {1, 2, 22050},
                                     {2, 1, 44100}, {2, 1, 22050}, {1, 1, 44100}, {1, 1, 22050}};
  EXPECT_EQ(fake.asked, order);
  EXPECT_EQ(ZesDevice::param.active, 1);
  EXPECT_EQ(fake.opened.formatTag, 1);
  EXPECT_EQ(fake.opened.channels, 1);
  EXPECT_EQ(fake.opened.samplesPerSec, 22050);
  EXPECT_EQ(fake.opened.bitsPerSample, 8);
  EXPECT_EQ(fake.opened.blockAlign, 1);
  EXPECT_EQ(fake.opened.avgBytesPerSec, 22050);
  EXPECT_EQ(ZesDevice::param.sampleBytes, 1);
  EXPECT_EQ(ZesDevice::param.channels, 1);
  EXPECT_EQ(ZesDevice::param.freq, 22050);
}

TEST_F(DeviceTest, DefaultFormatOpensFirstWithBlockAlignFour) {
  FakeAudio fake;
  platform::setAudioBackend(&fake);
  ZesDevice dev(client, &first, nullptr);
  ASSERT_EQ(fake.asked.size(), 1u);
  EXPECT_EQ(fake.opened.channels, 2);
  EXPECT_EQ(fake.opened.samplesPerSec, 44100);
  EXPECT_EQ(fake.opened.bitsPerSample, 16);
  EXPECT_EQ(fake.opened.blockAlign, 4);
  EXPECT_EQ(fake.opened.avgBytesPerSec, 176400);
}

TEST_F(DeviceTest, NoSupportedFormatGivesUpAfterEightTries) {
  FakeAudio fake(std::set<Format>{});
  platform::setAudioBackend(&fake);
  ZesDevice dev(client, &first, nullptr);
  EXPECT_EQ(fake.asked.size(), 8u);
  EXPECT_EQ(ZesDevice::param.active, 0);
  EXPECT_TRUE(std::find(fake.log.begin(), fake.log.end(), "open") == fake.log.end());
  EXPECT_TRUE(calls.empty());
}

TEST_F(DeviceTest, GivenFormatIsSteppedDownInPlace) {
  FakeAudio fake({{2, 1, 44100}});
  platform::setAudioBackend(&fake);
  _zesdevstat format{2, 2, 44100};
  ZesDevice dev(client, &first, &format);
  EXPECT_EQ(format.sampleBytes, 2);
  EXPECT_EQ(format.channels, 1);
  EXPECT_EQ(format.freq, 44100);
  EXPECT_EQ(fake.opened.blockAlign, 2);
  EXPECT_EQ(fake.opened.avgBytesPerSec, 88200);
}

TEST_F(DeviceTest, FailedOpenStaysSilent) {
  FakeAudio fake;
  fake.openOk = false;
  platform::setAudioBackend(&fake);
  ZesDevice dev(client, &first, nullptr);
  EXPECT_EQ(ZesDevice::param.active, 0);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(fake.writes, 0);
}

TEST_F(DeviceTest, PrimingFillsEightClearBuffersWhilePaused) {
  FakeAudio fake;
  platform::setAudioBackend(&fake);
  ZesDevice dev(client, &first, nullptr);
  const std::vector<std::string> expected = {"open", "pause", "write", "write", "write", "write",
                                             "write", "write", "write", "write", "restart"};
  EXPECT_EQ(fake.log, expected);
  ASSERT_EQ(calls.size(), 8u);
  ASSERT_EQ(fake.queue.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(calls[i].user, &first);
    EXPECT_EQ(calls[i].length, 8192);
    EXPECT_TRUE(calls[i].wasClear);
    EXPECT_EQ(calls[i].buffer, dev.header[i].data);
    EXPECT_EQ(fake.queue[i].first, dev.header[i].data);
    EXPECT_EQ(fake.queue[i].second, 8192);
  }
}

TEST_F(DeviceTest, FailedWriteWhilePrimingStopsQueuingButNotFilling) {
  FakeAudio fake;
  fake.failWriteAt = 3;
  platform::setAudioBackend(&fake);
  ZesDevice dev(client, &first, nullptr);
  EXPECT_EQ(calls.size(), 8u);
  EXPECT_EQ(fake.writes, 4);
  EXPECT_EQ(fake.queue.size(), 3u);
  EXPECT_EQ(fake.log.back(), "restart");
}

TEST_F(DeviceTest, CompletedBufferIsClearedRefilledAndQueuedLast) {
  FakeAudio fake;
  platform::setAudioBackend(&fake);
  ZesDevice dev(client, &first, nullptr);
  calls.clear();
  char* head = fake.queue.front().first;
  ASSERT_EQ(head[0], 0x55);
  std::memset(head + 100, 7, 16);  // left over from playing
  EXPECT_EQ(fake.completeOne(), head);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].wasClear);
  EXPECT_EQ(calls[0].buffer, head);
  EXPECT_EQ(head[100], 0);
  EXPECT_EQ(fake.queue.size(), 8u);
  EXPECT_EQ(fake.queue.back().first, head);
}

TEST_F(DeviceTest, SecondClientSharesTheOutputAndLeavesItRunning) {
  FakeAudio fake;
  platform::setAudioBackend(&fake);
  ZesDevice dev(client, &first, nullptr);
  const size_t logBefore = fake.log.size();
  {
    ZesDevice dev2(client, &second, nullptr);
    EXPECT_EQ(ZesDevice::openCount, 2);
    EXPECT_EQ(fake.log.size(), logBefore);  // nothing opened, nothing queued
    EXPECT_EQ(dev2.waveOut, nullptr);
    EXPECT_EQ(dev2.header[0].data, nullptr);
    calls.clear();
    fake.completeOne();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].user, &first);
    EXPECT_EQ(calls[1].user, &second);
    EXPECT_TRUE(calls[0].wasClear);
    EXPECT_FALSE(calls[1].wasClear);  // the second client adds to the first one's mix
  }
  EXPECT_EQ(ZesDevice::openCount, 1);
  EXPECT_EQ(ZesDevice::param.active, 1);
  calls.clear();
  fake.completeOne();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].user, &first);
  EXPECT_EQ(fake.queue.size(), 8u);
}

TEST_F(DeviceTest, NoClientRunsOnceTheLastClientLeft) {
  FakeAudio fake;
  platform::setAudioBackend(&fake);
  {
    ZesDevice dev(client, &first, nullptr);
    calls.clear();
  }
  // The reset handed all eight buffers back; none was refilled or queued again.
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(fake.queue.size(), 0u);
  EXPECT_FALSE(fake.isOpen);
  EXPECT_EQ(ZesDevice::param.active, 0);
  EXPECT_EQ(ZesDevice::openCount, 0);
  const std::vector<std::string> tail(fake.log.end() - 2, fake.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"reset", "close"}));
}
