// Windows of a test's own X connection, for the tests and helper programs
// that run against a private X server.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <cstring>
#include <vector>

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

// The children of a window, bottom to top (none for a window that is gone).
inline std::vector<Window> Children(Display* display, Window window) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  std::vector<Window> result;
  if (XQueryTree(display, window, &root, &parent, &children, &count)) result.assign(children, children + count);
  if (children) XFree(children);
  return result;
}

// How many pixels of the area (x, y, width, height) of a viewable window are
// other than black; -1 when it cannot be read.
inline long CountLitPixels(Display* display, Window window, int x, int y, int width, int height) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) return -1;
  if (x + width > attributes.width) width = attributes.width - x;
  if (y + height > attributes.height) height = attributes.height - y;
  if (width <= 0 || height <= 0) return 0;
  XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (!image) return -1;
  long lit = 0;
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) lit += (XGetPixel(image, column, row) & 0xFFFFFF) != 0;
  XDestroyImage(image);
  return lit;
}

// A hash of a window's pixels: two that differ saw the picture move.
inline uint64_t PixelHash(Display* display, Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return 0;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) return 0;
  uint64_t hash = 1469598103934665603ull;
  for (int y = 0; y < attributes.height; ++y)
    for (int x = 0; x < attributes.width; ++x) hash = (hash ^ (XGetPixel(image, x, y) & 0xFFFFFF)) * 1099511628211ull;
  XDestroyImage(image);
  return hash;
}

}  // namespace testsupport
