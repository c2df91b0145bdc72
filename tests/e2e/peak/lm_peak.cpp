// lm_peak RESULT PROGRAM [ARGS...]: runs PROGRAM and writes "<exit> <peak kB>"
// to RESULT. A child's peak memory counts what it inherited when forked;
// forked from this small program instead of a large test process, it is the
// program's own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: lm_peak RESULT PROGRAM [ARGS...]\n", stderr);
    return 2;
  }
  const pid_t pid = fork();
  if (pid < 0) return 3;
  if (pid == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) != pid) return 3;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) return 3;
  std::fprintf(out, "%d %ld\n", code, usage.ru_maxrss);
  return std::fclose(out) == 0 ? 0 : 3;
}
