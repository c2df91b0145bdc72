// --video-out: the run's frames and sound through ffmpeg, checked by decoding
// the files again. Tests that need ffmpeg skip without it.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>

#include "PlayerRun.h"
#include "VideoFile.h"
#include "video/SoundTrack.h"

namespace lmtest {
namespace {

namespace fs = std::filesystem;

constexpr int kW = 320, kH = 240;
constexpr size_t kFrameBytes = static_cast<size_t>(kW) * kH * 3;
const std::string kPlay = "--input 60:enter,200:enter,300:enter,400:enter,500:enter,700:enter,900:enter,1100:enter,"
                          "1300:enter --input-repeat 1400";

std::string demoDir() { return binaryDir() + "/demo-data"; }

std::set<std::string> listDir(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// The shot's pixels as top-down R, G, B bytes.
std::string shotRgb(const std::string& path) {
  Shot s = readShot(path);
  std::string rgb;
  for (size_t i = 0; i + 3 < s.rgba.size(); i += 4) rgb.append(reinterpret_cast<const char*>(&s.rgba[i]), 3);
  return rgb;
}

class VideoE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fileExists(demoDir() + "/kirune.ini")) << "demo-data is not built";
  }
  std::string run(const std::string& args, int expectCode = 0) {
    PlayerResult r = runPlayer("--data '" + demoDir() + "' --headless " + args, dir.path());
    EXPECT_EQ(r.code, expectCode) << r.err;
    return r.err;
  }
  std::string at(const std::string& name) const { return dir.path() + "/" + name; }
  ScratchDir dir;
};

// How the video's sound lies against the WAV of the same run: every WAV
// sample in order, where the steps' clock fell behind, silence put in.
struct Alignment {
  size_t skipped = 0;   // WAV frames before the track's start (step 1's moment)
  size_t inserted = 0;  // silent frames put in
  size_t longest = 0;   // the longest silence put in
  size_t wavLeft = 0;   // WAV frames the track never reached
  bool ok = true;
};

Alignment align(const std::vector<int32_t>& track, const std::vector<int32_t>& wav) {
  Alignment a;
  size_t i = 0, j = 0;
  while (i < track.size() && j < wav.size()) {
    if (track[i] == wav[j]) {
      ++i, ++j;
    } else if (track[i] == 0) {
      size_t run = 0;
      while (i < track.size() && track[i] == 0 && track[i] != wav[j]) ++i, ++run;
      a.inserted += run;
      a.longest = std::max(a.longest, run);
    } else if (i == 0 && wav[j] == 0) {
      ++j, ++a.skipped;
    } else {
      a.ok = false;
      break;
    }
  }
  a.wavLeft = wav.size() - j;
  return a;
}

std::vector<int32_t> wavFrames(const std::string& path) {
  Wav w = readWav(path);
  std::vector<int32_t> out(w.samples.size() / 2);
  std::memcpy(out.data(), w.samples.data(), out.size() * 4);
  return out;
}

TEST_F(VideoE2E, ALosslessVideoHoldsEveryStepsFrameAndTheRunsSound) {
  if (!haveFfmpeg()) GTEST_SKIP() << kNoFfmpeg;
  const std::vector<long> sampled = {1, 17, 250, 701, 1000, 1499, 1500};
  std::string shots;
  for (long s : sampled) shots += " --shot " + std::to_string(s) + ":" + at("s" + std::to_string(s) + ".png");
  run("--steps 1500 " + kPlay + shots + " --audio-out " + at("plain.wav") + " --trace " + at("plain.trace"));
  run("--steps 1500 " + kPlay + " --video-out " + at("v.mkv") + " --video-scale 1 --audio-out " + at("v.wav") +
      " --trace " + at("v.trace"));
  // Recording changes nothing of the run.
  EXPECT_EQ(slurp(at("plain.trace")), slurp(at("v.trace")));
  EXPECT_EQ(slurp(at("plain.wav")), slurp(at("v.wav")));

  EXPECT_EQ(probe(at("v.mkv")).video, "ffv1,320,240,125/2");
  const std::string frames = decodeFrames(at("v.mkv"));
  ASSERT_EQ(frames.size(), 1500 * kFrameBytes);
  for (long s : sampled)
    EXPECT_TRUE(frames.compare((s - 1) * kFrameBytes, kFrameBytes, shotRgb(at("s" + std::to_string(s) + ".png"))) == 0)
        << "step " << s;

  const std::vector<int32_t> track = decodeSound(at("v.mkv"));
  ASSERT_EQ(static_cast<int64_t>(track.size()), video::SoundTrack::framesForSteps(1500));
  const Alignment a = align(track, wavFrames(at("plain.wav")));
  EXPECT_TRUE(a.ok);
  EXPECT_LE(a.skipped, 706u);  // the moments before step 1
  // Loading restarts the steps' clock early (some 11 ms each time); that much
  // silence keeps the sound in step with the pictures.
  EXPECT_LE(a.inserted, track.size() / 100);
  EXPECT_LE(a.longest, 4410u);  // 100 ms
  // The WAV holds only buffers played in full: the track's end goes on from what was queued, or silence.
  EXPECT_EQ(a.wavLeft, 0u);
}

