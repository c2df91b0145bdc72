#pragma once
// What each video file name ending is written as: the container and the
// ffmpeg arguments of its picture and sound codecs.
#include <string>
#include <vector>

namespace video {

struct VideoFormat {
  const char* extension;  // ".mp4"
  const char* muxer;      // ffmpeg's name of the container
  std::vector<std::string> pictureCodec;  // first pass: raw frames in
  std::vector<std::string> soundCodec;    // second pass: raw samples in
  std::vector<std::string> fileFlags;     // the container, written to a file
  std::vector<std::string> streamFlags;   // the container, written to a pipe
};

// The format for `path`'s ending (case-insensitive), or null.
const VideoFormat* videoFormatFor(const std::string& path);

// The endings known, for messages: ".mp4, .webm or .mkv".
std::string videoEndings();

}  // namespace video
