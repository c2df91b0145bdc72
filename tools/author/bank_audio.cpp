#include "tools/author/bank_audio.h"

#include <samplerate.h>
#include <sndfile.h>

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

// A bank clip's length is a 32-bit count of bytes.
constexpr uint64_t kMaxClip = 0xFFFFFFFFu;

bool resample(std::vector<float>& mono, int from, int to, std::string& error) {
  const double ratio = static_cast<double>(to) / from;
  const double expected = std::ceil(static_cast<double>(mono.size()) * ratio);
  if (expected > static_cast<double>(kMaxClip)) {
    error = "too long for a bank clip after resampling";
    return false;
  }
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
  const uint64_t frames = static_cast<uint64_t>(info.frames);
  if (frames > kMaxClip || frames * static_cast<uint64_t>(info.channels) > (uint64_t{1} << 31)) {
    error = path + ": too long for a bank clip";
    return false;
  }
  std::vector<float> interleaved(static_cast<size_t>(frames) * static_cast<size_t>(info.channels));
  const sf_count_t got = sf_readf_float(in.get(), interleaved.data(), info.frames);
  if (got != info.frames) {
    error = path + ": read " + std::to_string(got) + " of " + std::to_string(info.frames) + " frames";
    return false;
  }

  // Mono = the mean of the channels.
  std::vector<float> mono(static_cast<size_t>(frames));
  for (size_t f = 0; f < mono.size(); ++f) {
    float sum = 0;
    for (int c = 0; c < info.channels; ++c) sum += interleaved[f * static_cast<size_t>(info.channels) + c];
    mono[f] = sum / static_cast<float>(info.channels);
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
