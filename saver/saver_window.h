// The saver window: its class, creation and message loop, and the two
// message layers around the scene (input, cursor, close and password rules).
#pragma once

#include <windows.h>

extern const char kSaverClassName[];  // "WindowsScreenSaverClass"

// Full screen (parent null) or preview inside parent. Returns the exit code.
int RunSaverWindow(HWND parent);

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True when the window may close now (runs the password check on the
// Windows 95 family).
BOOL VerifyBeforeClose(HWND window);
