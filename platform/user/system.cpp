// Cursor, system metrics and parameters, system colours, message boxes.
#include "core/trace.h"
#include "user/user_state.h"

using namespace plat;
using namespace plat::user;

namespace {

// The classic colours of Windows 95.
const COLORREF kSysColors[] = {
    RGB(192, 192, 192),  // COLOR_SCROLLBAR
    RGB(0, 128, 128),    // COLOR_BACKGROUND
    RGB(0, 0, 128),      // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // COLOR_ACTIVEBORDER
    RGB(192, 192, 192),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(0, 0, 128),      // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(192, 192, 192),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),        // COLOR_3DDKSHADOW
    RGB(192, 192, 192),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
};
constexpr int kSysColorCount = static_cast<int>(sizeof kSysColors / sizeof kSysColors[0]);

void ApplyCursor() {
  State& s = S();
  CurrentBackend().SetCursorVisible(s.cursor != nullptr && s.cursorCount >= 0);
}

}  // namespace

extern "C" {

DWORD WINAPI GetSysColor(int nIndex) {
  return nIndex >= 0 && nIndex < kSysColorCount ? kSysColors[nIndex] : 0;
}

HBRUSH WINAPI GetSysColorBrush(int nIndex) {
  if (nIndex < 0 || nIndex >= kSysColorCount) return nullptr;
  auto& brushes = S().sysBrushes;
  auto it = brushes.find(nIndex);
  if (it != brushes.end()) return it->second;
  HBRUSH brush = CreateSolidBrush(kSysColors[nIndex]);
  brushes[nIndex] = brush;
  return brush;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  if (!lpCursorName) return nullptr;
  if (!hInstance && IS_INTRESOURCE(lpCursorName)) {
    uintptr_t id = reinterpret_cast<uintptr_t>(lpCursorName);
    if (id >= 32512 && id <= 32650) return StockCursor(id);
    return nullptr;
  }
  // The program's own cursor resources show as the arrow.
  PLAT_FIXME("LoadCursorA: the program's own cursors show as the arrow");
  return StockCursor(32512);
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
  State& s = S();
  HCURSOR old = s.cursor;
  s.cursor = hCursor;
  ApplyCursor();
  return old;
}

int WINAPI ShowCursor(BOOL bShow) {
  State& s = S();
  s.cursorCount += bShow ? 1 : -1;
  ApplyCursor();
  return s.cursorCount;
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint) {
  if (!lpPoint) return FALSE;
  int x = 0, y = 0;
  CurrentBackend().GetCursorPos(&x, &y);
  *lpPoint = POINT{x, y};
  return TRUE;
}

BOOL WINAPI SetCursorPos(int X, int Y) {
  CurrentBackend().SetCursorPos(X, Y);
  return TRUE;
}

int WINAPI GetSystemMetrics(int nIndex) {
  Backend& backend = CurrentBackend();
  switch (nIndex) {
    case SM_CXSCREEN:
      return backend.ScreenWidth();
    case SM_CYSCREEN:
      return backend.ScreenHeight();
    case SM_CXFULLSCREEN:
      return backend.ScreenWidth();
    case SM_CYFULLSCREEN:
      return backend.ScreenHeight() - 18;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CXHSCROLL:
      return 16;
    case SM_CYCAPTION:
      return 18;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CYMENU:
      return 18;
    case SM_MOUSEPRESENT:
      return 1;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
  }
  PLAT_FIXME("GetSystemMetrics: index %d", nIndex);
  return 0;
}

BOOL WINAPI SystemParametersInfoA(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni) {
  State& s = S();
  switch (uiAction) {
    case SPI_SETSCREENSAVERRUNNING:
      if (pvParam) *static_cast<BOOL*>(pvParam) = s.saverRunning ? TRUE : FALSE;
      s.saverRunning = uiParam != 0;
      return TRUE;
    case SPI_GETSCREENSAVERRUNNING:
      if (!pvParam) return FALSE;
      *static_cast<BOOL*>(pvParam) = s.saverRunning ? TRUE : FALSE;
      return TRUE;
  }
  PLAT_FIXME("SystemParametersInfoA: action %#x", uiAction);
  return FALSE;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  return CurrentBackend().ShowMessageBox(hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType);
}

BOOL WINAPI MessageBeep(UINT uType) {
  PLAT_FIXME("MessageBeep: type %#x makes no sound", uType);
  return TRUE;
}

}  // extern "C"
