#pragma once
// The play queue of an audio back end that pulls its sound a buffer at a time
// (SDL's callback): a buffer is copied out when its turn comes, and handed
// back for refilling only at the next pull, once that copy has been played.
// Handing it back at the copy would let it be refilled and queued again one
// buffer early, so every sound would start one buffer (46 ms) late.
#include <deque>
#include <mutex>
#include <utility>

namespace platform {

class PlayQueue {
 public:
  using Buffer = std::pair<char*, long>;

  // Appends a lent buffer.
  void write(char* buffer, long length);
  // Copies the head of the queue into `out` (silence past it, or for an empty
  // queue) and returns the buffer the previous pull copied, which has now
  // been played ({null, 0} when none).
  Buffer pull(unsigned char* out, int length);
  // Every buffer still lent, in play order (the one playing, then the queued
  // ones); the queue is left empty.
  std::deque<Buffer> takeAll();
  void clear();

 private:
  std::mutex lock_;
  std::deque<Buffer> queue_;
  Buffer playing_{nullptr, 0};
};

}  // namespace platform
