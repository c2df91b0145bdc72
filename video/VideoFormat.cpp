#include "video/VideoFormat.h"

#include <algorithm>
#include <cctype>

namespace video {

namespace {

// .mp4 plays everywhere; .webm is free of patents; .mkv keeps every pixel
// and sample (tests, archives).
const VideoFormat kFormats[] = {
    {".mp4",
     "mp4",
     {"-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p"},
     {"-c:a", "aac", "-b:a", "160k"},
     {"-movflags", "+faststart"},
     {"-movflags", "frag_keyframe+empty_moov"}},
    {".webm",
     "webm",
     {"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8", "-row-mt", "1", "-crf", "30", "-b:v", "0",
      "-pix_fmt", "yuv420p"},
     {"-c:a", "libopus", "-b:a", "128k", "-ar", "48000"},
     {},
     {}},
    {".mkv", "matroska", {"-c:v", "ffv1", "-level", "3", "-pix_fmt", "bgr0"}, {"-c:a", "flac"}, {}, {}},
};

}  // namespace

const VideoFormat* videoFormatFor(const std::string& path) {
  std::string lower = path;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const VideoFormat& f : kFormats) {
    const std::string ext = f.extension;
    if (lower.size() > ext.size() && lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0) return &f;
  }
  return nullptr;
}

std::string videoEndings() { return ".mp4, .webm or .mkv"; }

}  // namespace video
