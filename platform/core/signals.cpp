#include "core/signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/lifecycle.h"

namespace plat {
namespace {

// Each asks the program to end; it closes its windows as a user would.
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

volatile sig_atomic_t g_terminate = 0;
volatile sig_atomic_t g_endSignal = 0;  // the first request to end, by number
volatile sig_atomic_t g_activate = 0;
int g_pipe[2] = {-1, -1};
bool g_installed = false;

void Wake() {
  if (g_pipe[1] < 0) return;
  int saved = errno;
  char byte = 1;
  ssize_t ignored = write(g_pipe[1], &byte, 1);  // a full pipe already wakes the reader
  (void)ignored;
  errno = saved;
}

void OnSignal(int number) {
  if (number == SIGUSR1) {
    g_activate = 1;
  } else if (g_terminate) {
    // Asked twice before the program took the first request: it is not
    // reading its messages, so end it the ordinary way.
    signal(number, SIG_DFL);
    raise(number);
  } else {
    g_terminate = 1;
    if (!g_endSignal) g_endSignal = number;
  }
  Wake();
}

// A new run (tests start the layer many times in one process) starts with
// no request to end.
void ForgetEndSignal() { g_endSignal = 0; }

void OpenPipe() {
  if (g_pipe[0] >= 0) return;
  if (pipe(g_pipe) == 0) {
    for (int fd : g_pipe) {
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
      fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  } else {
    g_pipe[0] = g_pipe[1] = -1;
  }
}

void Install(int number) {
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(number, &action, nullptr);
}

}  // namespace

void InstallSignalHandlers() {
  InstallActivationHandler();
  RegisterReset(ForgetEndSignal);
  if (g_installed) return;
  g_installed = true;
  for (int number : kEndSignals) Install(number);
}

void InstallActivationHandler() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  OpenPipe();
  Install(SIGUSR1);
}

int SignalWakeFd() { return g_pipe[0]; }

void DrainSignalWakeFd() {
  if (g_pipe[0] < 0) return;
  char buffer[64];
  while (read(g_pipe[0], buffer, sizeof buffer) > 0) {
  }
}

bool TakeTerminateRequest() {
  if (!g_terminate) return false;
  g_terminate = 0;
  return true;
}

bool TakeActivateRequest() {
  if (!g_activate) return false;
  g_activate = 0;
  return true;
}

bool SignalPending() { return g_terminate || g_activate; }

int EndSignal() { return g_endSignal; }

void EndBySignal(int number) {
  if (number <= 0) return;
  std::fflush(nullptr);
  signal(number, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, number);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(number);
}

}  // namespace plat
