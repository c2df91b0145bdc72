#pragma once
// Runs the real lmplayer binary and reads what it wrote.
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ChildRun.h"
#include "platform/Png.h"
#include "support/TestSupport.h"

namespace lmtest {

struct PlayerResult {
  int code = -1;
  std::string out;
  std::string err;
};

inline std::string playerPath() { return binaryDir() + "/lmplayer"; }

inline std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Runs `program args` in directory `cwd` with no audio device, and with no
// display unless `keepDisplay`. Settings and saves go below `cwd`, never into
// the real home.
inline PlayerResult runProgram(const std::string& program, const std::string& args, const std::string& cwd,
                               bool keepDisplay = false) {
  const std::string outFile = cwd + "/.stdout", errFile = cwd + "/.stderr";
  std::string cmd = "cd '" + cwd + "' && env " + (keepDisplay ? "" : "-u DISPLAY ") + "SDL_AUDIODRIVER=dummy " +
                    "XDG_CONFIG_HOME='" + cwd + "/.xdg/config' XDG_DATA_HOME='" + cwd + "/.xdg/data' '" + program +
                    "' " + args + " >'" +
                    outFile + "' 2>'" + errFile + "' </dev/null";
  PlayerResult r;
  int status = std::system(cmd.c_str());
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = slurp(outFile);
  r.err = slurp(errFile);
  std::remove(outFile.c_str());
  std::remove(errFile.c_str());
  return r;
}

inline std::string toolPath() { return binaryDir() + "/tools/lmtool"; }
inline std::string peakToolPath() { return binaryDir() + "/tests/lm_peak"; }

inline PlayerResult runPlayer(const std::string& args, const std::string& cwd) {
  return runProgram(playerPath(), args, cwd);
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

// Standard error without the missing-data-file reports that a bare test
// folder (an INI and little else) makes the player print.
inline std::string withoutMissingFileReports(const std::string& err) {
  std::string rest;
  for (const std::string& l : lines(err))
    if (l.rfind("lmplayer: cannot open ", 0) != 0) rest += l + "\n";
  return rest;
}

// A PNG shot as top-down RGB pixels.
struct Shot {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  bool ok = false;
  std::vector<int> at(int x, int y) const {
    size_t i = (static_cast<size_t>(y) * width + x) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2]};
  }
  // True when every pixel is (r, g, b).
  bool uniform(int r, int g, int b) const {
    for (size_t i = 0; i + 3 < rgba.size(); i += 4)
      if (rgba[i] != r || rgba[i + 1] != g || rgba[i + 2] != b) return false;
    return ok;
  }
};

inline Shot readShot(const std::string& path) {
  Shot s;
  s.ok = platform::readPngRgba(path, s.width, s.height, s.rgba);
  return s;
}

// 16-bit stereo samples of a PCM WAV file (left, right interleaved).
struct Wav {
  int rate = 0, channels = 0, bits = 0;
  std::vector<int16_t> samples;
};

inline Wav readWav(const std::string& path) {
  Wav w;
  std::string b = slurp(path);
  auto u32 = [&](size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
  };
  auto u16 = [&](size_t at) { return unsigned(uint8_t(b[at])) | unsigned(uint8_t(b[at + 1])) << 8; };
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return w;
  size_t at = 12;
  while (at + 8 <= b.size()) {
    std::string id = b.substr(at, 4);
    size_t len = u32(at + 4);
    size_t body = at + 8;
    if (body + len > b.size()) len = b.size() - body;
    if (id == "fmt " && len >= 16) {
      w.channels = static_cast<int>(u16(body + 2));
      w.rate = static_cast<int>(u32(body + 4));
      w.bits = static_cast<int>(u16(body + 14));
    } else if (id == "data") {
      for (size_t i = 0; i + 1 < len; i += 2) w.samples.push_back(static_cast<int16_t>(u16(body + i)));
    }
    at = body + len + (len & 1);
  }
  return w;
}

// A stretch of sound in a recording: where it starts (ms) and its sign.
struct Onset {
  double ms;
  int sign;
};

// Finds the starts of sounds: nonzero stretches after at least `gapMs` of silence.
inline std::vector<Onset> onsets(const Wav& w, double gapMs = 50) {
  std::vector<Onset> out;
  if (w.channels <= 0 || w.rate <= 0) return out;
  const size_t gap = static_cast<size_t>(gapMs * w.rate / 1000);
  size_t silent = gap;
  for (size_t f = 0; f * w.channels < w.samples.size(); ++f) {
    int16_t s = w.samples[f * w.channels];
    if (s == 0) {
      ++silent;
      continue;
    }
    if (silent >= gap) out.push_back({f * 1000.0 / w.rate, s > 0 ? 1 : -1});
    silent = 0;
  }
  return out;
}

}  // namespace lmtest
