#include "platform/Wav.h"

#include <cstdint>
#include <cstring>

namespace platform {

namespace {

void le16(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

void le32(unsigned char* p, uint32_t v) {
  le16(p, v & 0xFFFF);
  le16(p + 2, v >> 16);
}

// The 44-byte RIFF/WAVE header of a PCM file holding `dataBytes` of samples.
void makeHeader(unsigned char* h, int rate, int channels, int bits, uint32_t dataBytes) {
  const int blockAlign = bits * channels / 8;
  std::memcpy(h, "RIFF", 4);
  le32(h + 4, 36 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  le32(h + 16, 16);
  le16(h + 20, 1);
  le16(h + 22, static_cast<uint32_t>(channels));
  le32(h + 24, static_cast<uint32_t>(rate));
  le32(h + 28, static_cast<uint32_t>(blockAlign * rate));
  le16(h + 32, static_cast<uint32_t>(blockAlign));
  le16(h + 34, static_cast<uint32_t>(bits));
  std::memcpy(h + 36, "data", 4);
  le32(h + 40, dataBytes);
}

}  // namespace

WavWriter::~WavWriter() { abandon(); }

bool WavWriter::open(const std::string& path, int rate, int channels, int bitsPerSample) {
  abandon();
  if (rate <= 0 || channels <= 0 || (bitsPerSample != 8 && bitsPerSample != 16)) return false;
  path_ = path;
  tempPath_ = path + ".part";
  fp_ = std::fopen(tempPath_.c_str(), "wb");
  if (!fp_) return false;
  dataBytes_ = 0;
  failed_ = false;
  unsigned char header[44];
  makeHeader(header, rate, channels, bitsPerSample, 0);
  if (std::fwrite(header, 1, sizeof header, fp_) != sizeof header) failed_ = true;
  rate_ = rate;
  channels_ = channels;
  bits_ = bitsPerSample;
  return !failed_;
}

bool WavWriter::write(const void* bytes, size_t length) {
  if (!fp_ || failed_) return false;
  if (length && std::fwrite(bytes, 1, length, fp_) != length) failed_ = true;
  dataBytes_ += length;
  // A RIFF file cannot describe more than 4 GiB.
  if (dataBytes_ > 0xFFFFFFFFul - 36) failed_ = true;
  return !failed_;
}

bool WavWriter::writeSigned8(const signed char* samples, size_t count) {
  unsigned char chunk[4096];
  while (count) {
    size_t n = count < sizeof chunk ? count : sizeof chunk;
    for (size_t i = 0; i < n; ++i) chunk[i] = static_cast<unsigned char>(samples[i] + 128);
    if (!write(chunk, n)) return false;
    samples += n;
    count -= n;
  }
  return true;
}

bool WavWriter::close() {
  if (!fp_) return false;
  // RIFF chunks are padded to an even length.
  if (dataBytes_ & 1) {
    unsigned char pad = 0;
    if (std::fwrite(&pad, 1, 1, fp_) != 1) failed_ = true;
  }
  unsigned char header[44];
  makeHeader(header, rate_, channels_, bits_, static_cast<uint32_t>(dataBytes_));
  le32(header + 4, static_cast<uint32_t>(36 + dataBytes_ + (dataBytes_ & 1)));
  if (std::fseek(fp_, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, fp_) != sizeof header)
    failed_ = true;
  if (std::fclose(fp_) != 0) failed_ = true;
  fp_ = nullptr;
  if (!failed_ && std::rename(tempPath_.c_str(), path_.c_str()) != 0) failed_ = true;
  if (failed_) std::remove(tempPath_.c_str());
  return !failed_;
}

void WavWriter::abandon() {
  if (!fp_) return;
  std::fclose(fp_);
  fp_ = nullptr;
  std::remove(tempPath_.c_str());
}

bool writeWav8(const std::string& path, const signed char* samples, size_t count, int rate) {
  WavWriter wav;
  if (!wav.open(path, rate, 1, 8)) return false;
  if (!wav.writeSigned8(samples, count)) return false;
  return wav.close();
}

}  // namespace platform
