#include "tools/author/bank_commands.h"

#include <cstdio>
#include <filesystem>
#include <iterator>

#include "platform/KeptFile.h"
#include "tools/author/bank_audio.h"
#include "tools/author/bank_file.h"
#include "platform/OutputFile.h"

namespace author {

namespace {

bool rateOk(int rate, std::string& error) {
  if (rate >= 1 && rate <= kMaxBankRate) return true;
  error = "rate " + std::to_string(rate) + " Hz is outside 1.." + std::to_string(kMaxBankRate);
  return false;
}

// A WAV clip or a bank; no sound of a story comes near this.
constexpr size_t kMaxSoundInput = 256u << 20;

bool readAll(const std::string& path, std::vector<unsigned char>& bytes, std::string& error) {
  if (platform::readKeptFile(path, kMaxSoundInput, bytes, error)) return true;
  if (error.empty()) error = "cannot open " + path;
  return false;
}


bool readBank(const std::string& in, std::vector<Clip>& clips, std::string& error) {
  std::vector<unsigned char> bytes;
  if (!readAll(in, bytes, error)) return false;
  if (!decodeBank(bytes, clips, error)) {
    error = in + ": " + error;
    return false;
  }
  return true;
}

}  // namespace

std::string clipFileName(size_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "clip%03zu.wav", index);
  return name;
}

bool bankPack(const std::string& out, int rate, const std::vector<std::string>& inputs, std::string& error) {
  if (!rateOk(rate, error)) return false;
  if (inputs.empty()) {
    error = "no input files";
    return false;
  }
  std::vector<Clip> clips(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i)
    if (!readClip(inputs[i], rate, clips[i], error)) return false;
  return platform::writeFileAtomic(out, encodeBank(clips), error);
}

bool bankUnpack(const std::string& in, const std::string& outDir, int rate, std::vector<std::string>* written,
                std::string& error) {
  if (!rateOk(rate, error)) return false;
  std::vector<Clip> clips;
  if (!readBank(in, clips, error)) return false;
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (ec) {
    error = "cannot create " + outDir + ": " + ec.message();
    return false;
  }
  for (size_t i = 0; i < clips.size(); ++i) {
    const std::string path = (std::filesystem::path(outDir) / clipFileName(i)).string();
    if (!writeClipWav(path, clips[i], rate, error)) return false;
    if (written) written->push_back(path);
  }
  return true;
}

bool bankInfo(const std::string& in, std::string& report, std::string& error) {
  std::vector<Clip> clips;
  if (!readBank(in, clips, error)) return false;
  size_t total = 0;
  for (const Clip& c : clips) total += c.size();
  report = in + ": " + std::to_string(clips.size()) + " clips, " + std::to_string(total) + " bytes of samples\n";
  for (size_t i = 0; i < clips.size(); ++i)
    report += "clip " + std::to_string(i) + ": " + std::to_string(clips[i].size()) + " bytes\n";
  return true;
}

}  // namespace author
