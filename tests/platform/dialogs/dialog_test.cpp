// Dialogs from the test template 3000, driven by scripted input on the
// headless screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "orvanel/headless.h"
#include "support/host_fixture.h"
#include "user/dialogs_template.h"

namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Seen> g_seen;
std::function<void(HWND)> g_onInit;
HWND g_dialog = nullptr;

INT_PTR CALLBACK TestProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      g_dialog = dlg;
      g_seen.push_back({message, wParam, lParam});
      if (g_onInit) g_onInit(dlg);
      return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      g_seen.push_back({message, wParam, lParam});
      return TRUE;
    case WM_COMMAND:
      g_seen.push_back({message, wParam, lParam});
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == 16)
        EndDialog(dlg, 100 + LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

POINT CentreOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::vector<Seen> Only(UINT message) {
  std::vector<Seen> out;
  for (const Seen& s : g_seen)
    if (s.message == message) out.push_back(s);
  return out;
}

class Dialogs : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    g_seen.clear();
    g_onInit = nullptr;
    g_dialog = nullptr;
  }
  void TearDown() override {
    g_onInit = nullptr;
    HeadlessTest::TearDown();
  }
  INT_PTR Run() { return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(3000), nullptr, TestProc, 77); }
};

TEST_F(Dialogs, TemplateControlsUnitsAndCentring) {
  g_onInit = [](HWND dlg) {
    EXPECT_EQ(g_seen[0].lParam, 77);
    char name[32];
    GetClassNameA(GetDlgItem(dlg, 3021), name, sizeof name);
    EXPECT_STREQ(name, "msctls_updown32");
    GetClassNameA(GetDlgItem(dlg, 3030), name, sizeof name);
    EXPECT_STREQ(name, "SCROLLBAR");
    // Dialog units follow the font's base units, Windows' own for its
    // 8-point dialog font at 96 DPI, so dialogs have Windows' pixel sizes.
    LONG units = GetDialogBaseUnits();
    EXPECT_EQ(LOWORD(units), 6);
    EXPECT_EQ(HIWORD(units), 13);
    RECT r{0, 0, 200, 120};
    MapDialogRect(dlg, &r);
    EXPECT_EQ(r.right, MulDiv(200, LOWORD(units), 4));
    EXPECT_EQ(r.bottom, MulDiv(120, HIWORD(units), 8));
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, r.right);
    EXPECT_EQ(client.bottom, r.bottom);
    RECT window;
    GetWindowRect(dlg, &window);
    EXPECT_NEAR((window.left + window.right) / 2, 320, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, 240, 1);
    // The up-down sits right of its buddy, which gave up the room.
    RECT edit, spin;
    GetWindowRect(GetDlgItem(dlg, 3020), &edit);
    GetWindowRect(GetDlgItem(dlg, 3021), &spin);
    EXPECT_EQ(spin.left, edit.right - 2);
    EXPECT_EQ(SendDlgItemMessageA(dlg, 3021, UDM_GETBUDDY, 0, 0), reinterpret_cast<LRESULT>(GetDlgItem(dlg, 3020)));
    SendDlgItemMessageA(dlg, 3021, UDM_SETRANGE32, static_cast<WPARAM>(-5), 70000);
    int lower = 0, upper = 0;
    SendDlgItemMessageA(dlg, 3021, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
    EXPECT_EQ(lower, -5);
    EXPECT_EQ(upper, 70000);
    EXPECT_TRUE(SendDlgItemMessageA(dlg, 3015, STM_GETICON, 0, 0));
    EXPECT_TRUE(GetMenu(dlg));
    EndDialog(dlg, 5);
  };
  EXPECT_EQ(Run(), 5);
  EXPECT_FALSE(IsWindow(g_dialog));
}

TEST_F(Dialogs, EnterEscapeAndClose) {
  g_onInit = [](HWND) { headless::PressKey(VK_ESCAPE); };
  EXPECT_EQ(Run(), 100 + IDCANCEL);
  g_onInit = [](HWND) { headless::PressKey(VK_RETURN); };
  EXPECT_EQ(Run(), 100 + IDOK);
  g_onInit = [](HWND dlg) { PostMessageA(dlg, WM_CLOSE, 0, 0); };
  EXPECT_EQ(Run(), 100 + IDCANCEL);
  g_onInit = [](HWND dlg) {
    POINT ok = CentreOf(GetDlgItem(dlg, IDOK));
    headless::Click(ok.x, ok.y);
  };
  EXPECT_EQ(Run(), 100 + IDOK);
}

