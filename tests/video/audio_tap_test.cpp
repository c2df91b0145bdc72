#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Audio.h"
#include "video/AudioTap.h"

namespace {

// The device's side: lends two buffers and, as the real device does, fills
// each one again with the next byte value as soon as it comes back.
struct Device {
  std::vector<std::vector<char>> buffers{std::vector<char>(8192), std::vector<char>(8192)};
  char next = 1;
  int returned = 0;
  bool active = true;  // cleared before a reset: buffers handed back stay
  static void done(platform::AudioBackend* out, void* instance, char* buffer, long length) {
    auto* d = static_cast<Device*>(instance);
    ++d->returned;
    if (!d->active) return;
    std::memset(buffer, d->next++, static_cast<size_t>(length));
    if (out) out->write(buffer, length);
  }
};

TEST(AudioTap, CopiesWhatWasPlayedInOrderButNotWhatAResetHandsBack) {
  platform::HeadlessAudio inner;
  int starts = 0;
  video::AudioTap tap(inner, [&] { ++starts; });
  Device d;
  platform::WaveFormat format;
  ASSERT_TRUE(tap.supports(2, 2, 44100));
  ASSERT_TRUE(tap.open(format, &Device::done, &d));
  tap.pause();
  for (auto& b : d.buffers) {
    std::memset(b.data(), d.next++, b.size());
    ASSERT_TRUE(tap.write(b.data(), static_cast<long>(b.size())));
  }
  tap.restart();
  EXPECT_EQ(starts, 1);
  inner.advanceTo(140);  // three buffers of 2048 frames are due
  std::string got;
  tap.collect([&](const char* b, size_t n) { got.append(b, n); });
  ASSERT_EQ(got.size(), 3u * 8192);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(got[static_cast<size_t>(k) * 8192], static_cast<char>(1 + k)) << k;
  EXPECT_EQ(d.returned, 3);
  // Two buffers are still lent; a reset hands them back unplayed.
  d.active = false;
  tap.reset();
  EXPECT_EQ(d.returned, 5);
  got.clear();
  tap.collect([&](const char* b, size_t n) { got.append(b, n); });
  EXPECT_TRUE(got.empty());
  tap.close();
}

// An output that plays any format and hands a buffer back when told.
class AnyFormat : public platform::AudioBackend {
 public:
  bool supports(int, int, int) const override { return true; }
  bool open(const platform::WaveFormat&, platform::AudioDone done, void* instance) override {
    done_ = done;
    instance_ = instance;
    return true;
  }
  void pause() override {}
  void restart() override {}
  bool write(char* buffer, long length) override {
    queue_.push_back({buffer, length});
    return true;
  }
  void reset() override {}
  void close() override {}
  void playOne() {
    auto [buffer, length] = queue_.front();
    queue_.erase(queue_.begin());
    done_(this, instance_, buffer, length);
  }

 private:
  platform::AudioDone done_ = nullptr;
  void* instance_ = nullptr;
  std::vector<std::pair<char*, long>> queue_;
};

TEST(AudioTap, AnotherFormatPlaysOnButIsNotKept) {
  AnyFormat inner;
  video::AudioTap tap(inner, {});
  Device d;
  platform::WaveFormat mono22;
  mono22.channels = 1;
  mono22.samplesPerSec = 22050;
  ASSERT_TRUE(tap.open(mono22, &Device::done, &d));
  ASSERT_TRUE(tap.write(d.buffers[0].data(), 8192));
  inner.playOne();
  inner.playOne();  // the device wrote it again through the tap
  EXPECT_EQ(d.returned, 2);
  size_t kept = 0;
  tap.collect([&](const char*, size_t n) { kept += n; });
  EXPECT_EQ(kept, 0u);
  tap.close();
}

}  // namespace
