// The saver program on the sdl2 backend, against the private X server of
// run_under_xvfb.sh: inside a window of the test's own (a preview, or an
// xscreensaver hack) or of its own until SIGTERM, and full screen until a key.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/x11_windows.h"

namespace {

using testsupport::ChildProcess;
using testsupport::WaitUntil;

constexpr int kDeadlineMs = 20000;  // generous: a loaded machine with sanitizers

// The saver's windows come and go under the test's feet: a request about a
// window that has just gone is not a failure of the test.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

std::string Hex(unsigned long id) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", id);
  return text;
}

class SaverOnX : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ORVANEL_TEST_XVFB")) GTEST_SKIP() << "needs the X server of run_under_xvfb.sh";
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
    XSetErrorHandler(IgnoreErrors);
    base_ = testsupport::MakeTempDirectory("saver-on-x");
    ASSERT_FALSE(base_.empty());
    environment_ = {"XDG_RUNTIME_DIR=" + base_, "XDG_CONFIG_HOME=" + base_ + "/config",
                    "XSCREENSAVER_WINDOW"};
  }
  void TearDown() override {
    if (display_) XCloseDisplay(display_);
    std::error_code ignored;
    if (!base_.empty()) std::filesystem::remove_all(base_, ignored);
  }

  bool StartSaver(ChildProcess* saver, const std::vector<std::string>& args,
                  const std::vector<std::string>& extraEnvironment = {}) {
    std::vector<std::string> argv = {ORVANEL_SAVER_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> environment = environment_;
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    return saver->Start(argv, environment, base_ + "/saver.err");
  }
  std::string SaverErrors() { return testsupport::ReadWholeFile(base_ + "/saver.err"); }

  // A plain black top-level window, mapped, as a settings dialog or
  // xscreensaver would give the saver.
  Window CreateHostWindow(int width, int height) {
    return testsupport::MapPlainWindow(display_, 40, 30, width, height, BlackPixel(display_, DefaultScreen(display_)));
  }

  std::vector<Window> Children(Window window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (XQueryTree(display_, window, &root, &parent, &children, &count))
      result.assign(children, children + count);
    if (children) XFree(children);
    return result;
  }

  bool Viewable(Window window, XWindowAttributes* attributes) {
    return XGetWindowAttributes(display_, window, attributes) && attributes->map_state == IsViewable;
  }

  // Whether any pixel of the window is other than black.
  bool ShowsMoreThanBlack(Window window) {
    XWindowAttributes attributes;
    if (!Viewable(window, &attributes)) return false;
    XImage* image =
        XGetImage(display_, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return false;
    bool found = false;
    for (int y = 0; y < attributes.height && !found; ++y)
      for (int x = 0; x < attributes.width && !found; ++x) found = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    XDestroyImage(image);
    return found;
  }

  Window FindTopLevel(const char* title) { return testsupport::FindViewableTopLevel(display_, title); }

  // The saver, started on `host`, makes a child window there and draws into
  // it; SIGTERM ends it cleanly and takes the child away.
  void ExpectDrawsInsideUntilTerminated(ChildProcess* saver, Window host) {
    Window child = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
          std::vector<Window> children = Children(host);
          child = children.empty() ? 0 : children.front();
          return child != 0 || !saver->Running();
        },
        kDeadlineMs));
    ASSERT_NE(child, 0u) << "no window inside the given one; the saver said: " << SaverErrors();
    XWindowAttributes hostAttributes, childAttributes;
    ASSERT_TRUE(XGetWindowAttributes(display_, host, &hostAttributes));
    EXPECT_TRUE(WaitUntil([&] { return Viewable(child, &childAttributes); }, kDeadlineMs));
    EXPECT_EQ(childAttributes.width, hostAttributes.width);
    EXPECT_EQ(childAttributes.height, hostAttributes.height);
    EXPECT_TRUE(WaitUntil([&] { return ShowsMoreThanBlack(child); }, kDeadlineMs))
        << "the saver drew nothing; it said: " << SaverErrors();
    ASSERT_TRUE(saver->Running()) << "the saver ended by itself: " << SaverErrors();

    saver->Signal(SIGTERM);
    ASSERT_TRUE(saver->WaitExit(kDeadlineMs)) << "SIGTERM did not end the saver";
    EXPECT_EQ(saver->EndSignal(), SIGTERM) << "exit code " << saver->ExitCode() << "; " << SaverErrors();
    EXPECT_TRUE(Children(host).empty()) << "the saver's window stayed behind";
  }

  Display* display_ = nullptr;
  std::string base_;
  std::vector<std::string> environment_;
};

