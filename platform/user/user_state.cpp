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

RECT ClientRect(const Window* window) {
  return RECT{0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
}

POINT ClientOrigin(const Window* window) {
  POINT origin{window->rect.left, window->rect.top};
  if (window->parent) {
    if (Window* parent = Find(window->parent)) {
      POINT p = ClientOrigin(parent);
      origin.x += p.x;
      origin.y += p.y;
    }
  } else if (window->foreignParent) {
    RECT parent;
    if (HasBackend() && CurrentBackend().ForeignWindowRect(window->foreignParent, &parent)) {
      origin.x += parent.left;
      origin.y += parent.top;
    }
  }
  return origin;
}

RECT ScreenRect(const Window* window) {
  POINT o = ClientOrigin(window);
  RECT c = ClientRect(window);
  return RECT{o.x, o.y, o.x + c.right, o.y + c.bottom};
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
    RECT r = ScreenRect(c);
    if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) return DeepestAt(c, pt);
  }
  return window->handle;
}

}  // namespace

HWND WindowFromScreenPoint(POINT pt) {
  for (HWND top : S().topLevels) {
    Window* w = Find(top);
    if (!w || !(w->style & WS_VISIBLE)) continue;
    RECT r = ScreenRect(w);
    if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) return DeepestAt(w, pt);
  }
  return nullptr;
}

}  // namespace plat::user
