// Window classes: registered per process, names compared without regard
// to case, also named by their atom.
#include <strings.h>

#include <cstring>

#include "user/dialogs_internal.h"
#include "user/user_state.h"

namespace plat::user {

std::shared_ptr<WindowClass> FindClass(LPCSTR name) {
  if (!name) return nullptr;
  plat::dlg::RegisterSystemClasses();
  for (auto& cls : S().classes) {
    if (IS_INTRESOURCE(name) ? cls->atom == reinterpret_cast<uintptr_t>(name)
                             : strcasecmp(cls->name.c_str(), name) == 0)
      return cls;
  }
  return nullptr;
}

}  // namespace plat::user

using namespace plat::user;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  if (!lpWndClass || !lpWndClass->lpszClassName || IS_INTRESOURCE(lpWndClass->lpszClassName) ||
      !*lpWndClass->lpszClassName || lpWndClass->cbClsExtra < 0 || lpWndClass->cbWndExtra < 0 ||
      lpWndClass->cbWndExtra > 40000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (FindClass(lpWndClass->lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto cls = std::make_shared<WindowClass>();
  cls->name = lpWndClass->lpszClassName;
  cls->info = *lpWndClass;
  if (lpWndClass->lpszMenuName && !IS_INTRESOURCE(lpWndClass->lpszMenuName)) {
    cls->menuName = lpWndClass->lpszMenuName;
    cls->info.lpszMenuName = nullptr;  // set below, once the string has its place
  }
  cls->atom = S().nextAtom++;
  S().classes.push_back(cls);
  cls->info.lpszClassName = cls->name.c_str();
  if (!cls->menuName.empty()) cls->info.lpszMenuName = cls->menuName.c_str();
  return cls->atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
  auto cls = FindClass(lpClassName);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  for (auto& [value, window] : S().windows) {
    if (window->cls == cls) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
  }
  auto& classes = S().classes;
  for (auto it = classes.begin(); it != classes.end(); ++it)
    if (*it == cls) {
      classes.erase(it);
      break;
    }
  return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass) {
  auto cls = FindClass(lpClassName);
  if (!cls || !lpWndClass) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  *lpWndClass = cls->info;
  return TRUE;
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
  Window* window = Find(hWnd);
  if (!window || !lpClassName || nMaxCount <= 0) return 0;
  int n = static_cast<int>(window->cls->name.size());
  if (n > nMaxCount - 1) n = nMaxCount - 1;
  std::memcpy(lpClassName, window->cls->name.data(), n);
  lpClassName[n] = '\0';
  return n;
}

}  // extern "C"
