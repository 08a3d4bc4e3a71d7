// Window classes, creation and destruction, geometry, window data, painting.
#include <gtest/gtest.h>
#include <windows.h>

#include "../../../platform/core/draw_target.h"
#include "message_log.h"
#include "orvanel/headless.h"
#include "support/host_fixture.h"

namespace {

using usertest::Create;
using usertest::Names;
using Strings = std::vector<std::string>;

class Windows : public testsupport::HeadlessTest {
 protected:
  int ScreenWidth() const override { return 320; }
  int ScreenHeight() const override { return 200; }
  void SetUp() override {
    HeadlessTest::SetUp();
    usertest::RegisterLoggingClass(CreateSolidBrush(RGB(255, 0, 0)));
  }
};

LRESULT CALLBACK RefuseCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) return -1;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(Windows, ClassesAreNamedWithoutRegardToCase) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "WindowsScreenSaverClass";
  wc.cbWndExtra = 8;
  ATOM atom = RegisterClassA(&wc);
  ASSERT_NE(atom, 0);
  wc.lpszClassName = "windowsscreensaverclass";
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  WNDCLASSA info{};
  ASSERT_TRUE(GetClassInfoA(nullptr, "WINDOWSSCREENSAVERCLASS", &info));
  EXPECT_EQ(info.cbWndExtra, 8);
  EXPECT_STREQ(info.lpszClassName, "WindowsScreenSaverClass");
  HWND hwnd =
      CreateWindowExA(0, MAKEINTATOM(atom), "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(hwnd);
  char name[64];
  EXPECT_EQ(GetClassNameA(hwnd, name, sizeof name), 23);
  EXPECT_STREQ(name, "WindowsScreenSaverClass");
  EXPECT_FALSE(UnregisterClassA("WindowsScreenSaverClass", nullptr));  // a window still uses it
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassA("WindowsScreenSaverClass", nullptr));
  EXPECT_FALSE(GetClassInfoA(nullptr, "WindowsScreenSaverClass", &info));
}

TEST_F(Windows, CreationSendsNcCreateThenCreateAndCanBeRefused) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(Names(hwnd), (Strings{"WM_NCCREATE", "WM_CREATE", "WM_SIZE", "WM_MOVE"}));
  EXPECT_GE(reinterpret_cast<uintptr_t>(hwnd), 0x100000u);
  EXPECT_LE(reinterpret_cast<uintptr_t>(hwnd), 0x1FFFFFu);

  WNDCLASSA wc{};
  wc.lpfnWndProc = RefuseCreate;
  wc.lpszClassName = "Refuses";
  RegisterClassA(&wc);
  EXPECT_EQ(CreateWindowExA(0, "Refuses", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr),
            nullptr);
}

TEST_F(Windows, DestroyTellsTheParentBeforeItsChildrenAndFreesChildrenFirst) {
  HWND top = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, top);
  HWND grandchild = Create(WS_CHILD | WS_VISIBLE, 5, 5, 10, 10, child);
  usertest::Log().clear();
  ASSERT_TRUE(DestroyWindow(top));
  Strings order;
  for (const auto& l : usertest::Log()) {
    if (l.message != WM_DESTROY && l.message != WM_NCDESTROY) continue;
    std::string who = l.hwnd == top ? "top" : l.hwnd == child ? "child" : "grandchild";
    order.push_back(usertest::Name(l.message) + " " + who);
  }
  EXPECT_EQ(order, (Strings{"WM_DESTROY top", "WM_DESTROY child", "WM_DESTROY grandchild",
                            "WM_NCDESTROY grandchild", "WM_NCDESTROY child", "WM_NCDESTROY top"}));
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(grandchild));
  EXPECT_FALSE(DestroyWindow(top));
}

TEST_F(Windows, DestroyedWindowShowsTheDesktopAndTheWindowBelowRepaints) {
  HWND below = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
  HWND above = Create(WS_POPUP | WS_VISIBLE, 50, 50, 100, 100);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(headless::ScreenPixel(120, 120), RGB(255, 0, 0));  // erased with the class brush
  usertest::Log().clear();
  DestroyWindow(above);
  EXPECT_EQ(headless::ScreenPixel(120, 120), RGB(0, 128, 128));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  EXPECT_EQ(msg.hwnd, below);
}

