#include "platform/FileReader.h"

#include <algorithm>

#include "platform/FileSystem.h"

namespace platform {

FileReader::FileReader(std::FILE* fp, long long offset, size_t bufferBytes)
    : fp_(fp), buffer_(std::max<size_t>(bufferBytes, 1)), start_(offset) {}

bool FileReader::refill() {
  if (!fp_ || start_ < 0) return false;
  long long at = start_ + static_cast<long long>(have_);
  // Zeros are skippable only from here on; the bytes already in the buffer
  // were all handed out.
  if (skipZeros_) at = std::max(at, nextDataAt(fp_, at));
  start_ = at;
  next_ = 0;
  have_ = readAt(fp_, at, buffer_.data(), buffer_.size());
  return have_ > 0;
}

}  // namespace platform
