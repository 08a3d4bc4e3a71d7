// Host input becoming messages, activation and focus, and the --seconds
// watchdog.
#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "message_log.h"
#include "orvanel/headless.h"
#include "orvanel/host.h"
#include "support/host_fixture.h"
#include "support/png_file.h"

namespace {

using usertest::Create;
using usertest::Names;
using Strings = std::vector<std::string>;

class Input : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    usertest::RegisterLoggingClass();
  }
  // Takes every message there is now, dispatching each; returns them.
  std::vector<MSG> Drain() {
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      out.push_back(msg);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return out;
  }
  std::vector<MSG> Only(const std::vector<MSG>& all, UINT first, UINT last) {
    std::vector<MSG> out;
    for (const MSG& m : all)
      if (m.message >= first && m.message <= last) out.push_back(m);
    return out;
  }
};

TEST_F(Input, CreatingAVisibleWindowActivatesAndFocusesIt) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_EQ(GetForegroundWindow(), hwnd);
  EXPECT_EQ(GetFocus(), hwnd);
  Strings names = Names(hwnd);
  Strings tail(names.begin() + 4, names.end());
  EXPECT_EQ(tail,
            (Strings{"WM_SHOWWINDOW", "WM_ACTIVATEAPP", "WM_NCACTIVATE", "WM_ACTIVATE", "WM_SETFOCUS"}));
}

TEST_F(Input, KeysGoToTheFocusWindowAndTranslateToCharacters) {
  HWND top = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top);
  Drain();
  SetFocus(child);
  headless::PressKey('A');
  headless::KeyDown(VK_SHIFT);
  headless::PressKey('B');
  headless::KeyUp(VK_SHIFT);
  headless::KeyDown(VK_MENU);
  headless::PressKey('X');
  headless::KeyUp(VK_MENU);
  auto keys = Only(Drain(), WM_KEYDOWN, WM_SYSCHAR);
  Strings got;
  for (const MSG& m : keys) {
    EXPECT_EQ(m.hwnd, child);
    std::string name = usertest::Name(m.message);
    if (m.message == WM_CHAR || m.message == WM_SYSCHAR)
      name += std::string(" ") + static_cast<char>(m.wParam);
    got.push_back(name);
  }
  EXPECT_EQ(got, (Strings{"WM_KEYDOWN", "WM_CHAR a", "WM_KEYUP", "WM_KEYDOWN", "WM_KEYDOWN", "WM_CHAR B",
                          "WM_KEYUP", "WM_KEYUP", "WM_SYSKEYDOWN", "WM_SYSKEYDOWN", "0x262 x", "WM_SYSKEYUP",
                          "WM_SYSKEYUP"}));
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
}

TEST_F(Input, MouseInputGoesToTheWindowUnderTheCursorInClientCoordinates) {
  HWND top = Create(WS_POPUP | WS_VISIBLE, 100, 100, 200, 200);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 50, 50, 20, 20, top);
  Drain();
  headless::MoveMouse(160, 155);
  headless::MoveMouse(105, 100);
  headless::Click(120, 130);
  auto mouse = Only(Drain(), WM_MOUSEFIRST, WM_MOUSELAST);
  ASSERT_EQ(mouse.size(), 5u);
  EXPECT_EQ(mouse[0].hwnd, child);
  EXPECT_EQ(GET_X_LPARAM(mouse[0].lParam), 10);
  EXPECT_EQ(GET_Y_LPARAM(mouse[0].lParam), 5);
  EXPECT_EQ(mouse[0].pt.x, 160);
  EXPECT_EQ(mouse[1].hwnd, top);
  EXPECT_EQ(GET_X_LPARAM(mouse[1].lParam), 5);
  EXPECT_EQ(mouse[3].message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(mouse[3].wParam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(mouse[4].message, static_cast<UINT>(WM_LBUTTONUP));
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p.x, 120);
  EXPECT_EQ(p.y, 130);
  // Captured input goes to the capture window wherever the cursor is.
  SetCapture(child);
  headless::MoveMouse(5, 5);
  mouse = Only(Drain(), WM_MOUSEFIRST, WM_MOUSELAST);
  ASSERT_EQ(mouse.size(), 1u);
  EXPECT_EQ(mouse[0].hwnd, child);
  EXPECT_EQ(GET_X_LPARAM(mouse[0].lParam), -145);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Input, ScriptedInputArrivesAtItsTime) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  Drain();
  DWORD start = GetTickCount();
  headless::PressKey(VK_SPACE, start + 300);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.time, start + 300);
  EXPECT_EQ(GetTickCount(), start + 300);
}

