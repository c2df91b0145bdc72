#pragma once
// SIGINT, SIGTERM and SIGHUP ask a run to stop: the handlers only note the
// signal, and the run ends at the end of the step it is in, closing its
// outputs as a normal end does. A second signal of the same kind acts as if
// no handler were there (a stuck run can still be stopped at once).
namespace platform {

// Installs the handlers (again, after a signal was taken).
void installStopSignals();
// The signal received since installStopSignals(), or 0.
int stopSignal();
// Test hook: forgets a received signal and puts the default actions back.
void resetStopSignals();

}  // namespace platform
