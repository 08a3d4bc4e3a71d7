// "SCROLLBAR" controls (SB_CTL). The mouse and keys send WM_HSCROLL or
// WM_VSCROLL to the parent; the parent moves the thumb with SetScrollPos.
#include <strings.h>

#include <algorithm>

#include "user/dialogs_internal.h"
#include "user/dialogs_paint.h"

namespace plat::dlg {
namespace {

constexpr UINT_PTR kRepeatTimer = 0x5B01;

struct ScrollState {
  int min = 0, max = 100, pos = 0;
  bool focused = false;
  int pressedPart = -1;  // kLineLess ... while the mouse button is down
  bool dragging = false;
  int dragOffset = 0;    // mouse offset inside the thumb
  int trackPos = 0;
};
using States = ControlStates<ScrollState>;

enum Part { kLineLess, kLineMore, kPageLess, kPageMore, kThumb };

bool Vertical(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_STYLE) & SBS_VERT) != 0; }

struct Geometry {
  int length = 0;  // along the bar
  int arrow = 0;   // size of each arrow button
  int thumbStart = 0, thumbSize = 0;
};

Geometry Measure(HWND hwnd, const ScrollState& s, int pos) {
  RECT r;
  GetClientRect(hwnd, &r);
  Geometry g;
  bool vertical = Vertical(hwnd);
  g.length = vertical ? r.bottom : r.right;
  int thickness = vertical ? r.right : r.bottom;
  g.arrow = std::min(thickness, g.length / 2);
  int track = g.length - 2 * g.arrow;
  g.thumbSize = std::min(std::max(thickness, 8), track);
  int range = s.max - s.min;
  int room = track - g.thumbSize;
  g.thumbStart = g.arrow + (range > 0 && room > 0 ? static_cast<int>(static_cast<long long>(pos - s.min) * room / range) : 0);
  return g;
}

int PartAt(HWND hwnd, const ScrollState& s, int along) {
  Geometry g = Measure(hwnd, s, s.pos);
  if (along < g.arrow) return kLineLess;
  if (along >= g.length - g.arrow) return kLineMore;
  if (along < g.thumbStart) return kPageLess;
  if (along >= g.thumbStart + g.thumbSize) return kPageMore;
  return kThumb;
}

RECT Span(HWND hwnd, int from, int to) {
  RECT r;
  GetClientRect(hwnd, &r);
  return Vertical(hwnd) ? RECT{0, from, r.right, to} : RECT{from, 0, to, r.bottom};
}

void DrawArrow(HDC hdc, const RECT& box, int direction, bool pushed, bool vertical) {
  RECT in = DrawEdge3D(hdc, box, pushed ? Edge::kStatic : Edge::kRaised);
  Fill(hdc, in, COLOR_BTNFACE);
  int cx = (box.left + box.right) / 2 + (pushed ? 1 : 0), cy = (box.top + box.bottom) / 2 + (pushed ? 1 : 0);
  COLORREF black = GetSysColor(COLOR_BTNTEXT);
  for (int i = 0; i < 4; ++i) {
    // direction -1 points left/up, +1 right/down; i counts from the tip.
    int offset = direction < 0 ? -2 + i : 1 - i;
    if (vertical)
      Fill(hdc, RECT{cx - i, cy + offset, cx + i + 1, cy + offset + 1}, black);
    else
      Fill(hdc, RECT{cx + offset, cy - i, cx + offset + 1, cy + i + 1}, black);
  }
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  if (!hdc) return;
  ScrollState& s = States::Of(hwnd);
  bool vertical = Vertical(hwnd);
  Geometry g = Measure(hwnd, s, s.dragging ? s.trackPos : s.pos);
  // The trough: a checker of face and highlight, as classic scroll bars show it.
  RECT trough = Span(hwnd, g.arrow, g.length - g.arrow);
  COLORREF face = GetSysColor(COLOR_BTNFACE), hilight = GetSysColor(COLOR_BTNHIGHLIGHT);
  for (int y = trough.top; y < trough.bottom; ++y)
    for (int x = trough.left; x < trough.right; ++x)
      Fill(hdc, RECT{x, y, x + 1, y + 1}, ((x + y) & 1) ? face : hilight);
  if (s.pressedPart == kPageLess) Fill(hdc, Span(hwnd, g.arrow, g.thumbStart), RGB(0, 0, 0));
  if (s.pressedPart == kPageMore) Fill(hdc, Span(hwnd, g.thumbStart + g.thumbSize, g.length - g.arrow), RGB(0, 0, 0));
  DrawArrow(hdc, Span(hwnd, 0, g.arrow), -1, s.pressedPart == kLineLess, vertical);
  DrawArrow(hdc, Span(hwnd, g.length - g.arrow, g.length), 1, s.pressedPart == kLineMore, vertical);
  if (s.max > s.min && g.length - 2 * g.arrow > g.thumbSize) {
    RECT thumb = Span(hwnd, g.thumbStart, g.thumbStart + g.thumbSize);
    Fill(hdc, DrawEdge3D(hdc, thumb, Edge::kRaised), COLOR_BTNFACE);
    if (s.focused) {
      RECT focus = thumb;
      InflateRect(&focus, -3, -3);
      DrawFocusRect3D(hdc, focus);
    }
  }
  EndPaint(hwnd, &ps);
}

