#include "platform/StopSignals.h"

#include <csignal>

namespace platform {

namespace {

volatile std::sig_atomic_t g_signal = 0;
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void noteSignal(int sig) { g_signal = sig; }

}  // namespace

void installStopSignals() {
  g_signal = 0;
  struct sigaction action {};
  action.sa_handler = noteSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted calls resume; the handler is one-shot.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (int sig : kSignals) sigaction(sig, &action, nullptr);
}

int stopSignal() { return g_signal; }

void resetStopSignals() {
  for (int sig : kSignals) std::signal(sig, SIG_DFL);
  g_signal = 0;
}

}  // namespace platform
