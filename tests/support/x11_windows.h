// Windows of a test's own X connection, for the tests and helper programs
// that run against a private X server.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace testsupport {

// A plain top-level window, mapped (returns once the server has shown it).
inline Window MapPlainWindow(Display* display, int x, int y, int width, int height, unsigned long background) {
  Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, width, height, 0, 0, background);
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  XEvent event;
  do XNextEvent(display, &event);
  while (event.type != MapNotify);
  XSelectInput(display, window, NoEventMask);
  return window;
}

// The viewable top-level window titled `title`, or 0. The title's bytes are
// compared as they are: SDL stores it as UTF-8.
inline Window FindViewableTopLevel(Display* display, const char* title) {
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr, found = 0;
  unsigned count = 0;
  if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes;
    XTextProperty name = {};
    if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
        XGetWMName(display, children[i], &name) && name.value) {
      if (std::strcmp(reinterpret_cast<char*>(name.value), title) == 0) found = children[i];
      XFree(name.value);
    }
  }
  if (children) XFree(children);
  return found;
}

}  // namespace testsupport
