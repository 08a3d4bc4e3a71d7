// The scene: what the saver window shows.
#pragma once

#include <windows.h>

LRESULT SceneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
