#include "video/SoundTrack.h"

#include <algorithm>
#include <vector>

namespace video {

namespace {
constexpr size_t kSilenceChunk = 4096;  // frames
}

SoundTrack::SoundTrack(std::function<bool(const char*, size_t)> sink, uint32_t toleranceMs)
    : sink_(std::move(sink)), tolerance_(static_cast<int64_t>(toleranceMs) * kRate / 1000) {}

int64_t SoundTrack::framesForSteps(long steps) { return static_cast<int64_t>(steps) * kStepMs * kRate / 1000; }

int64_t SoundTrack::streamPos(uint32_t ms) const {
  // Wrap-safe on the 32-bit clock; a time before the start counts as the start.
  const int32_t since = static_cast<int32_t>(ms - origin_);
  return base_ + (since > 0 ? static_cast<int64_t>(since) * kRate / 1000 : 0);
}

void SoundTrack::started(uint32_t ms) {
  origin_ = ms;
  base_ = received_;
  haveOrigin_ = true;
}

void SoundTrack::step(long step, uint32_t ms) {
  if (!haveOrigin_) started(ms);  // no sound yet: the stream would begin now
  const int64_t p = streamPos(ms);
  if (!begun_) {
    begun_ = true;
    start_ = p;
    // What arrived before step 1 is laid out again from its start.
    limit_ = framesForSteps(step);
    std::vector<char> early;
    early.swap(early_);
    received_ -= static_cast<int64_t>(early.size() / kFrameBytes);
    const size_t split = partialBytes_;  // a split frame came after them
    partialBytes_ = 0;
    samples(early.data(), early.size());
    partialBytes_ = split;
    return;
  }
  limit_ = framesForSteps(step);
  const int64_t drift = framesForSteps(step - 1) - (p - start_ + shift_);
  if (drift > tolerance_ || drift < -tolerance_) {
    pending_.push_back({p, drift});
    shift_ += drift;
  }
  flushHeld();
}

void SoundTrack::samples(const char* bytes, size_t length) {
  if (failed_) return;
  // A sample frame split between calls is joined first.
  while (partialBytes_ > 0 && length > 0) {
    partial_[partialBytes_++] = *bytes++;
    --length;
    if (partialBytes_ == kFrameBytes) {
      partialBytes_ = 0;
      samples(partial_, kFrameBytes);
    }
  }
  if (!begun_) {
    early_.insert(early_.end(), bytes, bytes + length);
    received_ += static_cast<int64_t>(length / kFrameBytes);
    // Keep whole frames; a split tail waits for the rest of it.
    const size_t tail = length % kFrameBytes;
    if (tail) {
      early_.resize(early_.size() - tail);
      std::copy(bytes + length - tail, bytes + length, partial_);
      partialBytes_ = tail;
    }
    return;
  }
  size_t frames = length / kFrameBytes;
  while (frames > 0 && !failed_) {
    // Before the track's start: not part of it.
    if (received_ < start_) {
      const size_t skip = static_cast<size_t>(std::min<int64_t>(start_ - received_, static_cast<int64_t>(frames)));
      received_ += static_cast<int64_t>(skip);
      bytes += skip * kFrameBytes;
      frames -= skip;
      continue;
    }
    applyCorrections();
    size_t run = frames;
    if (!pending_.empty() && pending_.front().at > received_)
      run = static_cast<size_t>(std::min<int64_t>(pending_.front().at - received_, static_cast<int64_t>(run)));
    if (toDrop_ > 0) {
      run = static_cast<size_t>(std::min<int64_t>(toDrop_, static_cast<int64_t>(run)));
      toDrop_ -= static_cast<int64_t>(run);
      dropped_ += static_cast<int64_t>(run);
    } else {
      emit(bytes, run);
    }
    received_ += static_cast<int64_t>(run);
    bytes += run * kFrameBytes;
    frames -= run;
  }
  const size_t tail = length % kFrameBytes;
  if (tail) {
    std::copy(bytes, bytes + tail, partial_);
    partialBytes_ = tail;
  }
}

void SoundTrack::applyCorrections() {
  while (!pending_.empty() && pending_.front().at <= received_) {
    const int64_t delta = pending_.front().delta;
    pending_.pop_front();
    if (delta > 0) {
      // Silence first takes back frames still to be left out.
      const int64_t cancel = std::min(delta, toDrop_);
      toDrop_ -= cancel;
      silence(delta - cancel);
    } else {
      toDrop_ += -delta;
    }
  }
}

void SoundTrack::emit(const char* bytes, size_t frames) {
  // Held back past the last step's time: the end may yet cut it.
  held_.insert(held_.end(), bytes, bytes + frames * kFrameBytes);
  flushHeld();
}

void SoundTrack::silence(int64_t frames) {
  if (frames <= 0) return;
  inserted_ += frames;
  held_.insert(held_.end(), static_cast<size_t>(frames) * kFrameBytes, 0);
  flushHeld();
}

void SoundTrack::flushHeld() {
  if (failed_ || held_.empty()) return;
  const int64_t room = limit_ - written_;
  if (room <= 0) return;
  const size_t bytes = std::min(held_.size(), static_cast<size_t>(room) * kFrameBytes);
  if (!sink_(held_.data(), bytes)) failed_ = true;
  written_ += static_cast<int64_t>(bytes / kFrameBytes);
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(bytes));
}

bool SoundTrack::finish(long steps) {
  limit_ = framesForSteps(steps);
  flushHeld();
  held_.clear();
  static const std::vector<char> zeros(kSilenceChunk * kFrameBytes, 0);
  while (!failed_ && written_ < limit_) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(limit_ - written_, kSilenceChunk));
    if (!sink_(zeros.data(), n * kFrameBytes)) failed_ = true;
    written_ += static_cast<int64_t>(n);
  }
  return !failed_;
}

}  // namespace video
