#include "scene.h"

#include "saver_window.h"

LRESULT SceneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultSaverProc(window, message, wParam, lParam);
}
