// Signals that reach the program from outside: SIGTERM, SIGINT, SIGHUP and
// SIGQUIT end it through the normal close path (and, once it has cleaned
// up, by the same signal, as Unix programs end), SIGUSR1 asks it to activate one of its
// windows (another process called SetForegroundWindow on it). Handlers only
// raise flags and write to a self-pipe, so a backend waiting on its display
// can also wait on SignalWakeFd().
#pragma once

namespace plat {

// Installs the handlers once per process; later calls do nothing.
void InstallSignalHandlers();
// Only the SIGUSR1 handler (for a backend with termination handling of its own).
void InstallActivationHandler();
// Read end of the self-pipe (non-blocking); -1 before InstallSignalHandlers.
int SignalWakeFd();
// Empties the self-pipe.
void DrainSignalWakeFd();

// Each returns true once per arrival and clears the flag.
bool TakeTerminateRequest();
bool TakeActivateRequest();
// True while either flag is raised (does not clear).
bool SignalPending();

// The signal that first asked the program to end, or 0.
int EndSignal();
// Ends the process by that signal with its default action, after flushing
// standard output; returns only for 0 or if the signal does not end it.
void EndBySignal(int number);

}  // namespace plat
