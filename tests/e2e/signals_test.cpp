// SIGINT, SIGTERM and SIGHUP during a headless run: the run ends at the end
// of a step with every output complete (a valid WAV, the whole trace), no
// temporary file left, and exit status 128 + the signal. What it wrote is
// exactly what a run limited to that step writes.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>

#include "PlayerRun.h"

namespace lmtest {
namespace {

namespace fs = std::filesystem;

std::set<std::string> listDir(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// Reads the FIFO `path` as the player writes it; once `linesBeforeSignal`
// lines have come, sends `sig` to `pid`; returns everything read. Gives up
// when the player ends without opening the FIFO.
std::string readAndSignal(const std::string& path, pid_t pid, int sig, size_t linesBeforeSignal) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return "";
  std::string got;
  bool signalled = false, writerSeen = false;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, 200);
    if (ready == 0) {
      siginfo_t info{};
      // Still running? (Looked at without reaping it.)
      if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
        break;
      continue;
    }
    char buf[4096];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      writerSeen = true;
      got.append(buf, static_cast<size_t>(n));
      if (!signalled && static_cast<size_t>(std::count(got.begin(), got.end(), '\n')) >= linesBeforeSignal) {
        ::kill(pid, sig);
        signalled = true;
      }
    } else if (n == 0 && writerSeen) {
      break;  // the player closed it
    } else if (n == 0) {
      ::usleep(1000);  // no writer yet
    }
  }
  ::close(fd);
  return got;
}

class SignalsE2E : public ::testing::Test {
 protected:
  ScratchDir dir;
};

TEST_F(SignalsE2E, AStopSignalEndsTheRunAtAStepWithEveryOutputComplete) {
  const std::string demo = binaryDir() + "/demo-data";
  ASSERT_TRUE(fileExists(demo + "/kirune.ini")) << "demo-data is not built";
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    const std::string out = dir.path() + "/sig" + std::to_string(sig);
    makeDirs(out);
    ASSERT_EQ(::mkfifo((out + "/frames.pipe").c_str(), 0600), 0);
    const std::vector<std::string> common = {playerPath(), "--data", demo, "--headless", "--input",
                                             "40:enter,80:enter,120:down,160:enter", "--input-repeat", "200"};
    std::vector<std::string> args = common;
    args.insert(args.end(), {"--steps", "10000000", "--trace", "t.txt", "--audio-out", "a.wav", "--frame-hashes",
                             "frames.pipe"});
    std::string streamed;
    Measured m = runChild(args, out, [&](pid_t pid) { streamed = readAndSignal(out + "/frames.pipe", pid, sig, 60); });
    EXPECT_FALSE(m.signaled) << "the player exits by itself";
    EXPECT_EQ(m.code, 128 + sig) << slurp(out + "/.stderr");
    // Only the outputs: no temporary is left.
    EXPECT_EQ(listDir(out), (std::set<std::string>{"t.txt", "a.wav", "frames.pipe", ".stdout", ".stderr"}));

    // The trace is whole, one line per step up to the last.
    const std::vector<std::string> trace = lines(slurp(out + "/t.txt"));
    ASSERT_GE(trace.size(), 60u);
    const long last = static_cast<long>(trace.size());
    EXPECT_EQ(trace.back().substr(0, trace.back().find(' ')), std::to_string(last));

    // The WAV's header describes the file.
    const std::string wav = slurp(out + "/a.wav");
    ASSERT_GT(wav.size(), 44u);
    auto le32 = [&](size_t at) {
      return uint32_t(uint8_t(wav[at])) | uint32_t(uint8_t(wav[at + 1])) << 8 | uint32_t(uint8_t(wav[at + 2])) << 16 |
             uint32_t(uint8_t(wav[at + 3])) << 24;
    };
    EXPECT_EQ(le32(4), wav.size() - 8);
    EXPECT_EQ(le32(40), wav.size() - 44);

    // Everything is what a run limited to that last step writes.
    const std::string ref = out + "/ref";
    makeDirs(ref);
    std::vector<std::string> refArgs = common;
    refArgs.insert(refArgs.end(), {"--steps", std::to_string(last), "--trace", "t.txt", "--audio-out", "a.wav",
                                   "--frame-hashes", "f.txt"});
    ASSERT_EQ(runChild(refArgs, ref).code, 0) << slurp(ref + "/.stderr");
    EXPECT_EQ(slurp(out + "/t.txt"), slurp(ref + "/t.txt")) << "signal " << sig;
    EXPECT_TRUE(wav == slurp(ref + "/a.wav")) << "signal " << sig;
    EXPECT_EQ(streamed, slurp(ref + "/f.txt")) << "signal " << sig;
  }
}

}  // namespace
}  // namespace lmtest
