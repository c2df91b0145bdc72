#pragma once
// An audio back end for tests: supports a chosen set of formats, records what
// the device asks of it, and completes queued buffers on demand.
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/Audio.h"

namespace lmtest {

using Format = std::tuple<int, int, int>;  // sampleBytes, channels, freq

class FakeAudio : public platform::AudioBackend {
 public:
  explicit FakeAudio(std::set<Format> formats = {{2, 2, 44100}}) : formats_(std::move(formats)) {}

  bool supports(int sampleBytes, int channels, int freq) const override {
    asked.emplace_back(sampleBytes, channels, freq);
    return formats_.count({sampleBytes, channels, freq}) != 0;
  }
  bool open(const platform::WaveFormat& format, platform::AudioDone done, void* instance) override {
    log.push_back("open");
    if (!openOk) return false;
    opened = format;
    done_ = done;
    instance_ = instance;
    isOpen = true;
    return true;
  }
  void pause() override { log.push_back("pause"); }
  void restart() override { log.push_back("restart"); }
  bool write(char* buffer, long length) override {
    std::lock_guard<std::mutex> lock(m_);
    log.push_back("write");
    if (failWriteAt >= 0 && writes == failWriteAt) {
      ++writes;
      return false;
    }
    ++writes;
    queue.emplace_back(buffer, length);
    return true;
  }
  void reset() override {
    log.push_back("reset");
    std::deque<std::pair<char*, long>> handed;
    {
      std::lock_guard<std::mutex> lock(m_);
      handed.swap(queue);
    }
    for (auto& [b, len] : handed) done_(this, instance_, b, len);
    std::lock_guard<std::mutex> lock(m_);
    queue.clear();
  }
  void close() override {
    log.push_back("close");
    isOpen = false;
  }

  // Plays the head of the queue and hands it back; returns that buffer
  // (refilled by then, when the device queued it again), or null when idle.
  char* completeOne() {
    std::pair<char*, long> head{nullptr, 0};
    {
      std::lock_guard<std::mutex> lock(m_);
      if (queue.empty()) return nullptr;
      head = queue.front();
      queue.pop_front();
    }
    done_(this, instance_, head.first, head.second);
    return head.first;
  }

  size_t queued() {
    std::lock_guard<std::mutex> lock(m_);
    return queue.size();
  }

  mutable std::vector<Format> asked;
  std::vector<std::string> log;
  platform::WaveFormat opened{};
  bool openOk = true;
  bool isOpen = false;
  int failWriteAt = -1;
  int writes = 0;
  std::deque<std::pair<char*, long>> queue;

 private:
  std::set<Format> formats_;
  platform::AudioDone done_ = nullptr;
  void* instance_ = nullptr;
  std::mutex m_;
};

// Reads output frame f of a 16-bit stereo buffer.
inline int left(const char* buffer, int f) {
  return static_cast<int16_t>(static_cast<unsigned char>(buffer[f * 4]) | (static_cast<unsigned char>(buffer[f * 4 + 1]) << 8));
}
inline int right(const char* buffer, int f) {
  return static_cast<int16_t>(static_cast<unsigned char>(buffer[f * 4 + 2]) | (static_cast<unsigned char>(buffer[f * 4 + 3]) << 8));
}

}  // namespace lmtest
