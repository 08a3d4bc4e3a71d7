#include "xvfb_fixture.h"

#include <X11/Xutil.h>

#include "support/x11_windows.h"

#include <cstdlib>

// The backend table names the headless backend too, which this program never
// starts: this stand-in keeps it, and the window manager it brings along,
// out of the program. (Weak: a program that has the real one gets it.)
namespace plat {
__attribute__((weak)) std::unique_ptr<Backend> CreateHeadlessBackend(const host::Options&, std::string* error) {
  if (error) *error = "the headless backend is not part of this program";
  return nullptr;
}
}  // namespace plat

namespace sdltest {

uint32_t ReadPixel(Display* display, Window window, int x, int y) {
  XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0xFF000000u;  // no such pixel: a value no 24-bit pixel has
  uint32_t pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

void XvfbTest::SetUp() {
  if (!std::getenv("ORVANEL_TEST_XVFB")) GTEST_SKIP() << "needs the X server of run_under_xvfb.sh";
  display_ = XOpenDisplay(nullptr);
  ASSERT_NE(display_, nullptr) << "cannot open " << std::getenv("DISPLAY");
}

void XvfbTest::TearDown() {
  backend_.reset();
  if (display_) XCloseDisplay(display_);
  display_ = nullptr;
}

bool XvfbTest::StartBackend(int depth, const std::string& screenshot, int scale) {
  host::Options options;
  options.depth = depth;
  options.screenshot = screenshot;
  options.scale = scale;
  EXPECT_TRUE(plat::SdlBackendAvailable(options));
  std::string error;
  backend_ = plat::CreateSdlBackend(options, &error);
  EXPECT_NE(backend_, nullptr) << error;
  return backend_ != nullptr;
}

bool XvfbTest::WaitFor(plat::HostEvent::Kind kind, plat::HostEvent* out, uint32_t timeoutMs) {
  uint32_t start = backend_->Now();
  plat::HostEvent event;
  while (backend_->Now() - start < timeoutMs) {
    if (backend_->WaitEvent(&event, 50) && event.kind == kind) {
      if (out) *out = event;
      return true;
    }
  }
  return false;
}

void XvfbTest::Drain(uint32_t ms) {
  uint32_t start = backend_->Now();
  plat::HostEvent event;
  while (backend_->Now() - start < ms) backend_->WaitEvent(&event, 20);
}

void XvfbTest::Show(plat::NativeWindow* native, const RECT* rects, int count) {
  backend_->Present(native, rects, count);
  Settle(native);
}

Window XvfbTest::CreateTestWindow(int x, int y, int width, int height, unsigned long background) {
  return testsupport::MapPlainWindow(display_, x, y, width, height, background);
}

}  // namespace sdltest
