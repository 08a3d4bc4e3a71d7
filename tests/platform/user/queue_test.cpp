// The message queue: order, filters, WM_QUIT, WM_PAINT and WM_TIMER
// synthesis, re-entrant sends, and idle polling in virtual time.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "message_log.h"
#include "orvanel/headless.h"
#include "support/host_fixture.h"

namespace {

using usertest::Create;
using usertest::Names;
using Strings = std::vector<std::string>;

class Queue : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    usertest::RegisterLoggingClass();
  }
  // Empties the queue of what creating windows left there.
  void Settle() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    usertest::Log().clear();
  }
};

TEST_F(Queue, PostedMessagesComeInOrderThroughTheirFilters) {
  HWND a = Create(WS_POPUP, 0, 0, 10, 10);
  HWND b = Create(WS_POPUP, 0, 0, 10, 10);
  HWND child = Create(WS_CHILD, 0, 0, 5, 5, a);
  Settle();
  PostMessageA(a, WM_USER + 1, 1, 0);
  PostMessageA(b, WM_USER + 2, 2, 0);
  PostMessageA(child, WM_USER + 3, 3, 0);
  PostMessageA(nullptr, WM_USER + 4, 4, 0);
  MSG msg;
  // A window filter takes the window's children's messages too.
  ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  ASSERT_TRUE(PeekMessageA(&msg, a, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, child);
  ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 4));
  EXPECT_FALSE(PeekMessageA(&msg, child, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1FFF00), WM_USER, 0, 0));
}

TEST_F(Queue, QuitComesOnceNothingIsPostedAndEndsGetMessage) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  Settle();
  PostQuitMessage(3);
  PostMessageA(hwnd, WM_USER, 0, 0);
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  // As on Windows, neither a window filter nor a message range keeps the
  // quit back: a loop that polls only its own window still sees it.
  ASSERT_TRUE(PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(GetMessageA(&msg, hwnd, WM_USER, WM_USER), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageA(&msg, reinterpret_cast<HWND>(0x1FFF00), 0, 0), -1);
}

TEST_F(Queue, SendIsDirectAndReentrant) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  Settle();
  int depth = 0, deepest = 0;
  usertest::SetHook([&](HWND h, UINT m, WPARAM w, LPARAM, LRESULT* result) {
    if (m != WM_USER) return false;
    ++depth;
    deepest = std::max(deepest, depth);
    *result = w == 0 ? 100 : SendMessageA(h, WM_USER, w - 1, 0) + 1;
    --depth;
    return true;
  });
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 3, 0), 103);
  EXPECT_EQ(deepest, 4);
  EXPECT_EQ(Names(hwnd).size(), 4u);
  EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(0x1FFF00), WM_USER, 0, 0), 0);
}

TEST_F(Queue, PaintComesAfterPostedMessagesAndStaysUntilValidated) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  Settle();
  InvalidateRect(hwnd, nullptr, TRUE);
  PostMessageA(hwnd, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));  // not validated yet
  ValidateRect(hwnd, nullptr);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Queue, IdlePollingWaitsAboutOneMillisecondOfVirtualTime) {
  Settle();
  MSG msg;
  DWORD start = GetTickCount();
  for (int i = 0; i < 50; ++i) EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetTickCount() - start, 50u);
}

