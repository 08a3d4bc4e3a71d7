#include "user/user_state.h"

#include <algorithm>

#include "core/lifecycle.h"

namespace plat::user {
namespace {

State* g_state = nullptr;

// At shutdown windows vanish as they do when a process exits: no messages,
// only the native windows and directory entries go.
void ResetUser() {
  if (!g_state) return;
  for (auto& [value, window] : g_state->windows) {
    UnpublishWindow(window.get());
    if (window->native && HasBackend()) CurrentBackend().DestroyNative(window->native);
    window->native = nullptr;
  }
  delete g_state;
  g_state = nullptr;
  TidyWindowDirectory();
}

}  // namespace

State& S() {
  if (!g_state) {
    g_state = new State;
    RegisterReset(ResetUser);
    g_state->startTime = CurrentBackend().Now();
    g_state->started = true;
  }
  return *g_state;
}

Window* Find(HWND hwnd) {
  auto& windows = S().windows;
  auto it = windows.find(AsValue(hwnd));
  return it == windows.end() ? nullptr : it->second.get();
}

LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = Find(hwnd);
  if (!window || !window->proc) return 0;
  return window->proc(hwnd, message, wParam, lParam);
}

RECT FrameInsets(DWORD style, DWORD exStyle) {
  if (style & WS_CHILD && !(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) &&
      !(exStyle & (WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)))
    return RECT{0, 0, 0, 0};
  int edge = 0;
  bool dialogFrame = (exStyle & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_THICKFRAME));
  if (dialogFrame)
    edge = 3;
  else if (style & WS_THICKFRAME)
    edge = 4;
  else if (style & WS_BORDER)
    edge = 1;
  if (exStyle & WS_EX_CLIENTEDGE) edge += 2;
  if (exStyle & WS_EX_STATICEDGE) edge += 1;
  int caption = (style & WS_CAPTION) == WS_CAPTION ? (exStyle & WS_EX_TOOLWINDOW ? 16 : 18) : 0;
  return RECT{edge, edge + caption, edge, edge};
}

RECT WindowInsets(const Window* window) {
  RECT inset = FrameInsets(window->style, window->exStyle);
  if (window->menu && !(window->style & WS_CHILD)) inset.top += 18;  // SM_CYMENU
  return inset;
}

namespace {

// The parent's client origin on the screen, for a window's own rectangle.
POINT ParentOrigin(const Window* window) {
  if (window->parent) {
    if (Window* parent = Find(window->parent)) return ClientOrigin(parent);
  } else if (window->foreignParent) {
    RECT parent;
    if (HasBackend() && CurrentBackend().ForeignWindowRect(window->foreignParent, &parent))
      return POINT{parent.left, parent.top};
  }
  return POINT{0, 0};
}

}  // namespace

RECT ClientRect(const Window* window) {
  RECT inset = WindowInsets(window);
  LONG width = window->rect.right - window->rect.left - inset.left - inset.right;
  LONG height = window->rect.bottom - window->rect.top - inset.top - inset.bottom;
  return RECT{0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
}

POINT ClientOrigin(const Window* window) {
  POINT origin = ParentOrigin(window);
  RECT inset = WindowInsets(window);
  return POINT{origin.x + window->rect.left + inset.left, origin.y + window->rect.top + inset.top};
}

RECT ScreenRect(const Window* window) {
  POINT o = ClientOrigin(window);
  RECT c = ClientRect(window);
  return RECT{o.x, o.y, o.x + c.right, o.y + c.bottom};
}

RECT WindowScreenRect(const Window* window) {
  POINT o = ParentOrigin(window);
  return RECT{o.x + window->rect.left, o.y + window->rect.top, o.x + window->rect.right,
              o.y + window->rect.bottom};
}

Window* NativeHolder(Window* window) {
  while (window && !window->native) window = window->parent ? Find(window->parent) : nullptr;
  return window;
}

bool VisibleDeep(const Window* window) {
  while (window) {
    if (!(window->style & WS_VISIBLE)) return false;
    if (!window->parent) return true;
    window = Find(window->parent);
  }
  return false;
}

bool IsSelfOrDescendant(HWND ancestor, HWND hwnd) {
  for (Window* w = Find(hwnd); w; w = w->parent ? Find(w->parent) : nullptr)
    if (w->handle == ancestor) return true;
  return false;
}

namespace {

HWND DeepestAt(Window* window, POINT pt) {
  for (HWND child : window->children) {
    Window* c = Find(child);
    if (!c || !(c->style & WS_VISIBLE)) continue;
    RECT r = WindowScreenRect(c);
    if (pt.x < r.left || pt.x >= r.right || pt.y < r.top || pt.y >= r.bottom) continue;
    // Group boxes and plain statics let the mouse through to what lies under them.
    if (CallProc(child, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)) == -1 /* HTTRANSPARENT */) continue;
    return DeepestAt(c, pt);
  }
  return window->handle;
}

}  // namespace

HWND WindowFromScreenPoint(POINT pt) {
  for (HWND top : S().topLevels) {
    Window* w = Find(top);
    if (!w || !(w->style & WS_VISIBLE)) continue;
    RECT r = WindowScreenRect(w);
    if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) return DeepestAt(w, pt);
  }
  return nullptr;
}

}  // namespace plat::user
