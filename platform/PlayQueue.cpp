#include "platform/PlayQueue.h"

#include <cstring>

namespace platform {

void PlayQueue::write(char* buffer, long length) {
  std::lock_guard<std::mutex> guard(lock_);
  queue_.emplace_back(buffer, length);
}

PlayQueue::Buffer PlayQueue::pull(unsigned char* out, int length) {
  Buffer head{nullptr, 0}, played{nullptr, 0};
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!queue_.empty()) {
      head = queue_.front();
      queue_.pop_front();
    }
    played = playing_;
    playing_ = head;
  }
  const long n = head.first ? (head.second < length ? head.second : length) : 0;
  if (n > 0) std::memcpy(out, head.first, static_cast<size_t>(n));
  if (n < length) std::memset(out + n, 0, static_cast<size_t>(length - n));
  return played;
}

std::deque<PlayQueue::Buffer> PlayQueue::takeAll() {
  std::lock_guard<std::mutex> guard(lock_);
  std::deque<Buffer> all;
  all.swap(queue_);
  if (playing_.first) all.push_front(playing_);
  playing_ = {nullptr, 0};
  return all;
}

void PlayQueue::clear() {
  std::lock_guard<std::mutex> guard(lock_);
  queue_.clear();
  playing_ = {nullptr, 0};
}

}  // namespace platform
