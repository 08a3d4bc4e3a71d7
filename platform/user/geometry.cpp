// Window rectangles, coordinate conversion, moving, and where drawing into
// a window lands on its surface.
#include <algorithm>

#include "core/draw_target.h"
#include "user/user_state.h"

using namespace plat;
using namespace plat::user;

namespace {

RECT ScreenBounds() { return RECT{0, 0, CurrentBackend().ScreenWidth(), CurrentBackend().ScreenHeight()}; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.left >= r.right || r.top >= r.bottom) r = RECT{0, 0, 0, 0};
  return r;
}

// Top-left of the window (its client area when `client`) relative to the
// top-left of its native holder's whole window.
POINT HolderOffset(const Window* window, bool client) {
  POINT offset{0, 0};
  if (!window->native && window->parent) {
    if (const Window* parent = Find(window->parent)) {
      offset = HolderOffset(parent, true);
      offset.x += window->rect.left;
      offset.y += window->rect.top;
    }
  }
  if (client) {
    RECT inset = WindowInsets(window);
    offset.x += inset.left;
    offset.y += inset.top;
  }
  return offset;
}

bool MoveInternal(HWND hwnd, int x, int y, int width, int height, bool move, bool size, bool repaint) {
  Window* window = Find(hwnd);
  if (!window) return false;
  RECT old = window->rect;
  RECT now = old;
  if (move) {
    now.right = x + (old.right - old.left);
    now.bottom = y + (old.bottom - old.top);
    now.left = x;
    now.top = y;
  }
  if (size) {
    now.right = now.left + std::max(width, 0);
    now.bottom = now.top + std::max(height, 0);
  }
  if (now.left == old.left && now.top == old.top && now.right == old.right && now.bottom == old.bottom)
    return true;
  bool shown = VisibleDeep(window);
  RECT oldScreen = WindowScreenRect(window);
  window->rect = now;
  if (window->native)
    CurrentBackend().MoveNative(window->native, now.left, now.top, now.right - now.left,
                                now.bottom - now.top);
  if (shown) {
    ExposeScreenArea(oldScreen, hwnd);
    if (repaint) InvalidateClient(window, nullptr, true, true);
  }
  if (now.left != old.left || now.top != old.top) CallProc(hwnd, WM_MOVE, 0, MAKELPARAM(now.left, now.top));
  if (now.right - now.left != old.right - old.left || now.bottom - now.top != old.bottom - old.top)
    CallProc(hwnd, WM_SIZE, 0, MAKELPARAM(now.right - now.left, now.bottom - now.top));
  return true;
}

}  // namespace

namespace plat {

bool GetDrawTarget(HWND hwnd, bool wholeWindow, DrawTarget* out) {
  *out = DrawTarget{};
  if (!hwnd || IsDesktop(hwnd)) {
    Surface* screen = ScreenSurface();
    if (!screen) return false;
    out->hwnd = hwnd;
    out->surface = screen;
    out->clip = RECT{0, 0, screen->width, screen->height};
    return true;
  }
  Window* window = Find(hwnd);
  Window* holder = NativeHolder(window);
  if (!window || !holder || !holder->native->surface) return false;
  Surface* surface = holder->native->surface;
  // Places relative to the native holder only: where the holder itself
  // lies on the screen (a foreign parent's place) would cost the display a
  // question on every blit.
  auto toSurface = [&](POINT offset, RECT size) {
    int x = holder->native->surfaceX + offset.x, y = holder->native->surfaceY + offset.y;
    return RECT{x, y, x + size.right, y + size.bottom};
  };
  RECT own = wholeWindow ? toSurface(HolderOffset(window, false), RECT{0, 0, window->rect.right - window->rect.left,
                                                                       window->rect.bottom - window->rect.top})
                         : toSurface(HolderOffset(window, true), ClientRect(window));
  out->hwnd = hwnd;
  out->native = holder->native;
  out->surface = surface;
  out->originX = own.left;
  out->originY = own.top;
  RECT clip = Intersect(own, RECT{0, 0, surface->width, surface->height});
  for (Window* w = window->parent ? Find(window->parent) : nullptr; w;
       w = w->parent ? Find(w->parent) : nullptr)
    clip = Intersect(clip, toSurface(HolderOffset(w, true), ClientRect(w)));
  // A hidden window has nothing on the screen to draw on.
  if (!VisibleDeep(window)) clip = RECT{0, 0, 0, 0};
  out->clip = clip;
  return true;
}

}  // namespace plat

