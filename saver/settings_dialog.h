// The settings dialog (resource 2003).
#pragma once

#include <windows.h>

constexpr int kSettingsDialogId = 2003;

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Called before the dialog is made; a false result ends the mode with it.
BOOL RegisterDialogClasses(HINSTANCE instance);
