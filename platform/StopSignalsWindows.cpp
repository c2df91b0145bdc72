#include <windows.h>

#include <atomic>

#include "platform/StopSignals.h"

namespace platform {

namespace {

// The console's events as the signal numbers a run reports (exit 128 + n):
// Ctrl+C and Ctrl+Break as an interrupt, a closed console as a hang-up, the
// user's log-off and the system's shut-down as a termination.
int signalOf(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT: return 2;
    case CTRL_CLOSE_EVENT: return 1;
    default: return 15;
  }
}

std::atomic<int> g_signal{0};
std::atomic<bool> g_installed{false};

BOOL WINAPI noteEvent(DWORD event) {
  const int sig = signalOf(event);
  // A second one of the same kind ends the process at once.
  int none = 0;
  if (!g_signal.compare_exchange_strong(none, sig) && g_signal.load() == sig) return FALSE;
  if (sig == 2) return TRUE;
  // Windows ends the process when this handler returns from a close, log-off
  // or shut-down: wait here while the run ends its step and completes its
  // outputs; leaving main ends the process (Windows allows 5 s).
  Sleep(INFINITE);
  return TRUE;
}

}  // namespace

void installStopSignals() {
  g_signal = 0;
  if (!g_installed.exchange(true)) SetConsoleCtrlHandler(noteEvent, TRUE);
}

int stopSignal() { return g_signal.load(); }

void resetStopSignals() {
  if (g_installed.exchange(false)) SetConsoleCtrlHandler(noteEvent, FALSE);
  g_signal = 0;
}

}  // namespace platform