TEST_F(Windows, GeometryOfChildrenFollowsTheirParents) {
  HWND top = Create(WS_POPUP | WS_VISIBLE, 30, 20, 200, 100);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 10, 5, 50, 40, top);
  RECT r;
  GetClientRect(child, &r);
  EXPECT_EQ(r.right, 50);
  EXPECT_EQ(r.bottom, 40);
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 25);
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 40);
  ScreenToClient(top, &p);
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 5);
  EXPECT_EQ(GetParent(child), top);
  EXPECT_EQ(GetParent(top), nullptr);
  GetClientRect(GetDesktopWindow(), &r);
  EXPECT_EQ(r.right, 320);
  EXPECT_EQ(r.bottom, 200);

  usertest::Log().clear();
  MoveWindow(top, 0, 0, 150, 100, TRUE);
  EXPECT_EQ(Names(top), (Strings{"WM_MOVE", "WM_SIZE"}));
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 10);

  // Drawing lands on the screen at the child's place, clipped by the parent.
  plat::DrawTarget target;
  MoveWindow(child, 120, 10, 50, 40, TRUE);
  ASSERT_TRUE(plat::GetDrawTarget(child, false, &target));
  EXPECT_EQ(target.originX, 120);
  EXPECT_EQ(target.originY, 10);
  EXPECT_EQ(target.clip.left, 120);
  EXPECT_EQ(target.clip.right, 150);
  EXPECT_EQ(target.clip.bottom, 50);
  ShowWindow(top, SW_HIDE);
  ASSERT_TRUE(plat::GetDrawTarget(child, false, &target));
  EXPECT_EQ(target.clip.right - target.clip.left, 0);
}

TEST_F(Windows, WindowLongsTextAndProcedure) {
  HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10, nullptr, "Screen Saver", WS_EX_TOPMOST);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & WS_POPUP, static_cast<DWORD>(WS_POPUP));
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_EXSTYLE), WS_EX_TOPMOST);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0x123456789LL);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 0x123456789LL);
  SetWindowLongPtrA(hwnd, 8, -7);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 8), -7);
  EXPECT_EQ(SetWindowLongA(hwnd, 4, 99), 0);
  EXPECT_EQ(GetWindowLongA(hwnd, 4), 99);
  EXPECT_EQ(GetWindowLongA(hwnd, 16), 0);  // past the extra bytes
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  char text[8];
  EXPECT_EQ(GetWindowTextLengthA(hwnd), 12);
  EXPECT_EQ(GetWindowTextA(hwnd, text, sizeof text), 7);
  EXPECT_STREQ(text, "Screen ");
  SetWindowTextA(hwnd, "Preview");
  EXPECT_EQ(GetWindowTextA(hwnd, text, sizeof text), 7);
  EXPECT_STREQ(text, "Preview");

  auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
  ASSERT_NE(proc, nullptr);
  usertest::Log().clear();
  EXPECT_EQ(CallWindowProcA(proc, hwnd, WM_GETTEXTLENGTH, 0, 0), 7);
  EXPECT_EQ(Names(hwnd), (Strings{"WM_GETTEXTLENGTH"}));
}

TEST_F(Windows, ChildOfAForeignWindowIsEmbeddedInIt) {
  HWND preview = headless::CreateForeignWindow(100, 50, 152, 112);
  RECT parent;
  ASSERT_TRUE(GetClientRect(preview, &parent));
  HWND hwnd = Create(WS_CHILD | WS_VISIBLE, 0, 0, parent.right, parent.bottom, preview, "Preview");
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(GetParent(hwnd), preview);
  EXPECT_EQ(GetActiveWindow(), nullptr);  // a child is never the active window
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(headless::ScreenPixel(100, 50), RGB(255, 0, 0));
  EXPECT_EQ(headless::ScreenPixel(99, 50), RGB(0, 128, 128));
  EXPECT_EQ(headless::ScreenPixel(251, 161), RGB(255, 0, 0));
  EXPECT_EQ(headless::ScreenPixel(252, 161), RGB(0, 128, 128));
  // The window goes with its parent.
  headless::DestroyForeignWindow(preview);
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Windows, BeginPaintErasesOnceAndValidates) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 40, 30);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, hwnd, WM_PAINT, WM_PAINT, PM_REMOVE));
  usertest::Log().clear();
  DispatchMessageA(&msg);
  EXPECT_EQ(Names(hwnd), (Strings{"WM_PAINT", "WM_ERASEBKGND"}));
  EXPECT_FALSE(PeekMessageA(&msg, hwnd, WM_PAINT, WM_PAINT, PM_REMOVE));
  RECT part{5, 5, 10, 10};
  InvalidateRect(hwnd, &part, FALSE);
  PAINTSTRUCT ps;
  ASSERT_TRUE(BeginPaint(hwnd, &ps));
  EXPECT_EQ(ps.rcPaint.left, 5);
  EXPECT_EQ(ps.rcPaint.right, 10);
  EndPaint(hwnd, &ps);
  EXPECT_FALSE(PeekMessageA(&msg, hwnd, WM_PAINT, WM_PAINT, PM_REMOVE));
}

}  // namespace

