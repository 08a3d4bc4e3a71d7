// The common controls library's start: the controls it registers are part of
// this layer and exist from the start.
#include <commctrl.h>

extern "C" void WINAPI InitCommonControls(void) {}

extern "C" BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
  return picce && picce->dwSize == sizeof(INITCOMMONCONTROLSEX);
}
