#pragma once
// Runs a program as a child process and measures it on its own: exit code,
// peak resident memory and wall time (for memory goals pinned by tests and
// measured by benchmarks; no test asserts a time).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace lmtest {

// One child run measured on its own: exit code (128 + n when signal n ended
// it), its peak resident memory and its wall time.
struct Measured {
  int code = -1;
  bool signaled = false;  // ended by a signal rather than by exiting
  long peakKb = 0;
  double seconds = 0;
};

// Runs `argv` (argv[0] the program) in `cwd` with no display and no audio
// device, standard output and error to `cwd`/.stdout and .stderr.
// `whileRunning`, when given, gets the child's pid as soon as it started (to
// feed it or signal it); the child is waited for after it returns. The peak
// memory includes what the child inherited from this process at the fork:
// use runMeasured for memory.
inline Measured runChild(const std::vector<std::string>& argv, const std::string& cwd,
                         const std::function<void(pid_t)>& whileRunning = {}) {
  Measured m;
  timespec start{}, end{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid = fork();
  if (pid < 0) return m;
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(126);
    int out = open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0644), err = open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    unsetenv("DISPLAY");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  if (whileRunning) whileRunning(pid);
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) != pid) return m;
  clock_gettime(CLOCK_MONOTONIC, &end);
  m.code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
  m.signaled = WIFSIGNALED(status);
  m.peakKb = usage.ru_maxrss;
  m.seconds = static_cast<double>(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) / 1e9;
  return m;
}

// Like runChild, but the peak memory is the program's own: it is started by
// `peakTool` (the small lm_peak program of the build).
inline Measured runMeasured(const std::vector<std::string>& argv, const std::string& cwd,
                            const std::string& peakTool) {
  const std::string result = cwd + "/.peak";
  std::vector<std::string> wrapped = {peakTool, result};
  wrapped.insert(wrapped.end(), argv.begin(), argv.end());
  Measured m = runChild(wrapped, cwd);
  std::FILE* in = std::fopen(result.c_str(), "r");
  if (m.code != 0 || !in || std::fscanf(in, "%d %ld", &m.code, &m.peakKb) != 2) {
    m.code = -1;
    m.peakKb = 0;
  }
  if (in) std::fclose(in);
  std::remove(result.c_str());
  return m;
}

}  // namespace lmtest