// MsgWaitForMultipleObjects sleeps until something arrives that the queue did
// not hold when it was last looked at, or until its time is up; the wait
// itself lets virtual time pass.
TEST_F(Queue, MessageWaitWakesForWhatArrivesOrWhenItsTimeIsUp) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10);
  Settle();
  DWORD start = GetTickCount();
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 40, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(GetTickCount() - start, 40u);

  struct Case {
    const char* what;
    std::function<void(DWORD now)> arrange;
    DWORD wakeMask;
    DWORD expected;
    DWORD after;  // ms of virtual time the wait took
  };
  const Case cases[] = {
      {"a key pressed 15 ms on", [](DWORD now) { headless::PressKey(VK_SPACE, now + 15); }, QS_ALLINPUT,
       WAIT_OBJECT_0, 15},
      {"a click, waiting for keys only", [](DWORD now) { headless::Click(5, 5, 1, now + 15); }, QS_KEY,
       WAIT_TIMEOUT, 60},
      {"a timer due in 25 ms", [hwnd](DWORD) { SetTimer(hwnd, 9, 25, nullptr); }, QS_ALLINPUT, WAIT_OBJECT_0, 25},
      {"a message posted before the wait", [hwnd](DWORD) { PostMessageA(hwnd, WM_USER, 0, 0); }, QS_ALLINPUT,
       WAIT_OBJECT_0, 0},
      {"a quit posted before the wait", [](DWORD) { PostQuitMessage(0); }, QS_POSTMESSAGE, WAIT_OBJECT_0, 0},
      {"a window to repaint", [hwnd](DWORD) { InvalidateRect(hwnd, nullptr, FALSE); }, QS_PAINT, WAIT_OBJECT_0, 0},
      {"a message already seen by a filtered look",
       [hwnd](DWORD) {
         MSG msg;
         PostMessageA(nullptr, WM_USER, 0, 0);
         EXPECT_FALSE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
       },
       QS_ALLINPUT, WAIT_TIMEOUT, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settle();
    headless::ClearPendingInput();
    DWORD now = GetTickCount();
    c.arrange(now);
    now = GetTickCount();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 60, c.wakeMask), c.expected);
    EXPECT_EQ(GetTickCount() - now, c.after);
    KillTimer(hwnd, 9);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ValidateRect(hwnd, nullptr);
  }

  // No waitable objects here: a handle count is refused at once.
  HANDLE event = reinterpret_cast<HANDLE>(0x1234);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 10, QS_ALLINPUT), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Queue, TimerFiresOnlyWhenTheQueueIsOtherwiseEmptyOncePerPeriod) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  Settle();
  DWORD start = GetTickCount();
  EXPECT_EQ(SetTimer(hwnd, 1, 50, nullptr), 1u);
  MSG msg;
  // A 50 ms polling loop: the timer comes at 50, 100, 150 ...
  std::vector<DWORD> fired;
  while (fired.size() < 3) {
    if (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE) && msg.message == WM_TIMER)
      fired.push_back(msg.time - start);
  }
  EXPECT_EQ(fired, (std::vector<DWORD>{50, 100, 150}));
  // Late collection: one pending message however many periods passed.
  Sleep(500);
  PostMessageA(hwnd, WM_USER, 0, 0);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD));
  // The next period counts from when the timer went off.
  DWORD wentOff = start + 650;
  while (!PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
  }
  EXPECT_EQ(msg.time, wentOff + 50);
  EXPECT_TRUE(KillTimer(hwnd, 1));
  EXPECT_FALSE(KillTimer(hwnd, 1));
  Sleep(200);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(Queue, SetTimerWithTheSameIdReplacesItAndThreadTimersGetNewIds) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  Settle();
  DWORD start = GetTickCount();
  SetTimer(hwnd, 7, 500, nullptr);
  SetTimer(hwnd, 7, 20, nullptr);
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(msg.time - start, 20u);  // GetMessageA slept exactly until it was due
  KillTimer(hwnd, 7);
  UINT_PTR a = SetTimer(nullptr, 0, 30, nullptr);
  UINT_PTR b = SetTimer(nullptr, 0, 30, nullptr);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  KillTimer(nullptr, a);
  KillTimer(nullptr, b);
}

TEST_F(Queue, TimerProcedureIsCalledByDispatch) {
  Settle();
  static int calls;
  static UINT_PTR seen;
  calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR event, DWORD) {
    ++calls;
    seen = event;
  });
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  DispatchMessageA(&msg);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, id);
  KillTimer(nullptr, id);
}

TEST_F(Queue, DestroyingAWindowDropsItsMessagesAndTimers) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  Settle();
  SetTimer(hwnd, 1, 10, nullptr);
  PostMessageA(hwnd, WM_USER, 0, 0);
  DestroyWindow(hwnd);
  Sleep(100);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Queue, DefaultCloseDestroysAndSystemCloseAsksForIt) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  Settle();
  SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  auto names = Names(hwnd);
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names[0], "WM_SYSCOMMAND");
  EXPECT_EQ(names[1], "WM_CLOSE");
}

}  // namespace
