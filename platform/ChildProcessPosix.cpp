#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace platform {

std::string findProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0 ? program : "";
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t colon = dirs.find(':', start);
    if (colon == std::string::npos) colon = dirs.size();
    std::string dir = dirs.substr(start, colon - start);
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + program;
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = colon + 1;
  }
  return "";
}

bool isTerminal(int fd) { return isatty(fd) == 1; }

ChildProcess::~ChildProcess() { finish(); }

bool ChildProcess::start(const ChildLaunch& launch, std::string& error) {
  if (running() || launch.argv.empty()) {
    error = "no program to start";
    return false;
  }
  // A child that stops reading must not kill us with SIGPIPE: writes fail instead.
  std::signal(SIGPIPE, SIG_IGN);
  int pipeFds[2] = {-1, -1};
  if (launch.pipeInput && pipe2(pipeFds, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (launch.pipeInput) posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
  else posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (launch.errorFd >= 0) posix_spawn_file_actions_adddup2(&actions, launch.errorFd, 2);
  else posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // Passed descriptors are first moved above the range they go to, so that
  // one landing on 3 cannot overwrite another still to be placed.
  constexpr int kHigh = 100;
  for (size_t i = 0; i < launch.passFds.size(); ++i)
    posix_spawn_file_actions_adddup2(&actions, launch.passFds[i], kHigh + static_cast<int>(i));
  for (size_t i = 0; i < launch.passFds.size(); ++i)
    posix_spawn_file_actions_adddup2(&actions, kHigh + static_cast<int>(i), 3 + static_cast<int>(i));
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // Its own process group; default signal actions (we ignore SIGPIPE).
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGHUP);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv;
  for (const std::string& a : launch.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (launch.pipeInput) close(pipeFds[0]);
  if (rc != 0) {
    if (launch.pipeInput) close(pipeFds[1]);
    error = "cannot start " + launch.argv[0] + ": " + std::strerror(rc);
    return false;
  }
  pid_ = pid;
  input_ = launch.pipeInput ? pipeFds[1] : -1;
  return true;
}

bool ChildProcess::write(const void* bytes, size_t length) {
  if (input_ < 0) return false;
  const auto* p = static_cast<const char*>(bytes);
  while (length > 0) {
    const ssize_t n = ::write(input_, p, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close(input_);
      input_ = -1;
      return false;
    }
    p += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

int ChildProcess::finish() {
  if (input_ >= 0) close(input_);
  input_ = -1;
  if (pid_ <= 0) return -1;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(pid_, &status, 0);
  } while (r < 0 && errno == EINTR);
  pid_ = -1;
  if (r < 0) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

ScratchFile::~ScratchFile() {
  if (fd_ >= 0) close(fd_);
}

bool ScratchFile::create(const std::string& folder, std::string& error) {
  const std::string dir = folder.empty() ? "." : folder;
  fd_ = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    // File systems without unnamed files: a named one, unlinked at once.
    std::string name = dir + "/.lmplayer-scratch-XXXXXX";
    fd_ = mkostemp(name.data(), O_CLOEXEC);
    if (fd_ >= 0) unlink(name.c_str());
  }
  if (fd_ < 0) {
    error = "cannot make a scratch file in '" + dir + "': " + std::strerror(errno);
    return false;
  }
  return true;
}

bool ScratchFile::write(const void* bytes, size_t length) {
  if (fd_ < 0) return false;
  const auto* p = static_cast<const char*>(bytes);
  while (length > 0) {
    const ssize_t n = ::write(fd_, p, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

std::string ScratchFile::tail(size_t maxBytes) const {
  if (fd_ < 0) return "";
  struct stat st {};
  if (fstat(fd_, &st) != 0 || st.st_size <= 0) return "";
  const size_t size = static_cast<size_t>(st.st_size);
  const size_t take = size < maxBytes ? size : maxBytes;
  std::string out(take, '\0');
  const ssize_t n = pread(fd_, out.data(), take, static_cast<off_t>(size - take));
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

std::string descriptorPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

int descriptorOf(std::FILE* stream) { return stream ? fileno(stream) : -1; }

}  // namespace platform