TEST_F(Dialogs, TabOrderAndEditFocusNotes) {
  g_onInit = [](HWND) {
    // Keys go to the focus as it is when each arrives: one at a time.
    DWORD t = GetTickCount();
    for (int vk : {VK_TAB, VK_TAB, VK_HOME, VK_END, VK_LEFT, VK_NEXT, VK_ESCAPE})  // edit 3022, scroll bar
      headless::PressKey(vk, t += 10);
  };
  Run();
  bool killed = false;
  for (const Seen& s : Only(WM_COMMAND))
    if (LOWORD(s.wParam) == 3020 && HIWORD(s.wParam) == EN_KILLFOCUS) killed = true;
  EXPECT_TRUE(killed);
  std::vector<int> codes;
  for (const Seen& s : Only(WM_HSCROLL)) codes.push_back(LOWORD(s.wParam));
  EXPECT_EQ(codes, (std::vector<int>{SB_LEFT, SB_ENDSCROLL, SB_RIGHT, SB_ENDSCROLL, SB_LINELEFT, SB_ENDSCROLL,
                                     SB_PAGERIGHT, SB_ENDSCROLL}));
}

TEST_F(Dialogs, DigitsOnlyEditAndClipboard) {
  std::string text, copied;
  g_onInit = [&](HWND dlg) {
    headless::TypeText("1a2");
    headless::KeyDown(VK_CONTROL);
    headless::TypeText("\x01\x03");  // Ctrl+A, Ctrl+C
    headless::KeyUp(VK_CONTROL);
    headless::PressKey(VK_ESCAPE);
  };
  Run();
  (void)text;
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_TRUE(data);
  copied = static_cast<const char*>(GlobalLock(data));
  GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(copied, "12");
}

TEST_F(Dialogs, ScrollBarMouseAndUpDownClicks) {
  g_onInit = [](HWND dlg) {
    HWND bar = GetDlgItem(dlg, 3030);
    SetScrollRange(bar, SB_CTL, 0, 10, FALSE);
    SetScrollPos(bar, SB_CTL, 5, TRUE);
    RECT r;
    GetWindowRect(bar, &r);
    headless::Click(r.left + 2, r.top + 2);    // left arrow
    headless::Click(r.right - 3, r.top + 2);   // right arrow
    headless::Click(r.left + 30, r.top + 2);   // trough left of the thumb
    RECT spin;
    GetWindowRect(GetDlgItem(dlg, 3021), &spin);
    SendDlgItemMessageA(dlg, 3021, UDM_SETPOS, 0, MAKELPARAM(5, 0));
    headless::Click(spin.left + 3, spin.top + 2);  // up arrow, twice
    headless::Click(spin.left + 3, spin.top + 2);
    headless::PressKey(VK_ESCAPE);
  };
  Run();
  std::vector<int> codes;
  for (const Seen& s : Only(WM_HSCROLL)) codes.push_back(LOWORD(s.wParam));
  EXPECT_EQ(codes, (std::vector<int>{SB_LINELEFT, SB_ENDSCROLL, SB_LINERIGHT, SB_ENDSCROLL, SB_PAGELEFT,
                                     SB_ENDSCROLL}));
  std::vector<int> positions;
  for (const Seen& s : Only(WM_VSCROLL))
    if (LOWORD(s.wParam) == SB_THUMBPOSITION) positions.push_back(static_cast<short>(HIWORD(s.wParam)));
  EXPECT_EQ(positions, (std::vector<int>{4, 3}));
}

TEST_F(Dialogs, MenuCommandSixteenByMouseAndKeys) {
  g_onInit = [](HWND dlg) {
    RECT w;
    GetWindowRect(dlg, &w);
    POINT title{w.left + 3 + 10, w.top + 3 + 18 + 8};
    headless::Click(title.x, title.y);
    headless::Click(title.x + 10, title.y + 18 + 8);
  };
  EXPECT_EQ(Run(), 116);
  g_onInit = [](HWND) {
    headless::PressKey(VK_F10);
    headless::PressKey(VK_RETURN);
    headless::PressKey(VK_RETURN);
  };
  EXPECT_EQ(Run(), 116);
}

TEST_F(Dialogs, LooksLikeADialog) {
  g_onInit = [](HWND dlg) {
    SetDlgItemTextA(dlg, 3020, "42");
    SetDlgItemTextA(dlg, 3022, "text");
    BOOL ok = FALSE;
    EXPECT_EQ(GetDlgItemInt(dlg, 3020, &ok, FALSE), 42u);
    EXPECT_TRUE(ok);
    SetTimer(dlg, 1, 50, nullptr);  // after the controls have painted
  };
  std::string path = std::string(ORVANEL_BINARY_DIR) + "/dialog_test.png";
  INT_PTR result = DialogBoxParamA(
      GetModuleHandleA(nullptr), MAKEINTRESOURCEA(3000), nullptr,
      [](HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
        if (message == WM_TIMER) {
          KillTimer(dlg, 1);
          headless::SaveScreenshot(std::string(ORVANEL_BINARY_DIR) + "/dialog_test.png");
          EXPECT_EQ(headless::ScreenPixel(CentreOf(dlg).x, CentreOf(dlg).y + 60), RGB(192, 192, 192));
          EndDialog(dlg, 9);
          return TRUE;
        }
        return TestProc(dlg, message, wParam, lParam);
      },
      0);
  EXPECT_EQ(result, 9);
}

