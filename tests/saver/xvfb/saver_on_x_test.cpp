// The saver program on the sdl2 backend, against the private X server of
// run_under_xvfb.sh: inside a window of the test's own (a preview, or an
// xscreensaver hack) or of its own until SIGTERM, and full screen until a key.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
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

  std::vector<Window> Children(Window window) { return testsupport::Children(display_, window); }

  bool Viewable(Window window, XWindowAttributes* attributes) {
    return XGetWindowAttributes(display_, window, attributes) && attributes->map_state == IsViewable;
  }

  // Whether any pixel of the window's area (all of it by default) is other than black.
  bool ShowsMoreThanBlack(Window window, int x = 0, int y = 0, int width = 1 << 15, int height = 1 << 15) {
    return testsupport::CountLitPixels(display_, window, x, y, width, height) > 0;
  }

  // The saver's window inside host, once the saver has drawn there; 0 (test
  // failed) if it did not.
  Window DrawnChild(ChildProcess* saver, Window host) {
    Window child = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
          std::vector<Window> children = Children(host);
          child = children.empty() ? 0 : children.front();
          return (child != 0 && ShowsMoreThanBlack(child)) || !saver->Running();
        },
        kDeadlineMs))
        << "the saver drew nothing inside the given window; it said: " << SaverErrors();
    return child;
  }

  // Waits until the window has the given size.
  bool HasSize(Window window, int width, int height) {
    return WaitUntil(
        [&] {
          XWindowAttributes attributes;
          return XGetWindowAttributes(display_, window, &attributes) && attributes.width == width &&
                 attributes.height == height;
        },
        kDeadlineMs);
  }

  Window FindTopLevel(const char* title) { return testsupport::FindViewableTopLevel(display_, title); }

  // The saver, started on `host`, makes a child window there and draws into
  // it; SIGTERM ends it cleanly and takes the child away.
  void ExpectDrawsInsideUntilTerminated(ChildProcess* saver, Window host) {
    Window child = DrawnChild(saver, host);
    ASSERT_NE(child, 0u);
    XWindowAttributes hostAttributes, childAttributes;
    ASSERT_TRUE(XGetWindowAttributes(display_, host, &hostAttributes));
    ASSERT_TRUE(XGetWindowAttributes(display_, child, &childAttributes));
    EXPECT_EQ(childAttributes.width, hostAttributes.width);
    EXPECT_EQ(childAttributes.height, hostAttributes.height);
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
  // xscreensaver-settings names its preview with --window-id beside --root.
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way == 0 ? "hex" : way == 1 ? "decimal" : "--window-id beside it");
    Window host = CreateHostWindow(400, 300);
    ChildProcess saver;
    if (way < 2) {
      std::string id = way == 0 ? Hex(host) : std::to_string(host);
      ASSERT_TRUE(StartSaver(&saver, {"--root"}, {"XSCREENSAVER_WINDOW=" + id}));
    } else {
      ASSERT_TRUE(StartSaver(&saver, {"--root", "--window-id", Hex(host)}));
    }
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
    ASSERT_TRUE(WaitUntil([&] { return (window = FindTopLevel("Orvanel Saver IV")) != 0 || !saver.Running(); },
                          kDeadlineMs));
    ASSERT_NE(window, 0u) << "no window of its own; the saver said: " << SaverErrors();
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(display_, window, &attributes));
    EXPECT_EQ(attributes.width, 640);
    EXPECT_EQ(attributes.height, 480);
    // Window managers and desktop tools know it by its class.
    XClassHint classHint = {};
    ASSERT_TRUE(XGetClassHint(display_, window, &classHint));
    EXPECT_STREQ(classHint.res_name, "orvanel-saver");
    EXPECT_STREQ(classHint.res_class, "Orvanel-saver");
    XFree(classHint.res_name);
    XFree(classHint.res_class);
    if (!closeBox) {
      ExpectDrawsInsideUntilTerminated(&saver, window);
      continue;
    }
    ASSERT_NE(DrawnChild(&saver, window), 0u);
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

