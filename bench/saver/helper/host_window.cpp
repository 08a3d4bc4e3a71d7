// A window given to a screen-saver hack by its host, as xscreensaver gives
// one: a plain black top-level window at (0, 0), mapped. Prints its id in
// decimal once the server shows it and keeps it until SIGTERM or SIGINT.
//   host_window WIDTH HEIGHT
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

}  // namespace

int main(int argc, char** argv) {
  int width = argc > 2 ? std::atoi(argv[1]) : 0;
  int height = argc > 2 ? std::atoi(argv[2]) : 0;
  if (width <= 0 || height <= 0) {
    std::fprintf(stderr, "usage: host_window WIDTH HEIGHT\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "host_window: cannot open the display\n");
    return 1;
  }
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);

  int screen = DefaultScreen(display);
  XSetWindowAttributes attributes = {};
  attributes.background_pixel = BlackPixel(display, screen);
  // No window manager runs here; override-redirect says so to one that does.
  attributes.override_redirect = True;
  Window window = XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                CWBackPixel | CWOverrideRedirect, &attributes);
  XStoreName(display, window, "host window");
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  XEvent event;
  do XNextEvent(display, &event);
  while (event.type != MapNotify);
  std::printf("%lu\n", window);
  std::fflush(stdout);

  // Serve the connection until asked to stop.
  pollfd fd = {ConnectionNumber(display), POLLIN, 0};
  while (!g_stop) {
    while (XPending(display)) XNextEvent(display, &event);
    poll(&fd, 1, 200);
  }
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  return 0;
}