TEST_F(VideoE2E, PixelsAreScaledAsSquaresAndTheLastFrameIsTheLastStepsFrame) {
  if (!haveFfmpeg()) GTEST_SKIP() << kNoFfmpeg;
  run("--steps 90 --shot 90:" + at("last.png") + " --video-out " + at("v2.mkv") + " --video-scale 2");
  EXPECT_EQ(probe(at("v2.mkv")).video, "ffv1,640,480,125/2");
  const std::string frames = decodeFrames(at("v2.mkv"));
  const size_t big = kFrameBytes * 4;
  ASSERT_EQ(frames.size(), 90 * big);
  const std::string shot = shotRgb(at("last.png")), last = frames.substr(89 * big);
  for (int y = 0; y < 2 * kH; ++y)
    for (int x = 0; x < 2 * kW; ++x)
      ASSERT_EQ(last.compare((static_cast<size_t>(y) * 2 * kW + x) * 3, 3, shot,
                             (static_cast<size_t>(y / 2) * kW + x / 2) * 3, 3),
                0)
          << x << "," << y;
}

TEST_F(VideoE2E, Mp4AndWebmHaveTheirCodecsSizeAndRate) {
  if (!haveFfmpeg()) GTEST_SKIP() << kNoFfmpeg;
  struct Case {
    const char* file;
    const char* video;
    const char* sound;
  } cases[] = {{"v.mp4", "h264,960,720,125/2", "aac,44100"}, {"v.webm", "vp9,960,720,125/2", "opus,48000"}};
  for (const Case& c : cases) {
    run("--steps 125 " + kPlay + " --video-out " + at(c.file));
    const Probe p = probe(at(c.file));
    EXPECT_EQ(p.video, c.video) << c.file;
    EXPECT_EQ(p.sound, c.sound) << c.file;
    EXPECT_EQ(p.frames, 125) << c.file;
    // Sound and pictures end together: 2 s, within one frame (16 ms).
    EXPECT_NEAR(p.videoSeconds, 2.0, 0.016) << c.file;
    EXPECT_NEAR(p.soundSeconds, 2.0, 0.016) << c.file;
  }
}

// Reads the trace FIFO as the player writes it and stops the player with
// `sig` after `lines` lines; returns everything read.
std::string readTraceAndSignal(const std::string& fifo, pid_t pid, int sig, size_t lines) {
  const int fd = ::open(fifo.c_str(), O_RDONLY);
  if (fd < 0) return "";
  std::string got;
  bool signalled = false;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) {
    got.append(buf, static_cast<size_t>(n));
    if (!signalled && static_cast<size_t>(std::count(got.begin(), got.end(), '\n')) >= lines) {
      ::kill(pid, sig);
      signalled = true;
    }
  }
  ::close(fd);
  return got;
}

TEST_F(VideoE2E, AStopSignalLeavesAPlayableFileOfTheStepsRun) {
  if (!haveFfmpeg()) GTEST_SKIP() << kNoFfmpeg;
  ASSERT_EQ(::mkfifo(at("trace.pipe").c_str(), 0600), 0);
  std::string trace;
  const Measured m = runChild({playerPath(), "--data", demoDir(), "--headless", "--steps", "1000000", "--input",
                               "60:enter,200:enter", "--video-out", at("stopped.mkv"), "--video-scale", "1",
                               "--trace", at("trace.pipe")},
                              dir.path(), [&](pid_t pid) { trace = readTraceAndSignal(at("trace.pipe"), pid, SIGINT, 300); });
  EXPECT_EQ(m.code, 128 + SIGINT) << slurp(at(".stderr"));
  const long steps = static_cast<long>(std::count(trace.begin(), trace.end(), '\n'));
  ASSERT_GE(steps, 300);
  const std::string frames = decodeFrames(at("stopped.mkv"));
  EXPECT_EQ(frames.size(), static_cast<size_t>(steps) * kFrameBytes);
  EXPECT_EQ(static_cast<int64_t>(decodeSound(at("stopped.mkv")).size()), video::SoundTrack::framesForSteps(steps));
  // No scratch or temporary file is left beside it.
  EXPECT_EQ(listDir(dir.path()), (std::set<std::string>{".stderr", ".stdout", "stopped.mkv", "trace.pipe"}));
}

