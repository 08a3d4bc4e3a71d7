// Creating and destroying windows, and their simple properties.
#include <algorithm>
#include <cstring>

#include "core/trace.h"
#include "user/user_state.h"

namespace plat::user {

std::shared_ptr<WindowClass> FindClass(LPCSTR name);

namespace {

HWND NewHandle() {
  State& s = S();
  for (uintptr_t tries = 0; tries < (kLastHandle - kFirstHandle) / 4 + 1; ++tries) {
    uintptr_t value = s.nextHandle;
    s.nextHandle = value + 4 > kLastHandle ? kFirstHandle : value + 4;
    if (!s.windows.count(value)) return AsHwnd(value);
  }
  return nullptr;
}

bool IsForeignHandle(HWND hwnd) {
  uintptr_t value = AsValue(hwnd);
  if (!value || (value >= kDesktopHandle && value <= kLastHandle)) return false;
  return CurrentBackend().ForeignWindowExists(value) || RemoteWindowAlive(value);
}

void Unlink(Window* window) {
  State& s = S();
  if (window->parent) {
    if (Window* parent = Find(window->parent)) {
      auto& siblings = parent->children;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), window->handle), siblings.end());
    }
  } else {
    s.topLevels.erase(std::remove(s.topLevels.begin(), s.topLevels.end(), window->handle), s.topLevels.end());
  }
}

void SendDestroy(HWND hwnd) {
  CallProc(hwnd, WM_DESTROY, 0, 0);
  Window* window = Find(hwnd);
  if (!window) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children)
    if (Find(child)) SendDestroy(child);
}

void SendNcDestroyAndFree(HWND hwnd) {
  Window* window = Find(hwnd);
  if (!window) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) SendNcDestroyAndFree(child);
  CallProc(hwnd, WM_NCDESTROY, 0, 0);
  window = Find(hwnd);
  if (!window) return;
  PurgeMessagesOf(hwnd);
  KillTimersOf(hwnd);
  UnpublishWindow(window);
  if (window->native) CurrentBackend().DestroyNative(window->native);
  Unlink(window);
  S().windows.erase(AsValue(hwnd));
}

}  // namespace

}  // namespace plat::user

using namespace plat;
using namespace plat::user;

