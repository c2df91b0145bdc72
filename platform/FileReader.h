#pragma once
// Reads an open file forward, a buffer at a time, without moving the file's
// own stream position. While zeros are marked as skippable, the holes of a
// sparse file (which read as zeros) are stepped over unread, so a scan that
// ignores zero bytes costs nothing for a file that only claims to be large.
#include <cstdio>
#include <vector>

namespace platform {

class FileReader {
 public:
  FileReader(std::FILE* fp, long long offset, size_t bufferBytes = 64 * 1024);

  // The next byte, or -1 at the end of the file.
  int get() {
    if (next_ == have_ && !refill()) return -1;
    return buffer_[next_++];
  }
  // True while the caller would ignore any run of zero bytes at this point.
  void setZerosSkippable(bool on) { skipZeros_ = on; }
  // Offset in the file of the byte get() returns next.
  long long offset() const { return start_ + static_cast<long long>(next_); }

 private:
  bool refill();

  std::FILE* fp_;
  std::vector<unsigned char> buffer_;
  long long start_;  // file offset of buffer_[0]
  size_t have_ = 0, next_ = 0;
  bool skipZeros_ = false;
};

}  // namespace platform
