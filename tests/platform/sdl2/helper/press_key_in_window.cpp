// press_key_in_window TITLE KEYSYM: waits (up to 10 s) for a viewable
// top-level window titled TITLE, gives it the keyboard and presses the key
// there through XTest. A user at the keyboard, for message box tests.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstring>
#include <thread>

namespace {

Window FindTitled(Display* display, const char* title) {
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr, found = 0;
  unsigned count = 0;
  if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes;
    XTextProperty name = {};
    // Read the title's bytes as they are: SDL stores it as UTF-8.
    if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
        XGetWMName(display, children[i], &name) && name.value) {
      if (std::strcmp(reinterpret_cast<char*>(name.value), title) == 0) found = children[i];
      XFree(name.value);
    }
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  Display* display = XOpenDisplay(nullptr);
  KeySym key = XStringToKeysym(argv[2]);
  if (!display || key == NoSymbol) return 2;
  int result = 1;
  for (int attempt = 0; attempt < 200 && result != 0; ++attempt) {
    if (Window window = FindTitled(display, argv[1])) {
      XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
      KeyCode code = XKeysymToKeycode(display, key);
      XTestFakeKeyEvent(display, code, True, CurrentTime);
      XTestFakeKeyEvent(display, code, False, CurrentTime);
      XSync(display, False);
      result = 0;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  XCloseDisplay(display);
  return result;
}
