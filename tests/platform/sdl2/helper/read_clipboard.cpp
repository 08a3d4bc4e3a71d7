// read_clipboard: prints the text (UTF-8) of the X11 CLIPBOARD selection, as
// another program on the desktop pastes it. Exit 1 when nobody holds text
// there within 5 s.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <thread>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 2;
  Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom property = XInternAtom(display, "READ_CLIPBOARD", False);
  Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  int result = 1;
  for (int attempt = 0; attempt < 50 && result != 0; ++attempt) {
    if (XGetSelectionOwner(display, clipboard) == None) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      continue;
    }
    XConvertSelection(display, clipboard, utf8, property, window, CurrentTime);
    XEvent event;
    bool answered = false;
    for (int wait = 0; wait < 100 && !answered; ++wait) {
      if (XCheckTypedWindowEvent(display, window, SelectionNotify, &event))
        answered = true;
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!answered || event.xselection.property == None) continue;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1 << 16, True, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success &&
        data && format == 8) {
      std::fwrite(data, 1, count, stdout);
      result = 0;
    }
    if (data) XFree(data);
  }
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  return result;
}