TEST_F(Input, LosingActivationTellsEveryTopLevelWindow) {
  HWND a = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND b = Create(WS_POPUP, 0, 0, 100, 100);
  Drain();
  usertest::Log().clear();
  headless::DeactivateApp();
  Drain();
  EXPECT_EQ(Names(a), (Strings{"WM_NCACTIVATE", "WM_ACTIVATE", "WM_ACTIVATEAPP", "WM_KILLFOCUS"}));
  EXPECT_EQ(Names(b), (Strings{"WM_ACTIVATEAPP"}));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  usertest::Log().clear();
  headless::ActivateApp();
  Drain();
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(Names(b), (Strings{"WM_ACTIVATEAPP"}));
}

TEST_F(Input, DestroyingTheActiveWindowActivatesTheNext) {
  HWND a = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND b = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  EXPECT_EQ(GetActiveWindow(), b);
  DestroyWindow(b);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), a);
}

TEST_F(Input, TerminateClosesEveryTopLevelWindow) {
  HWND a = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND b = Create(WS_POPUP, 0, 0, 100, 100);
  Drain();
  headless::Terminate();
  Drain();
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(IsWindow(b));
}

TEST_F(Input, SigtermClosesTheWindowsThroughTheirMessages) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  Drain();
  usertest::Log().clear();
  raise(SIGTERM);
  Drain();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(Names(hwnd).front(), "WM_CLOSE");
}

TEST_F(Input, GetMessageWithNothingToComeWaitsForRealUntilASignal) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  Drain();
  usertest::SetHook([](HWND, UINT message, WPARAM, LPARAM, LRESULT*) {
    if (message == WM_DESTROY) PostQuitMessage(5);
    return false;
  });
  DWORD start = GetTickCount();
  std::thread later([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(getpid(), SIGTERM);
  });
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  later.join();
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(GetTickCount(), start);  // virtual time did not run on while waiting
}

class Watchdog : public Input {
 protected:
  static std::string Shot() {
    return (std::filesystem::temp_directory_path() /
            ("orvanel-watchdog-" + std::to_string(getpid()) + ".png"))
        .string();
  }
  void SetUp() override {
    host::Shutdown();
    host::Options options;
    options.backend = "headless";
    options.width = 64;
    options.height = 48;
    options.seconds = 1.5;
    options.screenshot = Shot();
    ASSERT_TRUE(host::Init(options));
    usertest::RegisterLoggingClass(CreateSolidBrush(RGB(255, 0, 0)));
  }
};

TEST_F(Watchdog, PressesEscapeWhenTimeIsUpThenCloses) {
  DWORD start = GetTickCount();
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  // The window ignores the key; the close 2 s later ends it.
  MSG msg;
  DWORD escapeAt = 0;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) escapeAt = msg.time;
    if (msg.message == WM_CLOSE) PostQuitMessage(0);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(escapeAt - start, 1500u);
  EXPECT_EQ(GetTickCount() - start, 3500u);
  EXPECT_FALSE(IsWindow(hwnd));
  // The screenshot was taken when the time was up, with the window still there.
  const testsupport::RgbPicture shot = testsupport::ReadPngRgb(Shot());
  ASSERT_FALSE(shot.pixels.empty());
  EXPECT_EQ(shot.pixels[0], 255);
  EXPECT_EQ(shot.pixels[1], 0);
  EXPECT_EQ(headless::ScreenPixel(0, 0), RGB(0, 128, 128));
  std::filesystem::remove(Shot());
}

}  // namespace
