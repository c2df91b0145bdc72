// The POSIX side of running a filter program (platform/ChildProgram.h).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/ChildProgram.h"
#include "platform/StopSignals.h"

extern char** environ;

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 100));
}

// Feeds `input` to the child without ever blocking past the deadline; a child
// that stops reading (or ended) only ends the feeding.
bool feed(int fd, const std::string& input, Clock::time_point deadline) {
  size_t done = 0;
  while (done < input.size()) {
    if (Clock::now() >= deadline || stopSignal()) return false;
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, millisecondsLeft(deadline)) <= 0) continue;
    const ssize_t n = ::write(fd, input.data() + done, input.size() - done);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n <= 0) return true;  // the child closed its input: its exit status tells
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

ChildResult runFilter(const std::vector<std::string>& argv, const std::string& input, std::FILE* out, double seconds) {
  ChildResult result;
  if (argv.empty() || !out) return result;
  std::fflush(out);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fileno(out), STDOUT_FILENO);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[0]);
  if (spawned != 0) {
    ::close(pipeFds[1]);
    result.outcome = spawned == ENOENT ? ChildOutcome::NotFound : ChildOutcome::Failed;
    return result;
  }
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0));

  // A child that ends early must not end this process with SIGPIPE.
  sigset_t pipeSignal, previous;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  ::fcntl(pipeFds[1], F_SETFL, ::fcntl(pipeFds[1], F_GETFL) | O_NONBLOCK);
  feed(pipeFds[1], input, deadline);
  ::close(pipeFds[1]);
  const timespec none{0, 0};
  while (sigtimedwait(&pipeSignal, nullptr, &none) > 0) {
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);

  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) return result;
    const bool late = Clock::now() >= deadline;
    if (late || stopSignal()) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      result.outcome = late ? ChildOutcome::TimedOut : ChildOutcome::Stopped;
      return result;
    }
    const timespec pause{0, 10'000'000};
    ::nanosleep(&pause, nullptr);
  }
  if (WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
    result.outcome = result.exitCode == 127 ? ChildOutcome::NotFound : ChildOutcome::Finished;
  }
  return result;
}

}  // namespace platform