namespace {

TEST_F(Windows, CaptionAndFrameSurroundTheClientArea) {
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  HWND dialog = Create(style | WS_VISIBLE, 10, 20, 200, 100);
  RECT r;
  GetClientRect(dialog, &r);
  EXPECT_EQ(r.right, 194);
  EXPECT_EQ(r.bottom, 76);
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom, 120);
  POINT p{0, 0};
  ClientToScreen(dialog, &p);
  EXPECT_EQ(p.x, 13);
  EXPECT_EQ(p.y, 41);
  RECT adjusted{0, 0, 194, 76};
  AdjustWindowRect(&adjusted, style, FALSE);
  EXPECT_EQ(adjusted.right - adjusted.left, 200);
  EXPECT_EQ(adjusted.bottom - adjusted.top, 100);

  HWND child = Create(WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 5, 20, 20, dialog);
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 18);
  EXPECT_EQ(r.top, 46);
  plat::DrawTarget target;
  ASSERT_TRUE(plat::GetDrawTarget(child, false, &target));
  EXPECT_EQ(target.originX, 19);
  EXPECT_EQ(target.originY, 47);
  ASSERT_TRUE(plat::GetDrawTarget(dialog, true, &target));
  EXPECT_EQ(target.originX, 10);
  EXPECT_EQ(target.originY, 20);

  // An overlapped window gets its caption whatever it asks for.
  HWND overlapped = Create(WS_OVERLAPPED, 0, 0, 100, 100);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(overlapped, GWL_STYLE)) & WS_CAPTION,
            static_cast<DWORD>(WS_CAPTION));
}

}  // namespace

namespace {

TEST_F(Windows, ShowEnableAndStacking) {
  HWND a = Create(WS_POPUP, 0, 0, 100, 100);
  EXPECT_FALSE(IsWindowVisible(a));
  EXPECT_FALSE(ShowWindow(a, SW_SHOWNA));  // was hidden
  EXPECT_TRUE(IsWindowVisible(a));
  EXPECT_EQ(GetActiveWindow(), nullptr);  // shown without activation
  EXPECT_TRUE(ShowWindow(a, SW_SHOW));
  EXPECT_EQ(GetActiveWindow(), a);

  HWND child = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, a);
  EXPECT_TRUE(IsWindowEnabled(child));
  SetFocus(child);
  usertest::Log().clear();
  EXPECT_FALSE(EnableWindow(child, FALSE));
  EXPECT_TRUE(EnableWindow(child, FALSE));  // was disabled already
  EXPECT_FALSE(IsWindowEnabled(child));
  EXPECT_EQ(GetFocus(), nullptr);  // a disabled window loses the focus
  EXPECT_EQ(Names(child), (Strings{"WM_KILLFOCUS", "WM_ENABLE"}));

  // The window on top gets the mouse; SetWindowPos changes who is on top.
  HWND b = Create(WS_POPUP | WS_VISIBLE, 50, 50, 100, 100);
  POINT overlap{60, 60};
  EXPECT_EQ(WindowFromPoint(overlap), b);
  SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(WindowFromPoint(overlap), a);
  POINT inChild{5, 5};
  EXPECT_EQ(WindowFromPoint(inChild), child);
  EXPECT_TRUE(IsChild(a, child));
  EXPECT_FALSE(IsChild(b, child));
}

TEST_F(Windows, UpdateWindowPaintsAtOnce) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 20, 20);
  usertest::Log().clear();
  UpdateWindow(hwnd);
  EXPECT_EQ(Names(hwnd), (Strings{"WM_PAINT", "WM_ERASEBKGND"}));
  usertest::Log().clear();
  UpdateWindow(hwnd);  // nothing left to paint
  EXPECT_TRUE(Names(hwnd).empty());
}

}  // namespace
