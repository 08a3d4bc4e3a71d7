// Modal dialogs from templates. Until the dialog manager is in place, a
// dialog whose template cannot be shown fails as Windows does for a missing
// template: -1 and the last error set.
#include <windows.h>

extern "C" INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND, DLGPROC, LPARAM) {
  HRSRC info = FindResourceA(instance, templateName, RT_DIALOG);
  SetLastError(info ? ERROR_INVALID_DATA : ERROR_RESOURCE_NAME_NOT_FOUND);
  return -1;
}

extern "C" BOOL WINAPI EndDialog(HWND, INT_PTR) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

// Until the dialog manager and its controls are in place no dialog has items.
extern "C" HWND WINAPI GetDlgItem(HWND, int) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

extern "C" int WINAPI SetScrollPos(HWND, int, int, BOOL) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return 0;
}

extern "C" BOOL WINAPI SetScrollRange(HWND, int, int, int, BOOL) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

extern "C" int WINAPI GetScrollPos(HWND, int) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return 0;
}
