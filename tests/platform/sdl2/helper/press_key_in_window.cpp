// press_key_in_window TITLE KEY...: waits (up to 10 s) for a viewable
// top-level window titled TITLE, gives it the keyboard and presses the keys
// there one after another through XTest. A key is a keysym, or keysyms joined
// by '+' held down together (Control_L+c). A user at the keyboard, for
// message box and dialog tests.
// press_key_in_window --no-gap TITLE KEY...: the same with no pause between
// the keys, as a fast typist or xdotool --delay 0 sends them.
// press_key_in_window --until-gone TITLE: waits (up to 20 s) until no viewable
// window has that title; 0 when it went, 1 when it stayed. --until-shown
// TITLE waits (up to 20 s) for one; 0 when it came.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/x11_windows.h"

namespace {

std::vector<KeySym> Chord(const char* key) {
  std::vector<KeySym> keys;
  std::stringstream parts(key);
  for (std::string part; std::getline(parts, part, '+');) keys.push_back(XStringToKeysym(part.c_str()));
  return keys;
}

// Presses the keys of a chord in order and lets them go in reverse.
void Press(Display* display, const std::vector<KeySym>& chord) {
  for (KeySym key : chord) XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, CurrentTime);
  for (auto it = chord.rbegin(); it != chord.rend(); ++it)
    XTestFakeKeyEvent(display, XKeysymToKeycode(display, *it), False, CurrentTime);
  XSync(display, False);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 2;
  const bool untilGone = std::strcmp(argv[1], "--until-gone") == 0;
  if (untilGone || std::strcmp(argv[1], "--until-shown") == 0) {
    bool reached = false;
    for (int attempt = 0; attempt < 400 && !reached; ++attempt) {
      reached = (testsupport::FindViewableTopLevel(display, argv[2]) == 0) == untilGone;
      if (!reached) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
    return reached ? 0 : 1;
  }
  const bool noGap = std::strcmp(argv[1], "--no-gap") == 0;
  if (noGap) {
    ++argv;
    if (--argc < 3) return 2;
  }
  for (int i = 2; i < argc; ++i)
    for (KeySym key : Chord(argv[i]))
      if (key == NoSymbol) return 2;
  Window window = 0;
  for (int attempt = 0; attempt < 200 && !window; ++attempt) {
    window = testsupport::FindViewableTopLevel(display, argv[1]);
    if (!window) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (window) {
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    for (int i = 2; i < argc; ++i) {
      // A user's pace: each key is handled before the next one comes.
      if (i > 2 && !noGap) std::this_thread::sleep_for(std::chrono::milliseconds(150));
      Press(display, Chord(argv[i]));
    }
  }
  XCloseDisplay(display);
  return window ? 0 : 1;
}
