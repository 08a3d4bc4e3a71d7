// Input through XTest, as a user would give it, and the signals that end
// the program.
#include "xvfb_fixture.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <csignal>

namespace sdltest {
namespace {

class SdlInput : public XvfbTest {
 protected:
  plat::NativeWindow* OpenWindow(int x, int y, int width, int height) {
    plat::TopLevelSpec spec;
    spec.x = x;
    spec.y = y;
    spec.width = width;
    spec.height = height;
    spec.title = "Input";
    spec.topMost = true;
    plat::NativeWindow* native = backend_->CreateNative(spec);
    Drain();
    return native;
  }
  void Key(KeySym symbol, bool down) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, symbol), down, CurrentTime);
    XSync(display_, False);
  }
  void Tap(KeySym symbol) {
    Key(symbol, true);
    Key(symbol, false);
  }
  // The next key or char event.
  plat::HostEvent NextInput() {
    plat::HostEvent event;
    uint32_t start = backend_->Now();
    while (backend_->Now() - start < 3000) {
      if (!backend_->WaitEvent(&event, 50)) continue;
      if (event.kind == plat::HostEvent::kKeyDown || event.kind == plat::HostEvent::kKeyUp ||
          event.kind == plat::HostEvent::kChar)
        return event;
    }
    return plat::HostEvent{};
  }
};

TEST_F(SdlInput, KeysArriveAsVirtualKeysAndCharacters) {
  ASSERT_TRUE(StartBackend());
  plat::NativeWindow* native = OpenWindow(0, 0, 640, 480);
  ASSERT_NE(native, nullptr);

  struct Expected {
    plat::HostEvent::Kind kind;
    int code;
  };
  auto expect = [&](std::initializer_list<Expected> list, const char* what) {
    for (const Expected& e : list) {
      plat::HostEvent event = NextInput();
      EXPECT_EQ(event.kind, e.kind) << what;
      EXPECT_EQ(event.vk, e.code) << what;
      if (event.kind != plat::HostEvent::kNone) {
        EXPECT_EQ(event.window, native) << what;
      }
    }
  };
  Tap(XK_a);
  expect({{plat::HostEvent::kKeyDown, 'A'}, {plat::HostEvent::kChar, 'a'}, {plat::HostEvent::kKeyUp, 'A'}}, "a");
  Key(XK_Shift_L, true);
  Tap(XK_b);
  Key(XK_Shift_L, false);
  expect({{plat::HostEvent::kKeyDown, VK_SHIFT},
          {plat::HostEvent::kKeyDown, 'B'},
          {plat::HostEvent::kChar, 'B'},
          {plat::HostEvent::kKeyUp, 'B'},
          {plat::HostEvent::kKeyUp, VK_SHIFT}},
         "shift b");
  Tap(XK_F5);
  expect({{plat::HostEvent::kKeyDown, VK_F5}, {plat::HostEvent::kKeyUp, VK_F5}}, "F5");
  Tap(XK_Escape);
  expect({{plat::HostEvent::kKeyDown, VK_ESCAPE}, {plat::HostEvent::kChar, 0x1B}, {plat::HostEvent::kKeyUp, VK_ESCAPE}},
         "Escape");
  Tap(XK_Return);
  expect({{plat::HostEvent::kKeyDown, VK_RETURN}, {plat::HostEvent::kChar, '\r'}, {plat::HostEvent::kKeyUp, VK_RETURN}},
         "Return");
  Tap(XK_semicolon);
  expect({{plat::HostEvent::kKeyDown, VK_OEM_1}, {plat::HostEvent::kChar, ';'}, {plat::HostEvent::kKeyUp, VK_OEM_1}},
         ";");
  Tap(XK_Next);
  expect({{plat::HostEvent::kKeyDown, VK_NEXT}, {plat::HostEvent::kKeyUp, VK_NEXT}}, "Page Down");
}

TEST_F(SdlInput, MouseArrivesInScreenCoordinates) {
  ASSERT_TRUE(StartBackend());
  plat::NativeWindow* native = OpenWindow(100, 50, 400, 300);
  ASSERT_NE(native, nullptr);

  XTestFakeMotionEvent(display_, 0, 300, 200, CurrentTime);
  XSync(display_, False);
  plat::HostEvent event;
  ASSERT_TRUE(WaitFor(plat::HostEvent::kMouseMove, &event));
  EXPECT_EQ(event.window, native);
  EXPECT_EQ(event.x, 300);
  EXPECT_EQ(event.y, 200);
  int x = 0, y = 0;
  backend_->GetCursorPos(&x, &y);
  EXPECT_EQ(x, 300);
  EXPECT_EQ(y, 200);

  const int buttons[][2] = {{1, 1}, {3, 2}, {2, 3}};  // X button, host button
  for (auto& b : buttons) {
    XTestFakeButtonEvent(display_, b[0], True, CurrentTime);
    XTestFakeButtonEvent(display_, b[0], False, CurrentTime);
    XSync(display_, False);
    ASSERT_TRUE(WaitFor(plat::HostEvent::kButtonDown, &event)) << "X button " << b[0];
    EXPECT_EQ(event.vk, b[1]);
    EXPECT_EQ(event.x, 300);
    EXPECT_EQ(event.y, 200);
    ASSERT_TRUE(WaitFor(plat::HostEvent::kButtonUp, &event));
    EXPECT_EQ(event.vk, b[1]);
  }

  backend_->SetCursorPos(450, 320);
  XSync(display_, False);
  Window root, child;
  int rootX = 0, rootY = 0, winX, winY;
  unsigned mask;
  XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &winX, &winY, &mask);
  EXPECT_EQ(rootX, 450);
  EXPECT_EQ(rootY, 320);
}

TEST_F(SdlInput, ActivationIsThatOfTheWholeProgram) {
  ASSERT_TRUE(StartBackend());
  plat::NativeWindow* first = OpenWindow(0, 0, 200, 200);
  ASSERT_NE(first, nullptr);
  // Focus moving between two of our windows is no change of activation.
  plat::NativeWindow* second = OpenWindow(300, 0, 200, 200);
  ASSERT_NE(second, nullptr);
  backend_->RaiseNative(first);
  plat::HostEvent event;
  uint32_t start = backend_->Now();
  while (backend_->Now() - start < 500) {
    if (backend_->WaitEvent(&event, 50)) {
      EXPECT_NE(event.kind, plat::HostEvent::kActivateApp) << event.value;
    }
  }

  Window other = CreateTestWindow(600, 400, 100, 100, 0x808080);
  XSetInputFocus(display_, other, RevertToNone, CurrentTime);
  XSync(display_, False);
  ASSERT_TRUE(WaitFor(plat::HostEvent::kActivateApp, &event));
  EXPECT_EQ(event.value, 0);
  backend_->RaiseNative(second);
  ASSERT_TRUE(WaitFor(plat::HostEvent::kActivateApp, &event));
  EXPECT_EQ(event.value, 1);
}

TEST_F(SdlInput, TerminateSignalsEndTheProgramThroughItsEvents) {
  ASSERT_TRUE(StartBackend());
  ASSERT_NE(OpenWindow(0, 0, 100, 100), nullptr);
  for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
    std::raise(signal);
    plat::HostEvent event;
    ASSERT_TRUE(backend_->WaitEvent(&event, 5000)) << signal;
    EXPECT_EQ(event.kind, plat::HostEvent::kTerminate) << signal;
  }
  // One signal, one event.
  plat::HostEvent event;
  while (backend_->WaitEvent(&event, 100)) EXPECT_NE(event.kind, plat::HostEvent::kTerminate);
}

}  // namespace
}  // namespace sdltest
