// Where drawing into a window lands: user/ answers, gdi/ draws.
#pragma once

#include <windows.h>

#include "backend.h"

namespace plat {

struct DrawTarget {
  HWND hwnd = nullptr;
  NativeWindow* native = nullptr;  // the top-level's native window (null: the whole screen)
  Surface* surface = nullptr;
  int originX = 0;  // surface coordinates of the window's client (0, 0)
  int originY = 0;
  RECT clip = {0, 0, 0, 0};  // surface coordinates; nothing outside is touched
};

// The client area of hwnd (or the whole window with its frame when
// wholeWindow is set). hwnd null means the screen. False for a window that
// does not exist or has no surface.
bool GetDrawTarget(HWND hwnd, bool wholeWindow, DrawTarget* out);

// The screen's own surface when there is one (headless), else null.
Surface* ScreenSurface();

}  // namespace plat
