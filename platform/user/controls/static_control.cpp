// "STATIC": text (left, centred, right, word-wrapped), black rectangles,
// etched frames and icons.
#include "core/trace.h"
#include "gdi/dc_access.h"
#include "kernel/icons.h"
#include "user/dialogs_font.h"
#include "user/dialogs_internal.h"
#include "user/dialogs_paint.h"

namespace plat::dlg {
namespace {

struct StaticState {
  HICON icon = nullptr;
};
using States = ControlStates<StaticState>;

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  if (!hdc) return;
  RECT r;
  GetClientRect(hwnd, &r);
  LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  LONG exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
  LONG type = style & SS_TYPEMASK;
  bool transparent = (exStyle & WS_EX_TRANSPARENT) != 0;
  // Edges lie outside the client area: draw them on the whole window.
  if (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) {
    HDC whole = GetDcForWindow(hwnd, true);
    RECT w;
    GetWindowRect(hwnd, &w);
    OffsetRect(&w, -w.left, -w.top);
    if (exStyle & WS_EX_CLIENTEDGE) w = DrawEdge3D(whole, w, Edge::kSunken);
    if (exStyle & WS_EX_STATICEDGE) DrawEdge3D(whole, w, Edge::kStatic);
    ReleaseDC(hwnd, whole);
  }
  switch (type) {
    case SS_BLACKRECT:
      Fill(hdc, r, RGB(0, 0, 0));
      break;
    case SS_GRAYRECT:
      Fill(hdc, r, COLOR_BTNSHADOW);
      break;
    case SS_WHITERECT:
      Fill(hdc, r, COLOR_WINDOW);
      break;
    case SS_BLACKFRAME:
      Frame(hdc, r, RGB(0, 0, 0), RGB(0, 0, 0));
      break;
    case SS_ETCHEDFRAME:
      DrawEdge3D(hdc, r, Edge::kEtched);
      break;
    case SS_ETCHEDHORZ:
      DrawEdge3D(hdc, RECT{r.left, r.top, r.right, r.top + 2}, Edge::kEtched);
      break;
    case SS_ICON: {
      if (!transparent) Fill(hdc, r, COLOR_BTNFACE);
      StaticState* s = States::Find(hwnd);
      if (const IconImage* image = s ? IconPixels(s->icon) : nullptr) {
        int x = 0, y = 0;
        if (style & SS_CENTERIMAGE) x = (r.right - image->width) / 2, y = (r.bottom - image->height) / 2;
        DcDrawArgb(hdc, x, y, image->argb.data(), image->width, image->height);
      }
      break;
    }
    default: {
      if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP)
        PLAT_FIXME("static: style %ld drawn as text", static_cast<long>(type));
      if (!transparent) Fill(hdc, r, COLOR_BTNFACE);
      char text[1024];
      GetWindowTextA(hwnd, text, sizeof text);
      unsigned flags = type == SS_CENTER ? kCenter : type == SS_RIGHT ? kRight : kLeft;
      if (type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE) flags |= kWrap;
      if (style & SS_NOPREFIX) flags |= kNoPrefix;
      COLORREF colour = (style & WS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_WINDOWTEXT);
      DrawTextIn(hdc, ControlFont(hwnd), r, text, flags, colour);
    }
  }
  EndPaint(hwnd, &ps);
}

// An icon control takes the size of its icon (templates give it none), unless
// it centres the icon in the size it was given.
void FitToIcon(HWND hwnd, HICON icon) {
  LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  if ((style & SS_TYPEMASK) != SS_ICON || (style & (SS_CENTERIMAGE | SS_REALSIZECONTROL))) return;
  const IconImage* image = IconPixels(icon);
  if (!image) return;
  RECT inner{0, 0, image->width, image->height};
  DWORD exStyle = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
  AdjustWindowRectEx(&inner, static_cast<DWORD>(style), FALSE, exStyle);
  SetWindowPos(hwnd, nullptr, 0, 0, inner.right - inner.left, inner.bottom - inner.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT (or left to show through)
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcA(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case STM_SETICON: {
      StaticState& s = States::Of(hwnd);
      HICON old = s.icon;
      s.icon = reinterpret_cast<HICON>(wParam);
      FitToIcon(hwnd, s.icon);
      InvalidateRect(hwnd, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETICON: {
      StaticState* s = States::Find(hwnd);
      return reinterpret_cast<LRESULT>(s ? s->icon : nullptr);
    }
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_NCHITTEST:
      return (GetWindowLongA(hwnd, GWL_STYLE) & SS_NOTIFY) ? 1 : -1;  // HTTRANSPARENT
    case WM_NCDESTROY:
      States::Drop(hwnd);
      break;
  }
  return ControlDefault(hwnd, message, wParam, lParam);
}

}  // namespace plat::dlg