// Runs template 3000 with a procedure that leaves the focus to the dialog
// manager (FALSE from WM_INITDIALOG) and calls check on the first timer tick,
// once the paints that showing the dialog caused are done.
INT_PTR RunAndLookAtFirstTick(std::function<void(HWND)> init, std::function<void(HWND)> check) {
  static std::function<void(HWND)> s_init, s_check;
  s_init = std::move(init);
  s_check = std::move(check);
  return DialogBoxParamA(
      GetModuleHandleA(nullptr), MAKEINTRESOURCEA(3000), nullptr,
      [](HWND dlg, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
          s_init(dlg);
          SetTimer(dlg, 1, 10, nullptr);
          return FALSE;
        }
        if (message == WM_TIMER) {
          KillTimer(dlg, 1);
          s_check(dlg);
          EndDialog(dlg, 9);
          return TRUE;
        }
        return FALSE;
      },
      0);
}

// Screen pixels of hwnd's client area that have the given colour.
int CountPixels(HWND hwnd, COLORREF colour) {
  RECT r;
  GetClientRect(hwnd, &r);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  int n = 0;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) n += headless::ScreenPixel(origin.x + x, origin.y + y) == colour;
  return n;
}

TEST_F(Dialogs, AControlFocusedWhileTheDialogIsShownStaysDrawn) {
  // The edit gets the focus, and paints, before the dialog under it paints.
  INT_PTR result = RunAndLookAtFirstTick([](HWND dlg) { SetDlgItemTextA(dlg, 3020, "42"); },
                                         [](HWND dlg) {
                                           HWND edit = GetDlgItem(dlg, 3020);
                                           EXPECT_EQ(GetFocus(), edit);
                                           EXPECT_GT(CountPixels(edit, GetSysColor(COLOR_WINDOW)), 0)
                                               << "the edit's white face";
                                           EXPECT_GT(CountPixels(edit, GetSysColor(COLOR_WINDOWTEXT)), 0)
                                               << "its text";
                                         });
  EXPECT_EQ(result, 9);
}

TEST_F(Dialogs, AParentPaintingPartOfItselfLeavesTheRestAlone) {
  RunAndLookAtFirstTick([](HWND) {},
                        [](HWND dlg) {
                          HWND edit = GetDlgItem(dlg, 3022);
                          int white = CountPixels(edit, GetSysColor(COLOR_WINDOW));
                          ASSERT_GT(white, 0);
                          // Only a corner of the dialog, far from the edit, needs painting.
                          RECT corner{0, 0, 4, 4};
                          InvalidateRect(dlg, &corner, TRUE);
                          UpdateWindow(dlg);
                          EXPECT_EQ(CountPixels(edit, GetSysColor(COLOR_WINDOW)), white);
                        });
}

TEST_F(Dialogs, AnIconControlTakesTheSizeOfItsIconAndShowsIt) {
  // The template's ICON statement gives the control no size of its own.
  RunAndLookAtFirstTick([](HWND) {},
                        [](HWND dlg) {
                          HWND icon = GetDlgItem(dlg, 3015);
                          RECT r;
                          GetClientRect(icon, &r);
                          EXPECT_EQ(r.right, 32);
                          EXPECT_EQ(r.bottom, 32);
                          POINT origin{0, 0};
                          ClientToScreen(icon, &origin);
                          // The 32-bit image of icon 100: (8x, 8y, 0x40).
                          EXPECT_EQ(headless::ScreenPixel(origin.x + 10, origin.y + 12), RGB(80, 96, 0x40));
                          EXPECT_EQ(headless::ScreenPixel(origin.x + 31, origin.y + 31), RGB(248, 248, 0x40));
                        });
}

TEST(DialogTemplates, MalformedAreRefused) {
  using plat::dlg::DialogTemplate;
  using plat::dlg::ParseDialogTemplate;
  // style, ex style, count 1, x y cx cy, no menu, no class, empty title.
  std::vector<uint8_t> t = {0, 0, 0, 0x80, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 10, 0, 10, 0, 0, 0, 0, 0, 0, 0};
  DialogTemplate out;
  EXPECT_FALSE(ParseDialogTemplate(t.data(), t.size(), &out));  // the item is missing
  t[8] = 0xFF;
  t[9] = 0xFF;  // 65535 items
  EXPECT_FALSE(ParseDialogTemplate(t.data(), t.size(), &out));
  t[8] = t[9] = 0;
  EXPECT_TRUE(ParseDialogTemplate(t.data(), t.size(), &out));
  for (size_t n = 0; n < t.size(); ++n) EXPECT_FALSE(ParseDialogTemplate(t.data(), n, &out)) << n;
  // An unterminated title runs into the end.
  std::vector<uint8_t> title = {0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'A', 0};
  EXPECT_FALSE(ParseDialogTemplate(title.data(), title.size(), &out));
  std::vector<plat::dlg::MenuEntry> menu;
  std::vector<uint8_t> m = {0, 0, 0, 0, 0x10, 0, 'A', 0};  // a pop-up with no items, cut short
  EXPECT_FALSE(plat::dlg::ParseMenuTemplate(m.data(), m.size(), &menu));
}

}  // namespace