extern "C" {

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  if (!lpRect) return FALSE;
  if (IsDesktop(hWnd)) {
    *lpRect = ScreenBounds();
    return TRUE;
  }
  if (Window* window = Find(hWnd)) {
    *lpRect = ClientRect(window);
    return TRUE;
  }
  RECT foreign;
  if (hWnd && CurrentBackend().ForeignWindowRect(AsValue(hWnd), &foreign)) {
    *lpRect = RECT{0, 0, foreign.right - foreign.left, foreign.bottom - foreign.top};
    return TRUE;
  }
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  if (!lpRect) return FALSE;
  if (IsDesktop(hWnd)) {
    *lpRect = ScreenBounds();
    return TRUE;
  }
  if (Window* window = Find(hWnd)) {
    *lpRect = WindowScreenRect(window);
    return TRUE;
  }
  if (hWnd && CurrentBackend().ForeignWindowRect(AsValue(hWnd), lpRect)) return TRUE;
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

}  // extern "C"

namespace {

bool ClientScreenOrigin(HWND hwnd, RECT* r) {
  if (Window* window = Find(hwnd)) {
    *r = ScreenRect(window);
    return true;
  }
  return GetWindowRect(hwnd, r);
}

}  // namespace

extern "C" {

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  if (!lpPoint) return FALSE;
  if (IsDesktop(hWnd)) return TRUE;
  RECT r;
  if (!ClientScreenOrigin(hWnd, &r)) return FALSE;
  lpPoint->x += r.left;
  lpPoint->y += r.top;
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  if (!lpPoint) return FALSE;
  if (IsDesktop(hWnd)) return TRUE;
  RECT r;
  if (!ClientScreenOrigin(hWnd, &r)) return FALSE;
  lpPoint->x -= r.left;
  lpPoint->y -= r.top;
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  return MoveInternal(hWnd, X, Y, nWidth, nHeight, true, true, bRepaint != FALSE) ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  Window* window = Find(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!(uFlags & SWP_NOZORDER)) {
    std::vector<HWND>& order = window->parent ? Find(window->parent)->children : S().topLevels;
    if (hWndInsertAfter == HWND_TOPMOST) window->exStyle |= WS_EX_TOPMOST;
    if (hWndInsertAfter == HWND_NOTOPMOST) window->exStyle &= ~WS_EX_TOPMOST;
    order.erase(std::remove(order.begin(), order.end(), hWnd), order.end());
    if (hWndInsertAfter == HWND_BOTTOM) {
      order.push_back(hWnd);
    } else if (hWndInsertAfter == HWND_TOP || hWndInsertAfter == HWND_TOPMOST ||
               hWndInsertAfter == HWND_NOTOPMOST) {
      order.insert(order.begin(), hWnd);
    } else {
      auto after = std::find(order.begin(), order.end(), hWndInsertAfter);
      order.insert(after == order.end() ? order.begin() : after + 1, hWnd);
    }
    if (window->native && order.front() == hWnd) CurrentBackend().RaiseNative(window->native);
  }
  if (!MoveInternal(hWnd, X, Y, cx, cy, !(uFlags & SWP_NOMOVE), !(uFlags & SWP_NOSIZE),
                    !(uFlags & SWP_NOREDRAW)))
    return FALSE;
  if (uFlags & SWP_SHOWWINDOW)
    ShowWindow(hWnd, (uFlags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  else if (uFlags & SWP_HIDEWINDOW)
    ShowWindow(hWnd, SW_HIDE);
  return TRUE;
}

}  // extern "C"

extern "C" {

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
  if (!lpRect) return FALSE;
  RECT inset = FrameInsets(dwStyle, dwExStyle);
  lpRect->left -= inset.left;
  lpRect->top -= inset.top + (bMenu ? GetSystemMetrics(SM_CYMENU) : 0);
  lpRect->right += inset.right;
  lpRect->bottom += inset.bottom;
  return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu) {
  return AdjustWindowRectEx(lpRect, dwStyle, bMenu, 0);
}

}  // extern "C"
