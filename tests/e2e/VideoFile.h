#pragma once
// Reads video files back through ffmpeg and ffprobe, for the tests of
// --video-out (which skip when ffmpeg is not installed).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace lmtest {

inline bool haveFfmpeg() {
  return std::system("command -v ffmpeg >/dev/null 2>&1 && command -v ffprobe >/dev/null 2>&1") == 0;
}

constexpr const char* kNoFfmpeg = "ffmpeg and ffprobe are not installed (apt install ffmpeg); --video-out needs them";

// Standard output of a shell command.
inline std::string commandOutput(const std::string& cmd) {
  std::string out;
  if (std::FILE* p = popen(cmd.c_str(), "r")) {
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// Every frame of the video as top-down R, G, B bytes, one after another.
inline std::string decodeFrames(const std::string& path) {
  return commandOutput("ffmpeg -v error -i '" + path + "' -map 0:v:0 -f rawvideo -pix_fmt rgb24 -");
}

// The sound as 16-bit stereo 44100 Hz sample frames (left and right in one int32).
inline std::vector<int32_t> decodeSound(const std::string& path) {
  const std::string raw =
      commandOutput("ffmpeg -v error -i '" + path + "' -map 0:a:0 -f s16le -ar 44100 -ac 2 -");
  std::vector<int32_t> frames(raw.size() / 4);
  if (!frames.empty()) std::memcpy(frames.data(), raw.data(), frames.size() * 4);
  return frames;
}

// "codec,width,height,rate" of the first video stream and "codec,rate" of the
// first sound stream, and the frame count.
struct Probe {
  std::string video, sound;
  long frames = 0;
  double videoSeconds = 0, soundSeconds = 0;  // as the container gives them
};

// A stream's duration: its own field, or Matroska's "HH:MM:SS.fff" tag.
inline double streamSeconds(const std::string& path, const char* stream) {
  const std::string out = commandOutput(std::string("ffprobe -v error -of csv=p=0 -select_streams ") + stream +
                                        " -show_entries stream=duration:stream_tags=DURATION '" + path + "'");
  if (out.rfind("N/A", 0) != 0) return std::atof(out.c_str());
  const size_t comma = out.find(',');
  int h = 0, m = 0;
  double sec = 0;
  if (comma == std::string::npos || std::sscanf(out.c_str() + comma + 1, "%d:%d:%lf", &h, &m, &sec) != 3) return -1;
  return h * 3600.0 + m * 60.0 + sec;
}

inline std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ',')) s.pop_back();
  return s;
}

inline Probe probe(const std::string& path) {
  Probe p;
  const std::string q = "ffprobe -v error -of csv=p=0 ";
  p.video = trimmed(commandOutput(q + "-select_streams v:0 -show_entries stream=codec_name,width,height,r_frame_rate '" +
                                  path + "'"));
  p.sound = trimmed(commandOutput(q + "-select_streams a:0 -show_entries stream=codec_name,sample_rate '" + path + "'"));
  p.frames = std::atol(
      commandOutput(q + "-count_frames -select_streams v:0 -show_entries stream=nb_read_frames '" + path + "'").c_str());
  p.videoSeconds = streamSeconds(path, "v:0");
  p.soundSeconds = streamSeconds(path, "a:0");
  return p;
}

}  // namespace lmtest