void Send(HWND hwnd, int code, int pos = 0) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  UINT message = Vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL;
  SendMessageA(parent, message, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(hwnd));
}

int CodeOf(int part) {
  switch (part) {
    case kLineLess: return SB_LINELEFT;
    case kLineMore: return SB_LINERIGHT;
    case kPageLess: return SB_PAGELEFT;
    case kPageMore: return SB_PAGERIGHT;
  }
  return SB_ENDSCROLL;
}

int Along(HWND hwnd, LPARAM lParam) {
  return Vertical(hwnd) ? static_cast<short>(HIWORD(lParam)) : static_cast<short>(LOWORD(lParam));
}

void Redraw(HWND hwnd) {
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
}

int SetPos(HWND hwnd, int pos, bool redraw) {
  ScrollState& s = States::Of(hwnd);
  int old = s.pos;
  s.pos = std::clamp(pos, std::min(s.min, s.max), std::max(s.min, s.max));
  if (redraw && s.pos != old) Redraw(hwnd);
  return old;
}

}  // namespace

LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      States::Of(hwnd).focused = message == WM_SETFOCUS;
      Redraw(hwnd);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      ScrollState& s = States::Of(hwnd);
      if (GetWindowLongA(hwnd, GWL_STYLE) & WS_TABSTOP) SetFocus(hwnd);
      SetCapture(hwnd);
      int along = Along(hwnd, lParam);
      int part = PartAt(hwnd, s, along);
      if (part == kThumb) {
        s.dragging = true;
        s.trackPos = s.pos;
        s.dragOffset = along - Measure(hwnd, s, s.pos).thumbStart;
        return 0;
      }
      s.pressedPart = part;
      Redraw(hwnd);
      Send(hwnd, CodeOf(part));
      SetTimer(hwnd, kRepeatTimer, 400, nullptr);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kRepeatTimer) {
        ScrollState& s = States::Of(hwnd);
        if (s.pressedPart < 0) return 0;
        SetTimer(hwnd, kRepeatTimer, 50, nullptr);
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd, &pt);
        int along = Vertical(hwnd) ? pt.y : pt.x;
        int now = PartAt(hwnd, s, along);
        // Paging stops when the thumb reaches the mouse.
        if (now == s.pressedPart) Send(hwnd, CodeOf(s.pressedPart));
      }
      return 0;
    case WM_MOUSEMOVE: {
      ScrollState& s = States::Of(hwnd);
      if (!s.dragging) return 0;
      Geometry g = Measure(hwnd, s, s.pos);
      int room = g.length - 2 * g.arrow - g.thumbSize;
      int start = Along(hwnd, lParam) - s.dragOffset - g.arrow;
      int pos = s.min;
      if (room > 0) {
        // Round to the nearest position.
        long long scaled = static_cast<long long>(std::clamp(start, 0, room)) * (s.max - s.min);
        pos = s.min + static_cast<int>((scaled + room / 2) / room);
      }
      if (pos != s.trackPos) {
        s.trackPos = pos;
        Send(hwnd, SB_THUMBTRACK, pos);
        Redraw(hwnd);
      }
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
      ScrollState& s = States::Of(hwnd);
      bool wasDragging = s.dragging, wasPressed = s.pressedPart >= 0;
      s.dragging = false;
      s.pressedPart = -1;
      KillTimer(hwnd, kRepeatTimer);
      if (message == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
      if (wasDragging) Send(hwnd, SB_THUMBPOSITION, s.trackPos);
      if (wasDragging || wasPressed) {
        Send(hwnd, SB_ENDSCROLL);
        Redraw(hwnd);
      }
      return 0;
    }
    case WM_KEYDOWN: {
      int code = -1;
      switch (wParam) {
        case VK_LEFT: case VK_UP: code = SB_LINELEFT; break;
        case VK_RIGHT: case VK_DOWN: code = SB_LINERIGHT; break;
        case VK_PRIOR: code = SB_PAGELEFT; break;
        case VK_NEXT: code = SB_PAGERIGHT; break;
        case VK_HOME: code = SB_LEFT; break;
        case VK_END: code = SB_RIGHT; break;
      }
      if (code >= 0) {
        Send(hwnd, code);
        Send(hwnd, SB_ENDSCROLL);
      }
      return 0;
    }
    case SBM_SETPOS:
      return SetPos(hwnd, static_cast<int>(wParam), lParam != 0);
    case SBM_GETPOS:
      return States::Of(hwnd).pos;
    case SBM_SETRANGE: {
      ScrollState& s = States::Of(hwnd);
      s.min = static_cast<int>(wParam);
      s.max = static_cast<int>(lParam);
      SetPos(hwnd, s.pos, false);
      return s.pos;
    }
    case SBM_GETRANGE:
      if (wParam) *reinterpret_cast<int*>(wParam) = States::Of(hwnd).min;
      if (lParam) *reinterpret_cast<int*>(lParam) = States::Of(hwnd).max;
      return 0;
    case WM_NCDESTROY:
      KillTimer(hwnd, kRepeatTimer);
      States::Drop(hwnd);
      break;
  }
  return ControlDefault(hwnd, message, wParam, lParam);
}

}  // namespace plat::dlg

