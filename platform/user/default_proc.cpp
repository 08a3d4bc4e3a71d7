// DefWindowProcA: what a window does with a message its procedure passes on.
#include <algorithm>
#include <cstring>

#include "core/trace.h"
#include "user/user_state.h"

using namespace plat;
using namespace plat::user;

namespace {

// A class brush may be a system colour index plus one.
HBRUSH ClassBrush(const Window* window) {
  HBRUSH brush = window->cls->info.hbrBackground;
  uintptr_t value = reinterpret_cast<uintptr_t>(brush);
  if (value > 0 && value <= COLOR_INFOBK + 1) return GetSysColorBrush(static_cast<int>(value - 1));
  return brush;
}

void SetText(Window* window, const char* text) {
  window->text = text ? text : "";
  if (window->published) PublishWindow(window);
}

}  // namespace

extern "C" LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Window* window = Find(hWnd);
  if (!window) return 0;
  switch (Msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) SetText(window, cs->lpszName);
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE)
        SendMessageA(hWnd, WM_CLOSE, 0, 0);
      else
        PLAT_FIXME("DefWindowProcA: system command %#x", static_cast<unsigned>(wParam & 0xFFF0));
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F1 + 3 && (lParam & (1L << 29)) && !window->parent)  // Alt+F4
        PostMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_ERASEBKGND: {
      HBRUSH brush = ClassBrush(window);
      if (!brush || !wParam) return 0;
      RECT client = ClientRect(window);
      FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hWnd, &ps))
        EndPaint(hWnd, &ps);
      else
        ValidateRect(hWnd, nullptr);
      return 0;
    }
    case WM_SETTEXT:
      SetText(window, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(lParam);
      if (!buffer || wParam == 0) return 0;
      size_t n = std::min(window->text.size(), static_cast<size_t>(wParam) - 1);
      std::memcpy(buffer, window->text.data(), n);
      buffer[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(window->text.size());
    case WM_SETCURSOR:
      if (window->parent && SendMessageA(window->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (LOWORD(lParam) == 1 /* HTCLIENT */ && window->cls->info.hCursor) {
        SetCursor(window->cls->info.hCursor);
        return TRUE;
      }
      return FALSE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hWnd);
      return 0;
    case WM_NCACTIVATE:
      return TRUE;
    case WM_MOUSEACTIVATE:
      return 1;  // MA_ACTIVATE
    case WM_NCHITTEST:
      return 1;  // HTCLIENT
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(GetSysColorBrush(
          Msg == WM_CTLCOLOREDIT || Msg == WM_CTLCOLORLISTBOX ? COLOR_WINDOW : COLOR_3DFACE));
  }
  return 0;
}
