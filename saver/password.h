// The screen-saver password on the Windows 95 family: the verifier library,
// the system's saver-running flag and the change-password call.
#pragma once

#include <windows.h>

void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void SetSaverRunning(BOOL running);
void ChangePassword(HWND owner);
