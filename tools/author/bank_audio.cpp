#include "tools/author/bank_audio.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Wav.h"

namespace author {

namespace {

struct SndfileCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};

// The longest clip, before and after resampling: about 50 minutes at
// 22050 Hz, far past any voice, and bounded memory for a lying header.
constexpr uint64_t kMaxClip = uint64_t{1} << 26;
constexpr sf_count_t kChunkFrames = 65536;

// Samples a clip of `frames` frames has at rate `to` after resampling from `from`.
double resampledLength(uint64_t frames, int from, int to) {
  return std::ceil(static_cast<double>(frames) * (static_cast<double>(to) / from));
}

bool resample(std::vector<float>& mono, int from, int to, std::string& error) {
  const double ratio = static_cast<double>(to) / from;
  const double expected = resampledLength(mono.size(), from, to);
  std::vector<float> out(static_cast<size_t>(expected) + 64);
  SRC_DATA d{};
  d.data_in = mono.data();
  d.input_frames = static_cast<long>(mono.size());
  d.data_out = out.data();
  d.output_frames = static_cast<long>(out.size());
  d.src_ratio = ratio;
  d.end_of_input = 1;
  const int rc = src_simple(&d, SRC_SINC_BEST_QUALITY, 1);
  if (rc != 0) {
    error = std::string("resampling failed: ") + src_strerror(rc);
    return false;
  }
  out.resize(static_cast<size_t>(d.output_frames_gen));
  mono.swap(out);
  return true;
}

}  // namespace

bool readClip(const std::string& path, int rate, Clip& clip, std::string& error) {
  SF_INFO info{};
  std::unique_ptr<SNDFILE, SndfileCloser> in(sf_open(path.c_str(), SFM_READ, &info));
  if (!in) {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels < 1 || info.samplerate < 1 || info.frames < 0) {
    error = path + ": not a usable sound file";
    return false;
  }
  // The converter takes ratios up to 256 either way.
  if (info.samplerate != rate && (static_cast<double>(rate) / info.samplerate > 256.0 ||
                                  static_cast<double>(info.samplerate) / rate > 256.0)) {
    error = path + ": " + std::to_string(info.samplerate) + " Hz is too far from " + std::to_string(rate) +
            " Hz to convert";
    return false;
  }
  // Every size is checked from the header before any sample takes memory.
  const uint64_t frames = static_cast<uint64_t>(info.frames);
  if (frames > kMaxClip || info.channels > 1024 || resampledLength(frames, info.samplerate, rate) > kMaxClip) {
    error = path + ": too long for a bank clip (at most " + std::to_string(kMaxClip) + " samples at " +
            std::to_string(rate) + " Hz)";
    return false;
  }

  // Mono = the mean of the channels, read a chunk at a time.
  std::vector<float> mono(static_cast<size_t>(frames));
  std::vector<float> chunk(static_cast<size_t>(kChunkFrames) * static_cast<size_t>(info.channels));
  sf_count_t done = 0;
  while (done < info.frames) {
    const sf_count_t want = std::min(kChunkFrames, info.frames - done);
    const sf_count_t got = sf_readf_float(in.get(), chunk.data(), want);
    for (sf_count_t f = 0; f < got; ++f) {
      float sum = 0;
      for (int c = 0; c < info.channels; ++c) sum += chunk[static_cast<size_t>(f) * info.channels + c];
      mono[static_cast<size_t>(done + f)] = sum / static_cast<float>(info.channels);
    }
    done += got;
    if (got != want) {
      error = path + ": read " + std::to_string(done) + " of " + std::to_string(info.frames) + " frames";
      return false;
    }
  }
  if (info.samplerate != rate && !mono.empty() && !resample(mono, info.samplerate, rate, error)) {
    error = path + ": " + error;
    return false;
  }

  // Full scale is +-1.0 = +-128; no dither, so exact 8-bit values survive.
  clip.resize(mono.size());
  for (size_t i = 0; i < mono.size(); ++i) {
    long v = std::lrint(static_cast<double>(mono[i]) * 128.0);
    if (v > 127) v = 127;
    if (v < -128) v = -128;
    clip[i] = static_cast<signed char>(v);
  }
  return true;
}

bool writeClipWav(const std::string& path, const Clip& clip, int rate, std::string& error) {
  if (!platform::writeWav8(path, clip.data(), clip.size(), rate)) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace author
