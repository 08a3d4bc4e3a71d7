// Activation, focus and mouse capture. The program has one active top-level
// window while it is the active program; WM_ACTIVATEAPP tells every
// top-level window when that changes.
#include <algorithm>

#include "user/user_state.h"

using namespace plat;
using namespace plat::user;

namespace {

HWND TopOf(HWND hwnd) {
  Window* window = Find(hwnd);
  while (window && window->parent) window = Find(window->parent);
  return window ? window->handle : nullptr;
}

void TellApp(bool active) {
  std::vector<HWND> tops = S().topLevels;
  for (HWND top : tops) CallProc(top, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

void KillFocus(HWND next) {
  State& s = S();
  HWND old = s.focus;
  if (!old) return;
  s.focus = nullptr;
  CallProc(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
}

void Deactivate(HWND old, HWND next) {
  if (!old || !Find(old)) return;
  CallProc(old, WM_NCACTIVATE, FALSE, 0);
  CallProc(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(next));
}

}  // namespace

namespace plat::user {

void ActivateWindow(HWND hwnd, int how) {
  State& s = S();
  Window* window = Find(hwnd);
  if (!window || window->parent || window->destroying) return;
  bool appWasActive = s.appActive;
  HWND old = appWasActive ? s.active : nullptr;
  if (old == hwnd) return;
  if (!appWasActive) {
    s.appActive = true;
    TellApp(true);
  }
  if (old) Deactivate(old, hwnd);
  if (s.focus && old && IsSelfOrDescendant(old, s.focus)) KillFocus(hwnd);
  if (!Find(hwnd)) return;
  s.active = hwnd;
  s.lastActive = hwnd;
  auto& order = s.topLevels;
  order.erase(std::remove(order.begin(), order.end(), hwnd), order.end());
  order.insert(order.begin(), hwnd);
  if (Find(hwnd)->native) CurrentBackend().RaiseNative(Find(hwnd)->native);
  CallProc(hwnd, WM_NCACTIVATE, TRUE, 0);
  CallProc(hwnd, WM_ACTIVATE, MAKEWPARAM(how, 0), reinterpret_cast<LPARAM>(old));
}

void DeactivateApp() {
  State& s = S();
  if (!s.appActive) return;
  HWND old = s.active;
  Deactivate(old, nullptr);
  s.appActive = false;
  s.active = nullptr;
  TellApp(false);
  KillFocus(nullptr);
}

void ReactivateApp() {
  State& s = S();
  if (s.appActive) return;
  HWND target = nullptr;
  if (Window* last = Find(s.lastActive); last && (last->style & WS_VISIBLE)) target = last->handle;
  for (HWND top : s.topLevels) {
    if (target) break;
    Window* window = Find(top);
    if (window && (window->style & WS_VISIBLE) && !window->foreignParent) target = top;
  }
  if (target) {
    ActivateWindow(target, WA_ACTIVE);
  } else {
    s.appActive = true;
    TellApp(true);
  }
}

void ForgetWindow(HWND hwnd) {
  State& s = S();
  if (s.capture && IsSelfOrDescendant(hwnd, s.capture)) s.capture = nullptr;
  if (s.focus && IsSelfOrDescendant(hwnd, s.focus)) KillFocus(nullptr);
  if (s.lastActive == hwnd) s.lastActive = nullptr;
  if (s.active != hwnd) return;
  Deactivate(hwnd, nullptr);
  s.active = nullptr;
  for (HWND top : s.topLevels) {
    Window* window = Find(top);
    if (top != hwnd && window && (window->style & WS_VISIBLE) && !window->destroying) {
      ActivateWindow(top, WA_ACTIVE);
      break;
    }
  }
}

}  // namespace plat::user

extern "C" {

HWND WINAPI SetActiveWindow(HWND hWnd) {
  State& s = S();
  HWND old = s.appActive ? s.active : nullptr;
  Window* window = Find(hWnd);
  if (!window || window->parent) return nullptr;
  ActivateWindow(hWnd, WA_ACTIVE);
  return old;
}

HWND WINAPI GetActiveWindow(void) { return S().appActive ? S().active : nullptr; }

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
  if (Find(hWnd)) {
    HWND top = TopOf(hWnd);
    ActivateWindow(top, WA_ACTIVE);
    if (Window* window = Find(top); window && window->native) CurrentBackend().RaiseNative(window->native);
    return TRUE;
  }
  if (!hWnd) return FALSE;
  uint64_t id = AsValue(hWnd);
  if (RemoteWindowAlive(id)) return ActivateRemoteWindow(id) ? TRUE : FALSE;
  return CurrentBackend().ForeignWindowExists(id) ? TRUE : FALSE;
}

HWND WINAPI GetForegroundWindow(void) { return S().appActive ? S().active : nullptr; }

HWND WINAPI SetFocus(HWND hWnd) {
  State& s = S();
  HWND old = s.focus;
  if (!hWnd) {
    KillFocus(nullptr);
    return old;
  }
  Window* window = Find(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HWND top = TopOf(hWnd);
  if (!s.appActive || s.active != top) ActivateWindow(top, WA_ACTIVE);
  if (s.focus == hWnd || !Find(hWnd)) return old;
  old = s.focus;
  if (old) {
    s.focus = nullptr;
    CallProc(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
  }
  if (!Find(hWnd)) return old;
  s.focus = hWnd;
  CallProc(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND WINAPI GetFocus(void) { return S().focus; }

HWND WINAPI SetCapture(HWND hWnd) {
  State& s = S();
  HWND old = s.capture;
  if (!Find(hWnd)) return old;
  s.capture = hWnd;
  if (old && old != hWnd) CallProc(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
  return old;
}

BOOL WINAPI ReleaseCapture(void) {
  State& s = S();
  HWND old = s.capture;
  s.capture = nullptr;
  if (old) CallProc(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND WINAPI GetCapture(void) { return S().capture; }

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd) {
  return hWndParent && hWnd != hWndParent && IsSelfOrDescendant(hWndParent, hWnd) ? TRUE : FALSE;
}

HWND WINAPI WindowFromPoint(POINT Point) { return WindowFromScreenPoint(Point); }

}  // extern "C"
