// The sdl2 backend on the private X server that run_under_xvfb.sh starts,
// and a connection of the test's own to look at that server's windows.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <memory>
#include <string>

#include "core/backend.h"

namespace plat {
bool SdlBackendAvailable(const host::Options& options);
std::unique_ptr<Backend> CreateSdlBackend(const host::Options& options, std::string* error);
}  // namespace plat

namespace sdltest {

// 0x00RRGGBB of one pixel of a window, as the X server holds it.
uint32_t ReadPixel(Display* display, Window window, int x, int y);

class XvfbTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Starts the backend with the given screen depth and scale (0: the
  // screen's own); false (test failed) if it cannot.
  bool StartBackend(int depth = 24, const std::string& screenshot = "", int scale = 0);

  // Waits (at most timeoutMs) for an event of the given kind; others are dropped.
  bool WaitFor(plat::HostEvent::Kind kind, plat::HostEvent* out, uint32_t timeoutMs = 3000);
  // Hands out every event that comes within ms.
  void Drain(uint32_t ms = 200);
  // Presents, and returns once the server has drawn it: it takes the
  // pixels without being waited for.
  void Show(plat::NativeWindow* native, const RECT* rects, int count);
  // Returns once the server has drawn all that native presented: a question
  // on the backend's connection is answered after every request before it.
  void Settle(plat::NativeWindow* native) {
    RECT ignored;
    backend_->ForeignWindowRect(native->nativeId, &ignored);
  }

  // A plain top-level window of the test's own connection, mapped.
  Window CreateTestWindow(int x, int y, int width, int height, unsigned long background);

  Display* display_ = nullptr;  // the test's own connection
  std::unique_ptr<plat::Backend> backend_;
};

}  // namespace sdltest
