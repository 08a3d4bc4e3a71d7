// The up-down control "msctls_updown32": two arrow buttons beside a buddy
// window. Each click moves the position one step and sends WM_VSCROLL
// (SB_THUMBPOSITION with the position, then SB_ENDSCROLL) to the parent.
// The default range runs from 100 down to 0, so the up arrow lowers the
// position, as on Windows.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "core/trace.h"
#include "user/dialogs_internal.h"
#include "user/dialogs_paint.h"
#include "user/user_state.h"

namespace plat::dlg {
namespace {

struct UpDownState {
  int lower = 100, upper = 0, pos = 0;
  HWND buddy = nullptr;
  int pressed = 0;  // +1 up arrow, -1 down arrow
};
using States = ControlStates<UpDownState>;

LONG StyleOf(HWND hwnd) { return GetWindowLongA(hwnd, GWL_STYLE); }

void PlaceBeside(HWND hwnd, HWND buddy) {
  LONG style = StyleOf(hwnd);
  if (!buddy || !(style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) return;
  RECT b, own;
  GetWindowRect(buddy, &b);
  GetWindowRect(hwnd, &own);
  HWND parent = GetParent(hwnd);
  POINT tl{b.left, b.top};
  ScreenToClient(parent, &tl);
  int width = own.right - own.left, height = b.bottom - b.top, buddyWidth = b.right - b.left;
  // The buddy gives up the room the arrows take.
  int newBuddyWidth = std::max(0, buddyWidth - width + 2);
  if (style & UDS_ALIGNRIGHT) {
    MoveWindow(buddy, tl.x, tl.y, newBuddyWidth, height, TRUE);
    MoveWindow(hwnd, tl.x + newBuddyWidth - 2, tl.y, width, height, TRUE);
  } else {
    MoveWindow(buddy, tl.x + width - 2, tl.y, newBuddyWidth, height, TRUE);
    MoveWindow(hwnd, tl.x, tl.y, width, height, TRUE);
  }
}

void SetBuddyText(HWND hwnd, const UpDownState& s) {
  if (!(StyleOf(hwnd) & UDS_SETBUDDYINT) || !s.buddy) return;
  char text[16];
  std::snprintf(text, sizeof text, "%d", s.pos);
  SetWindowTextA(s.buddy, text);
}

void Redraw(HWND hwnd) {
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
}

void Step(HWND hwnd, int direction) {
  UpDownState& s = States::Of(hwnd);
  // Up means toward the upper bound of the range, whichever way it runs.
  int delta = s.upper >= s.lower ? direction : -direction;
  int lo = std::min(s.lower, s.upper), hi = std::max(s.lower, s.upper);
  int next = s.pos + delta;
  if (next < lo || next > hi) next = (StyleOf(hwnd) & UDS_WRAP) ? (next < lo ? hi : lo) : std::clamp(next, lo, hi);
  s.pos = next;
  SetBuddyText(hwnd, s);
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  UINT message = (StyleOf(hwnd) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
  SendMessageA(parent, message, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(s.pos)),
               reinterpret_cast<LPARAM>(hwnd));
  if (IsWindow(hwnd))
    SendMessageA(parent, message, MAKEWPARAM(SB_ENDSCROLL, static_cast<WORD>(s.pos)),
                 reinterpret_cast<LPARAM>(hwnd));
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  if (!hdc) return;
  RECT r;
  GetClientRect(hwnd, &r);
  UpDownState& s = States::Of(hwnd);
  int half = r.bottom / 2;
  RECT up{0, 0, r.right, half}, down{0, half, r.right, r.bottom};
  COLORREF black = GetSysColor(COLOR_BTNTEXT);
  for (int which = 0; which < 2; ++which) {
    RECT box = which ? down : up;
    bool pushed = s.pressed == (which ? -1 : 1);
    Fill(hdc, DrawEdge3D(hdc, box, pushed ? Edge::kStatic : Edge::kRaised), COLOR_BTNFACE);
    int cx = (box.left + box.right) / 2 - 1 + (pushed ? 1 : 0), cy = (box.top + box.bottom) / 2 + (pushed ? 1 : 0);
    for (int i = 0; i < 3; ++i) {
      int y = which ? cy - 1 + i : cy + 1 - i;
      Fill(hdc, RECT{cx - 2 + i, y, cx + 3 - i, y + 1}, black);
    }
  }
  EndPaint(hwnd, &ps);
}

HWND PreviousSibling(HWND hwnd) {
  user::Window* parent = user::Find(GetParent(hwnd));
  if (!parent) return nullptr;
  HWND previous = nullptr;
  for (HWND child : parent->children) {
    if (child == hwnd) return previous;
    previous = child;
  }
  return nullptr;
}

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (StyleOf(hwnd) & UDS_ARROWKEYS) PLAT_FIXME("up-down: UDS_ARROWKEYS (the arrow keys do not step it)");
      if (StyleOf(hwnd) & UDS_AUTOBUDDY) {
        UpDownState& s = States::Of(hwnd);
        s.buddy = PreviousSibling(hwnd);
        PlaceBeside(hwnd, s.buddy);
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      RECT r;
      GetClientRect(hwnd, &r);
      int y = static_cast<short>(HIWORD(lParam));
      UpDownState& s = States::Of(hwnd);
      s.pressed = y < r.bottom / 2 ? 1 : -1;
      SetCapture(hwnd);
      Redraw(hwnd);
      Step(hwnd, s.pressed);
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (UpDownState* s = States::Find(hwnd)) {
        s->pressed = 0;
        if (message == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
        Redraw(hwnd);
      }
      return 0;
    case UDM_SETRANGE: {
      UpDownState& s = States::Of(hwnd);
      s.upper = static_cast<short>(LOWORD(lParam));
      s.lower = static_cast<short>(HIWORD(lParam));
      return 0;
    }
    case UDM_GETRANGE: {
      UpDownState& s = States::Of(hwnd);
      return MAKELONG(static_cast<WORD>(s.upper), static_cast<WORD>(s.lower));
    }
    case UDM_SETRANGE32: {
      UpDownState& s = States::Of(hwnd);
      s.lower = static_cast<int>(wParam);
      s.upper = static_cast<int>(lParam);
      return 0;
    }
    case UDM_SETPOS:
    case UDM_SETPOS32: {
      UpDownState& s = States::Of(hwnd);
      int old = s.pos;
      int value = message == UDM_SETPOS ? static_cast<short>(LOWORD(lParam)) : static_cast<int>(lParam);
      s.pos = std::clamp(value, std::min(s.lower, s.upper), std::max(s.lower, s.upper));
      SetBuddyText(hwnd, s);
      return old;
    }
    case UDM_GETPOS:
      return MAKELONG(static_cast<WORD>(States::Of(hwnd).pos), 0);
    case UDM_GETPOS32:
      return States::Of(hwnd).pos;
    case UDM_SETBUDDY: {
      UpDownState& s = States::Of(hwnd);
      HWND old = s.buddy;
      s.buddy = reinterpret_cast<HWND>(wParam);
      PlaceBeside(hwnd, s.buddy);
      return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
      return reinterpret_cast<LRESULT>(States::Of(hwnd).buddy);
    case UDM_GETRANGE32: {
      UpDownState& s = States::Of(hwnd);
      if (wParam) *reinterpret_cast<int*>(wParam) = s.lower;
      if (lParam) *reinterpret_cast<int*>(lParam) = s.upper;
      return 0;
    }
    case UDM_GETBASE:
      return 10;
    case UDM_SETBASE:
      if (wParam == 10) return 10;
      PLAT_FIXME("up-down: base %u (decimal only)", static_cast<unsigned>(wParam));
      return 0;
    case UDM_SETACCEL:
    case UDM_GETACCEL:
      PLAT_FIXME("up-down: message %#x", message);
      return 0;
    case WM_NCDESTROY:
      States::Drop(hwnd);
      break;
  }
  return ControlDefault(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterUpDownClass() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = UpDownProc;
  wc.lpszClassName = UPDOWN_CLASSA;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  RegisterClassA(&wc);
}

}  // namespace plat::dlg

extern "C" {

void WINAPI InitCommonControls(void) { plat::dlg::RegisterSystemClasses(); }

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
  if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  plat::dlg::RegisterSystemClasses();
  return TRUE;
}

}  // extern "C"