namespace {

bool IsScrollBarControl(HWND hwnd) {
  char name[16];
  return GetClassNameA(hwnd, name, sizeof name) && strcasecmp(name, "SCROLLBAR") == 0;
}

}  // namespace

extern "C" {

int WINAPI SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw) {
  if (nBar != SB_CTL || !IsScrollBarControl(hWnd)) return 0;
  return static_cast<int>(SendMessageA(hWnd, SBM_SETPOS, static_cast<WPARAM>(nPos), bRedraw));
}

int WINAPI GetScrollPos(HWND hWnd, int nBar) {
  if (nBar != SB_CTL || !IsScrollBarControl(hWnd)) return 0;
  return static_cast<int>(SendMessageA(hWnd, SBM_GETPOS, 0, 0));
}

BOOL WINAPI SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
  if (nBar != SB_CTL || !IsScrollBarControl(hWnd)) return FALSE;
  SendMessageA(hWnd, SBM_SETRANGE, static_cast<WPARAM>(nMinPos), nMaxPos);
  if (bRedraw) InvalidateRect(hWnd, nullptr, FALSE);
  return TRUE;
}

BOOL WINAPI GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos) {
  if (nBar != SB_CTL || !IsScrollBarControl(hWnd) || !lpMinPos || !lpMaxPos) return FALSE;
  SendMessageA(hWnd, SBM_GETRANGE, reinterpret_cast<WPARAM>(lpMinPos), reinterpret_cast<LPARAM>(lpMaxPos));
  return TRUE;
}

}  // extern "C"
