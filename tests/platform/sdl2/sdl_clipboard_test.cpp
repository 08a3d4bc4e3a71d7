// The desktop's clipboard: text the program copies is on the X11 CLIPBOARD
// selection for other programs, as UTF-8.
#include <X11/Xatom.h>

#include <string>

#include "xvfb_fixture.h"

namespace sdltest {
namespace {

using SdlClipboard = XvfbTest;

// Asks for the CLIPBOARD selection as another program would, while the
// backend goes on handling its events (which is when it answers).
bool PasteElsewhere(Display* display, plat::Backend& backend, std::string* text) {
  Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom property = XInternAtom(display, "SDL_CLIPBOARD_TEST", False);
  Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  XConvertSelection(display, clipboard, utf8, property, window, CurrentTime);
  XEvent event;
  bool answered = false;
  uint32_t start = backend.Now();
  while (!answered && backend.Now() - start < 3000) {
    plat::HostEvent ignored;
    backend.WaitEvent(&ignored, 10);
    answered = XCheckTypedWindowEvent(display, window, SelectionNotify, &event);
  }
  bool got = false;
  if (answered && event.xselection.property != None) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, True, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
      text->assign(reinterpret_cast<char*>(data), count);
      got = true;
    }
    if (data) XFree(data);
  }
  XDestroyWindow(display, window);
  return got;
}

TEST_F(SdlClipboard, CopiedTextReachesOtherProgramsAndComesBack) {
  ASSERT_TRUE(StartBackend());
  std::string back;
  EXPECT_FALSE(backend_->GetClipboardText(&back)) << "an empty clipboard has no text";
  ASSERT_TRUE(backend_->SetClipboardText("http://caf\xe9.example.org/"));
  std::string pasted;
  ASSERT_TRUE(PasteElsewhere(display_, *backend_, &pasted));
  EXPECT_EQ(pasted, "http://caf\xc3\xa9.example.org/");
  ASSERT_TRUE(backend_->GetClipboardText(&back));
  EXPECT_EQ(back, "http://caf\xe9.example.org/");
}

}  // namespace
}  // namespace sdltest
