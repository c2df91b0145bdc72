#include "game/ScenarioTable.h"

#include <algorithm>
#include <cstdint>

#include "platform/FileSystem.h"

namespace {

long decode(const unsigned char* p, int width, long adjust) {
  uint32_t v = 0;
  for (int b = 0; b < width; ++b) v = (v << 8) | p[b];
  return static_cast<long>(v) - adjust;
}

}  // namespace

void ScenarioTable::load(std::FILE* fp, long fileSize, long pos, long count, int width, long adjust) {
  fp_ = fp;
  fileSize_ = fileSize;
  pos_ = pos;
  count_ = std::max(0L, count);
  width_ = width;
  adjust_ = adjust;
  values_.clear();
  whole_ = count_ <= kWholeBytes / width_;
  if (!whole_) return;
  values_.assign(static_cast<size_t>(count_), -1);
  if (pos < 0 || pos >= fileSize || !fp) return;
  const long held = std::min(count_, (fileSize - pos) / width);
  std::vector<unsigned char> raw(static_cast<size_t>(held) * static_cast<size_t>(width));
  const size_t got = platform::readAt(fp, pos, raw.data(), raw.size()) / static_cast<size_t>(width);
  for (size_t i = 0; i < got; ++i) values_[i] = decode(&raw[i * static_cast<size_t>(width)], width, adjust);
}

long ScenarioTable::readEntry(size_t i) const {
  const long long at = pos_ + static_cast<long long>(i) * width_;
  if (pos_ < 0 || at + width_ > fileSize_ || !fp_) return -1;
  unsigned char raw[4];
  if (platform::readAt(fp_, at, raw, static_cast<size_t>(width_)) != static_cast<size_t>(width_)) return -1;
  return decode(raw, width_, adjust_);
}

long ScenarioTable::operator[](size_t i) const {
  if (i >= size()) return -1;
  return whole_ ? values_[i] : readEntry(i);
}

std::vector<long> ScenarioTable::entries() const {
  if (whole_) return values_;
  std::vector<long> out(size());
  for (size_t i = 0; i < out.size(); ++i) out[i] = readEntry(i);
  return out;
}