TEST_F(SaverOnX, EveryStartReachesTheDisplayAndANamedDisplayThatIsNotThereIsAnError) {
  // Each start opens the display and looks for the window given, which is
  // none: 255. A start that could not use the display would say so and end with 1.
  for (int start = 0; start < 40; ++start) {
    ChildProcess saver;
    ASSERT_TRUE(StartSaver(&saver, {"/p", "1"}));
    ASSERT_TRUE(saver.WaitExit(kDeadlineMs));
    ASSERT_EQ(saver.ExitCode(), 255) << "start " << start << ": " << SaverErrors();
  }
  ChildProcess saver;
  ASSERT_TRUE(StartSaver(&saver, {"/s"}, {"DISPLAY=:4711"}));
  ASSERT_TRUE(saver.WaitExit(kDeadlineMs)) << "it ran without its display";
  EXPECT_EQ(saver.ExitCode(), 1);
  EXPECT_NE(SaverErrors().find("\":4711\""), std::string::npos) << SaverErrors();
}

TEST_F(SaverOnX, HostWindowDestroyedWhileTheSaverDrawsNeverEndsItWithAnXError) {
  // As xscreensaver does: the window goes, and SIGTERM follows (at once, or
  // after the saver has seen the window go).
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Window host = CreateHostWindow(160, 120);
    ChildProcess saver;
    ASSERT_TRUE(StartSaver(&saver, {"--window-id", std::to_string(host)}));
    ASSERT_NE(DrawnChild(&saver, host), 0u);
    XDestroyWindow(display_, host);
    XSync(display_, False);
    if (round % 2 == 0) saver.Signal(SIGTERM);
    ASSERT_TRUE(saver.WaitExit(kDeadlineMs)) << "the saver did not end without its window";
    std::string errors = SaverErrors();
    EXPECT_TRUE(saver.ExitCode() == 0 || saver.EndSignal() == SIGTERM)
        << "exit code " << saver.ExitCode() << ", signal " << saver.EndSignal() << ": " << errors;
    EXPECT_EQ(errors.find("X Error"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("X error"), std::string::npos) << errors;
  }
}

TEST_F(SaverOnX, HostWindowThatGrowsOrShrinksGetsTheSceneAtItsNewSize) {
  Window host = CreateHostWindow(400, 300);
  ChildProcess saver;
  ASSERT_TRUE(StartSaver(&saver, {"--window-id", std::to_string(host)}));
  Window child = DrawnChild(&saver, host);
  ASSERT_NE(child, 0u);

  // Grown: pictures come into the new area too.
  XResizeWindow(display_, host, 800, 600);
  XSync(display_, False);
  ASSERT_TRUE(HasSize(child, 800, 600)) << "the saver's window did not follow its host";
  EXPECT_TRUE(WaitUntil(
      [&] { return ShowsMoreThanBlack(child, 400, 0, 400, 600) || ShowsMoreThanBlack(child, 0, 300, 400, 300); },
      kDeadlineMs))
      << "nothing was drawn in the new area";

  // Shrunk: the pictures stay in view (each always overlaps a preview).
  XResizeWindow(display_, host, 240, 180);
  XSync(display_, False);
  ASSERT_TRUE(HasSize(child, 240, 180)) << "the saver's window did not follow its host";
  ASSERT_TRUE(WaitUntil([&] { return ShowsMoreThanBlack(child); }, kDeadlineMs)) << "the pictures left the view";
  int lit = 0;
  for (int sample = 0; sample < 10; ++sample) {
    lit += ShowsMoreThanBlack(child);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  EXPECT_GE(lit, 8) << "the pictures were out of view in " << 10 - lit << " of 10 looks";

  ASSERT_TRUE(saver.Running()) << SaverErrors();
  saver.Signal(SIGTERM);
  ASSERT_TRUE(saver.WaitExit(kDeadlineMs));
  XDestroyWindow(display_, host);
}

}  // namespace