TEST_F(VideoE2E, RefusedTargetsChangeNothingAndAMissingFfmpegSaysWhatToInstall) {
  writeText(at("kept.mkv"), "old");
  ASSERT_EQ(::symlink("kept.mkv", at("link.mkv").c_str()), 0);
  makeDirs(at("folder.mkv"));
  const auto before = listDir(dir.path());
  struct Case {
    std::string target;
    std::string says;
  } cases[] = {{at("link.mkv"), "--video-out"},
               {at("folder.mkv"), "--video-out"},
               {at("v.avi"), "must end in .mp4, .webm or .mkv"},
               {at("no/such/folder/v.mp4"), "--video-out"}};
  for (const Case& c : cases) {
    const std::string err = run("--steps 10 --trace " + at("t.trace") + " --video-out '" + c.target + "'", 1);
    EXPECT_NE(err.find(c.says), std::string::npos) << c.target << ": " << err;
  }
  // ffmpeg missing from PATH: refused before step 1 with what to install.
  PlayerResult r = runProgram("/usr/bin/env", "PATH=/nonexistent '" + playerPath() + "' --data '" + demoDir() +
                                                  "' --headless --steps 10 --trace " + at("t.trace") +
                                                  " --video-out " + at("v.mp4"),
                              dir.path());
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("apt install ffmpeg"), std::string::npos) << r.err;
  EXPECT_EQ(listDir(dir.path()), before);
  EXPECT_EQ(slurp(at("kept.mkv")), "old");
}

TEST_F(VideoE2E, AFailingFfmpegIsReportedWithItsLastLinesAndTheTargetIsLeftAlone) {
  // An ffmpeg that cannot encode: it says why and ends while frames still come.
  makeDirs(at("bin"));
  writeText(at("bin/ffmpeg"), "#!/bin/sh\necho 'first line' >&2\necho \"Unknown encoder 'libx264'\" >&2\nexit 8\n");
  ASSERT_EQ(::chmod(at("bin/ffmpeg").c_str(), 0755), 0);
  writeText(at("v.mp4"), "old");
  PlayerResult r = runProgram("/usr/bin/env", "PATH='" + at("bin") + "' '" + playerPath() + "' --data '" +
                                                  demoDir() + "' --headless --steps 200 --trace " + at("t.trace") +
                                                  " --video-out " + at("v.mp4"),
                              dir.path());
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("ffmpeg (pictures) failed with exit status 8:\nfirst line\nUnknown encoder 'libx264'"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(slurp(at("v.mp4")), "old");
  // The run itself went on: its other outputs are complete.
  EXPECT_EQ(lines(slurp(at("t.trace"))).size(), 200u);
  EXPECT_EQ(listDir(dir.path()), (std::set<std::string>{"bin", "t.trace", "v.mp4"}));
}

TEST_F(VideoE2E, AnInputLogPlaysTheSameRunAgain) {
  const std::string input =
      "--input 60:enter,200:enter,300:click@160x200,330:wheelup,340:wheeldown,400:rclick,430:escape,"
      "500:down+,520:down-,600:enter,700:space";
  run("--steps 900 " + input + " --input-log " + at("session.log") + " --trace " + at("a.trace") +
      " --frame-hashes " + at("a.hashes"));
  const std::string log = slurp(at("session.log"));
  for (const char* entry : {"60:enter+\n", "61:enter-\n", "300:click+@160x200\n", "301:click-@160x200\n",
                            "330:wheelup@0x0\n", "400:rclick+@0x0\n", "500:down+\n", "520:down-\n",
                            "# the run ended after step 900\n"})
    EXPECT_NE(log.find(entry), std::string::npos) << entry << " in\n" << log;
  run("--steps 900 --input @" + at("session.log") + " --trace " + at("b.trace") + " --frame-hashes " +
      at("b.hashes"));
  EXPECT_EQ(slurp(at("a.trace")), slurp(at("b.trace")));
  EXPECT_EQ(slurp(at("a.hashes")), slurp(at("b.hashes")));
  // A list file that is not one is refused with its reason.
  writeText(at("bad.log"), "# a comment\n10:enter\n12:jump\n");
  const std::string err = run("--steps 10 --input @" + at("bad.log"), 2);
  EXPECT_NE(err.find("unknown key 'jump'"), std::string::npos) << err;
  EXPECT_NE(run("--steps 10 --input @" + at("missing.log"), 2).find("cannot read"), std::string::npos);
}

}  // namespace
}  // namespace lmtest
