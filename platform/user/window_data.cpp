// Window longs, extra bytes, the window procedure and the window text.
#include <cstring>

#include "user/user_state.h"

using namespace plat::user;

namespace {

bool ExtraSlot(Window* window, int index, size_t size) {
  return index >= 0 && static_cast<size_t>(index) + size <= window->extra.size();
}

LONG_PTR GetLong(HWND hwnd, int index, size_t size) {
  Window* window = Find(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(window->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(window->exStyle);
    case GWLP_ID:
      return window->id;
    case GWLP_USERDATA:
      return window->userData;
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(GetParent(hwnd));
  }
  if (!ExtraSlot(window, index, size)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (size == sizeof(LONG)) {
    LONG value;
    std::memcpy(&value, &window->extra[index], sizeof value);
    return value;
  }
  LONG_PTR value;
  std::memcpy(&value, &window->extra[index], sizeof value);
  return value;
}

LONG_PTR SetLong(HWND hwnd, int index, LONG_PTR value, size_t size) {
  Window* window = Find(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR old = GetLong(hwnd, index, size);
  switch (index) {
    case GWL_STYLE:
      window->style = static_cast<DWORD>(value);
      return old;
    case GWL_EXSTYLE:
      window->exStyle = static_cast<DWORD>(value);
      return old;
    case GWLP_ID:
      window->id = value;
      return old;
    case GWLP_USERDATA:
      window->userData = value;
      return old;
    case GWLP_WNDPROC:
      window->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      window->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_HWNDPARENT:
      if (!window->parent) window->owner = reinterpret_cast<HWND>(value);
      return old;
  }
  if (!ExtraSlot(window, index, size)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (size == sizeof(LONG)) {
    LONG v = static_cast<LONG>(value);
    std::memcpy(&window->extra[index], &v, sizeof v);
  } else {
    std::memcpy(&window->extra[index], &value, sizeof value);
  }
  return old;
}

}  // namespace

extern "C" {

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
  return static_cast<LONG>(GetLong(hWnd, nIndex, sizeof(LONG)));
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  return static_cast<LONG>(SetLong(hWnd, nIndex, dwNewLong, sizeof(LONG)));
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) { return GetLong(hWnd, nIndex, sizeof(LONG_PTR)); }

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return SetLong(hWnd, nIndex, dwNewLong, sizeof(LONG_PTR));
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!lpPrevWndFunc) return 0;
  return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  if (!Find(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return CallProc(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : "")) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  if (!lpString || nMaxCount <= 0) return 0;
  lpString[0] = '\0';
  if (!Find(hWnd)) return 0;
  return static_cast<int>(
      CallProc(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
  if (!Find(hWnd)) return 0;
  return static_cast<int>(CallProc(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

}  // extern "C"