extern "C" {

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X,
                            int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
  State& s = S();
  auto cls = FindClass(lpClassName);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return nullptr;
  }
  if (IsDesktop(hWndParent)) hWndParent = nullptr;
  Window* parent = hWndParent ? Find(hWndParent) : nullptr;
  uint64_t foreign = 0;
  if (hWndParent && !parent) {
    if (!IsForeignHandle(hWndParent)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    foreign = AsValue(hWndParent);
  }
  bool child = (dwStyle & WS_CHILD) && (parent || foreign);
  if ((dwStyle & WS_CHILD) && !hWndParent) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HWND hwnd = NewHandle();
  if (!hwnd) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // An overlapped window always has a caption.
  if (!child && !(dwStyle & WS_POPUP)) dwStyle |= WS_CAPTION | WS_CLIPSIBLINGS;
  // A pop-up or overlapped window with a parent is owned by it, not inside it.
  HWND owner = (!child && parent) ? hWndParent : nullptr;
  if (!child) parent = nullptr;

  if (X == CW_USEDEFAULT) X = Y = 0;
  if (nWidth == CW_USEDEFAULT) {
    nWidth = CurrentBackend().ScreenWidth() * 3 / 4;
    nHeight = CurrentBackend().ScreenHeight() * 3 / 4;
  }
  nWidth = std::max(nWidth, 0);
  nHeight = std::max(nHeight, 0);

  auto window = std::make_unique<Window>();
  Window* w = window.get();
  w->handle = hwnd;
  w->cls = cls;
  w->proc = cls->info.lpfnWndProc;
  w->style = dwStyle & ~WS_VISIBLE;
  w->exStyle = dwExStyle;
  w->parent = parent ? hWndParent : nullptr;
  w->foreignParent = foreign;
  w->owner = owner;
  w->rect = RECT{X, Y, X + nWidth, Y + nHeight};
  w->instance = hInstance;
  if (child)
    w->id = reinterpret_cast<LONG_PTR>(hMenu);
  else
    w->menu = hMenu;
  w->extra.assign(static_cast<size_t>(cls->info.cbWndExtra), 0);
  s.windows[AsValue(hwnd)] = std::move(window);
  if (parent)
    parent->children.push_back(hwnd);
  else
    s.topLevels.insert(s.topLevels.begin(), hwnd);

  if (!parent) {
    TopLevelSpec spec;
    spec.x = X;
    spec.y = Y;
    spec.width = nWidth;
    spec.height = nHeight;
    spec.title = lpWindowName && !IS_INTRESOURCE(lpWindowName) ? lpWindowName : "";
    spec.topMost = (dwExStyle & WS_EX_TOPMOST) != 0;
    spec.fullScreen = !foreign && X <= 0 && Y <= 0 && nWidth >= CurrentBackend().ScreenWidth() &&
                      nHeight >= CurrentBackend().ScreenHeight();
    spec.visible = false;
    spec.foreignParent = foreign;
    w->native = CurrentBackend().CreateNative(spec);
    if (!w->native) {
      Unlink(w);
      s.windows.erase(AsValue(hwnd));
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  }

  CREATESTRUCTA cs{
      lpParam,      hInstance,   hMenu,    hWndParent, nHeight, nWidth, Y, X, static_cast<LONG>(dwStyle),
      lpWindowName, lpClassName, dwExStyle};
  if (!CallProc(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) || !Find(hwnd) ||
      CallProc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1 || !Find(hwnd)) {
    if (Find(hwnd)) DestroyWindow(hwnd);
    return nullptr;
  }
  CallProc(hwnd, WM_SIZE, 0, MAKELPARAM(nWidth, nHeight));
  CallProc(hwnd, WM_MOVE, 0, MAKELPARAM(X, Y));
  if ((dwStyle & WS_VISIBLE) && Find(hwnd)) ShowWindow(hwnd, SW_SHOW);
  return Find(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  Window* window = Find(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->destroying) return TRUE;
  window->destroying = true;
  // Owned pop-ups go first, as they do on Windows.
  std::vector<HWND> owned;
  for (auto& [value, w] : S().windows)
    if (w->owner == hWnd) owned.push_back(w->handle);
  for (HWND o : owned) DestroyWindow(o);

  if ((window = Find(hWnd)) && (window->style & WS_VISIBLE)) {
    ShowWindow(hWnd, SW_HIDE);
  }
  ForgetWindow(hWnd);
  SendDestroy(hWnd);
  SendNcDestroyAndFree(hWnd);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
  if (!hWnd) return FALSE;
  if (IsDesktop(hWnd)) return TRUE;
  if (Find(hWnd)) return TRUE;
  return IsForeignHandle(hWnd);
}

HWND WINAPI GetParent(HWND hWnd) {
  Window* window = Find(hWnd);
  if (!window) return nullptr;
  if (window->parent) return window->parent;
  if (window->foreignParent) return AsHwnd(window->foreignParent);
  return window->owner;
}

HWND WINAPI GetDesktopWindow(void) { return AsHwnd(kDesktopHandle); }

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  if (IsDesktop(hWnd)) return TRUE;
  Window* window = Find(hWnd);
  return window && VisibleDeep(window);
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  Window* window = Find(hWnd);
  return window && !(window->style & WS_DISABLED);
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  BOOL wasDisabled = (window->style & WS_DISABLED) != 0;
  if (bEnable == !wasDisabled) return wasDisabled;
  if (bEnable) {
    window->style &= ~WS_DISABLED;
  } else {
    window->style |= WS_DISABLED;
    if (IsSelfOrDescendant(hWnd, GetFocus())) SetFocus(nullptr);
  }
  CallProc(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  bool wasVisible = (window->style & WS_VISIBLE) != 0;
  bool show = nCmdShow != SW_HIDE && nCmdShow != SW_MINIMIZE;
  if (nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED || nCmdShow == SW_SHOWMAXIMIZED ||
      nCmdShow == SW_SHOWMINNOACTIVE)
    PLAT_FIXME("ShowWindow: command %d (no minimised or maximised windows)", nCmdShow);
  // Child windows, also those inside another program's window, are never active.
  bool activate = show && nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE &&
                  nCmdShow != SW_SHOWMINNOACTIVE && !window->parent &&
                  !(window->foreignParent && (window->style & WS_CHILD));
  if (show != wasVisible) {
    // A window being destroyed is hidden without being told.
    if (!window->destroying) CallProc(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!(window = Find(hWnd))) return wasVisible;
    if (show) {
      window->style |= WS_VISIBLE;
      if (window->native) CurrentBackend().ShowNative(window->native, true);
      PublishWindow(window);
      InvalidateClient(window, nullptr, true, true);
    } else {
      RECT area = WindowScreenRect(window);
      bool wasShown = VisibleDeep(window);
      window->style &= ~WS_VISIBLE;
      if (window->native) CurrentBackend().ShowNative(window->native, false);
      UnpublishWindow(window);
      if (wasShown) ExposeScreenArea(area, hWnd);
      if (IsSelfOrDescendant(hWnd, GetFocus())) {
        HWND parent = window->parent;
        SetFocus(parent);
      }
      if (S().active == hWnd) ForgetWindow(hWnd);
    }
  }
  if (activate && (window = Find(hWnd)) && S().active != hWnd) ActivateWindow(hWnd, WA_ACTIVE);
  return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  Window* window = Find(hWnd);
  if (!window) return FALSE;
  if (window->hasUpdate && VisibleDeep(window)) CallProc(hWnd, WM_PAINT, 0, 0);
  return TRUE;
}

}  // extern "C"
