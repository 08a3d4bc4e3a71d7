#include "backends/sdl2/sdl_signals.h"

#include <csignal>

namespace plat::sdl {
namespace {

volatile std::sig_atomic_t g_terminateRequested = 0;
bool g_installed = false;
struct sigaction g_previousTerm;
struct sigaction g_previousInt;

void OnTerminateSignal(int) { g_terminateRequested = 1; }

}  // namespace

void InstallTerminateHandlers() {
  if (g_installed) return;
  struct sigaction action = {};
  action.sa_handler = OnTerminateSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a wait in poll() returns at once with EINTR.
  action.sa_flags = 0;
  sigaction(SIGTERM, &action, &g_previousTerm);
  sigaction(SIGINT, &action, &g_previousInt);
  g_terminateRequested = 0;
  g_installed = true;
}

void RestoreTerminateHandlers() {
  if (!g_installed) return;
  sigaction(SIGTERM, &g_previousTerm, nullptr);
  sigaction(SIGINT, &g_previousInt, nullptr);
  g_installed = false;
}

bool TakeTerminateRequest() {
  if (!g_terminateRequested) return false;
  g_terminateRequested = 0;
  return true;
}

}  // namespace plat::sdl
