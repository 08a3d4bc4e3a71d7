// Update regions (kept as one rectangle per window), BeginPaint/EndPaint,
// and the desktop showing through where a window went away.
#include <algorithm>

#include "core/draw_target.h"
#include "core/system_palette.h"
#include "gdi/dc_access.h"
#include "user/user_state.h"

using namespace plat;
using namespace plat::user;

namespace {

RECT Intersect(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

void FillScreen(const RECT& area, COLORREF colour) {
  Surface* screen = ScreenSurface();
  if (!screen) return;
  RECT r = Intersect(area, RECT{0, 0, screen->width, screen->height});
  if (Empty(r)) return;
  if (screen->depth == 8) {
    // The nearest colour the palette holds.
    const SystemPalette& palette = TheSystemPalette();
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
      const PALETTEENTRY& e = palette.entries[i];
      int dr = e.peRed - GetRValue(colour), dg = e.peGreen - GetGValue(colour),
          db = e.peBlue - GetBValue(colour);
      int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) best = i, bestDistance = distance;
    }
    for (int y = r.top; y < r.bottom; ++y)
      std::fill_n(screen->pixels + static_cast<size_t>(y) * screen->pitch + r.left, r.right - r.left,
                  static_cast<uint8_t>(best));
  } else {
    uint32_t value = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int y = r.top; y < r.bottom; ++y)
      std::fill_n(
          reinterpret_cast<uint32_t*>(screen->pixels + static_cast<size_t>(y) * screen->pitch) + r.left,
          r.right - r.left, value);
  }
  CurrentBackend().Present(nullptr, &r, 1);
}

}  // namespace

namespace plat::user {

void InvalidateClient(Window* window, const RECT* rect, bool erase, bool children) {
  RECT client = ClientRect(window);
  RECT area = rect ? Intersect(*rect, client) : client;
  if (Empty(area)) return;
  if (window->hasUpdate) {
    window->update =
        RECT{std::min(window->update.left, area.left), std::min(window->update.top, area.top),
             std::max(window->update.right, area.right), std::max(window->update.bottom, area.bottom)};
  } else {
    window->update = area;
    window->hasUpdate = true;
    NoteArrival(QS_PAINT);
  }
  if (erase) window->erase = true;
  if (!children && (window->style & WS_CLIPCHILDREN)) return;
  InvalidateChildren(window, area, erase, children);
}

void InvalidateChildren(Window* window, const RECT& area, bool erase, bool children) {
  for (HWND handle : window->children) {
    Window* child = Find(handle);
    if (!child) continue;
    RECT inChild = Intersect(area, child->rect);
    if (Empty(inChild)) continue;
    RECT inset = FrameInsets(child->style, child->exStyle);
    OffsetRect(&inChild, -child->rect.left - inset.left, -child->rect.top - inset.top);
    InvalidateClient(child, &inChild, erase, children);
  }
}

void ExposeScreenArea(const RECT& screenRect, HWND except) {
  // A native window of its own that goes away uncovers other native windows,
  // which keep their pixels and are shown again by the backend: repainting
  // them would wipe what is drawn outside WM_PAINT (the stages of a dialog).
  Window* gone = Find(except);
  if (gone && gone->native && !ScreenSurface()) return;
  FillScreen(screenRect, GetSysColor(COLOR_BACKGROUND));
  for (HWND top : S().topLevels) {
    Window* window = Find(top);
    if (!window || top == except || !VisibleDeep(window)) continue;
    RECT own = ScreenRect(window);
    RECT overlap = Intersect(screenRect, own);
    if (Empty(overlap)) continue;
    OffsetRect(&overlap, -own.left, -own.top);
    InvalidateClient(window, &overlap, true, true);
  }
}

}  // namespace plat::user

extern "C" {

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  if (!hWnd || IsDesktop(hWnd)) {
    for (HWND top : S().topLevels)
      if (Window* window = Find(top)) InvalidateClient(window, nullptr, bErase != FALSE, true);
    return TRUE;
  }
  Window* window = Find(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  InvalidateClient(window, lpRect, bErase != FALSE, false);
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  if (!lpRect) {
    window->hasUpdate = false;
    window->erase = false;
    return TRUE;
  }
  // One rectangle per window: validating a part that covers it whole empties it.
  const RECT& u = window->update;
  if (lpRect->left <= u.left && lpRect->top <= u.top && lpRect->right >= u.right &&
      lpRect->bottom >= u.bottom) {
    window->hasUpdate = false;
    window->erase = false;
  }
  return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  Window* window = Find(hWnd);
  if (!window || !lpPaint) return nullptr;
  *lpPaint = PAINTSTRUCT{};
  RECT paint = window->hasUpdate ? window->update : RECT{0, 0, 0, 0};
  bool erase = window->erase;
  window->hasUpdate = false;
  window->erase = false;
  // A window without WS_CLIPCHILDREN paints over its children: those under
  // the painted area paint again after it, even if they painted just before.
  if (!(window->style & WS_CLIPCHILDREN) && !Empty(paint)) InvalidateChildren(window, paint, true, true);
  HDC dc = GetDC(hWnd);
  if (dc) SetDcPaintClip(dc, paint);
  lpPaint->hdc = dc;
  lpPaint->rcPaint = paint;
  lpPaint->fErase = TRUE;
  if (erase && dc)
    lpPaint->fErase = CallProc(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  if (lpPaint && lpPaint->hdc) ReleaseDC(hWnd, lpPaint->hdc);
  return TRUE;
}

}  // extern "C"
