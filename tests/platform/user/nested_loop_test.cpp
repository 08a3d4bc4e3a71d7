// A full-screen animation in the way the saver runs one: a one-shot timer
// starts a loop inside WM_TIMER that draws a frame every 50 ms and polls the
// window's messages in between; input posts WM_CLOSE.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "orvanel/headless.h"
#include "support/host_fixture.h"

namespace {

struct Animation {
  bool running = false;
  int frames = 0;
  DWORD firstFrame = 0;
  DWORD lastFrame = 0;
  POINT reference{};
} g_animation;

void RunAnimation(HWND hwnd) {
  while (g_animation.running) {
    DWORD t0 = GetTickCount();
    if (!g_animation.frames++) g_animation.firstFrame = t0;
    g_animation.lastFrame = t0;
    for (;;) {
      MSG msg;
      if (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      if (GetTickCount() - t0 >= 50 || !g_animation.running) break;
    }
  }
  SendMessageA(hwnd, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK SaverLikeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      GetCursorPos(&g_animation.reference);
      SetCursor(nullptr);
      SetTimer(hwnd, 1, 500, nullptr);
      return 0;
    case WM_TIMER:
      KillTimer(hwnd, 1);
      g_animation.running = true;
      RunAnimation(hwnd);
      return 0;
    case WM_MOUSEMOVE: {
      POINT p;
      GetCursorPos(&p);
      if (std::abs(p.x - g_animation.reference.x) + std::abs(p.y - g_animation.reference.y) > 4) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        g_animation.reference = p;
      }
      return 0;
    }
    case WM_KEYDOWN:
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_DESTROY:
      g_animation.running = false;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class NestedLoop : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    g_animation = Animation{};
    WNDCLASSA wc{};
    wc.lpfnWndProc = SaverLikeProc;
    wc.lpszClassName = "WindowsScreenSaverClass";
    RegisterClassA(&wc);
  }
  int Run() {
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "WindowsScreenSaverClass", "Screen Saver",
                                WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(hwnd);
    SetForegroundWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
  }
};

TEST_F(NestedLoop, FramesEvery50MsUntilTheMouseMovesFivePixels) {
  DWORD start = GetTickCount();
  headless::MoveMouse(322, 242, start + 1000);  // 4 pixels: goes on
  headless::MoveMouse(323, 242, start + 2000);  // 5 pixels: ends
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(headless::CursorVisible());
  EXPECT_EQ(g_animation.firstFrame - start, 500u);
  EXPECT_EQ(g_animation.lastFrame - start, 2000u);
  EXPECT_EQ(g_animation.frames, 31);  // 500, 550 ... 2000
  EXPECT_LE(GetTickCount() - start, 2002u);
}

TEST_F(NestedLoop, AKeyPressEndsIt) {
  DWORD start = GetTickCount();
  headless::PressKey('Q', start + 700);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(g_animation.lastFrame - start, 700u);
}

}  // namespace