TEST_F(SaverOnX, PreviewRunsInsideTheWindowGivenByItsDecimalId) {
  Window host = CreateHostWindow(152, 112);
  ChildProcess saver;
  ASSERT_TRUE(StartSaver(&saver, {"/p", std::to_string(host)}));
  ExpectDrawsInsideUntilTerminated(&saver, host);
}

TEST_F(SaverOnX, RootModeDrawsIntoTheWindowNamedByXscreensaverInHexOrDecimal) {
  for (bool hex : {true, false}) {
    SCOPED_TRACE(hex ? "hex" : "decimal");
    Window host = CreateHostWindow(400, 300);
    std::string id = hex ? Hex(host) : std::to_string(host);
    ChildProcess saver;
    ASSERT_TRUE(StartSaver(&saver, {"--root"}, {"XSCREENSAVER_WINDOW=" + id}));
    ExpectDrawsInsideUntilTerminated(&saver, host);
    XDestroyWindow(display_, host);
  }
}

TEST_F(SaverOnX, WindowOfItsOwnEndsOnSigtermOrOnItsCloseBox) {
  for (bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox ? "close box" : "SIGTERM");
    ChildProcess saver;
    ASSERT_TRUE(StartSaver(&saver, {"--window"}));
    Window window = 0;
    ASSERT_TRUE(WaitUntil([&] { return (window = FindTopLevel("orvanel-saver")) != 0 || !saver.Running(); },
                          kDeadlineMs));
    ASSERT_NE(window, 0u) << "no window of its own; the saver said: " << SaverErrors();
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display_, window, &attributes));
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 480);
    if (!closeBox) {
      ExpectDrawsInsideUntilTerminated(&saver, window);
      continue;
    }
    ASSERT_TRUE(WaitUntil([&] { return !Children(window).empty(); }, kDeadlineMs));
    // What a window manager sends when its close box is clicked.
    XEvent close = {};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &close);
    XFlush(display_);
    ASSERT_TRUE(saver.WaitExit(kDeadlineMs)) << "the close box did not end the saver";
    EXPECT_EQ(saver.ExitCode(), 0) << SaverErrors();
  }
}

TEST_F(SaverOnX, FullScreenCoversTheScreenAndEndsOnAKey) {
  ChildProcess saver;
  ASSERT_TRUE(StartSaver(&saver, {"/s"}));
  Window window = 0;
  ASSERT_TRUE(WaitUntil([&] { return (window = FindTopLevel("Screen Saver")) != 0 || !saver.Running(); },
                        kDeadlineMs));
  ASSERT_NE(window, 0u) << "no full-screen window; the saver said: " << SaverErrors();
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(display_, window, &attributes));
  Screen* screen = DefaultScreenOfDisplay(display_);
  EXPECT_EQ(attributes.width, WidthOfScreen(screen));
  EXPECT_EQ(attributes.height, HeightOfScreen(screen));
  ASSERT_TRUE(saver.Running()) << "the saver ended before the key: " << SaverErrors();

  ChildProcess user;
  ASSERT_TRUE(user.Start({ORVANEL_PRESS_KEY_HELPER, "Screen Saver", "space"}));
  ASSERT_TRUE(user.WaitExit(kDeadlineMs));
  EXPECT_EQ(user.ExitCode(), 0) << "the key could not be pressed";
  ASSERT_TRUE(saver.WaitExit(kDeadlineMs)) << "the key press did not end the saver";
  EXPECT_EQ(saver.ExitCode(), 0) << SaverErrors();
}

}  // namespace
