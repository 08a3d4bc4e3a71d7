// Helpers for tests that run on the headless screen.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "orvanel/headless.h"
#include "orvanel/host.h"

namespace testsupport {

// A settings directory of this test program's own, empty at start.
std::string UseFreshConfigDir();

// Restarts the Win32 layer on a headless screen of the given size and depth.
void StartHeadless(int width = 640, int height = 480, int depth = 24, bool windows95 = false);

// The saver's loop: messages dispatched while virtual time goes on, until
// done() holds or maxMs of virtual time have passed.
template <typename Done>
void RunUntil(Done done, uint32_t maxMs = 10000) {
  const uint32_t start = headless::Now();
  MSG msg;
  while (!done() && headless::Now() - start < maxMs)
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}
inline void RunFor(uint32_t ms) {
  RunUntil([] { return false; }, ms);
}

// Test fixture: a fresh headless screen for every test.
class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override { StartHeadless(ScreenWidth(), ScreenHeight(), ScreenDepth(), Windows95()); }
  void TearDown() override { host::Shutdown(); }
  virtual int ScreenWidth() const { return 640; }
  virtual int ScreenHeight() const { return 480; }
  virtual int ScreenDepth() const { return 24; }
  virtual bool Windows95() const { return false; }
};

}  // namespace testsupport
