// Process-wide state of the saver shell: the mode, the saver window and the
// flags of the close and password sequence.
#pragma once

#include <windows.h>

typedef BOOL(WINAPI* VerifyScreenSavePwdProc)(HWND window);
typedef DWORD(WINAPI* PwdChangePasswordProc)(LPCSTR registryKey, HWND owner, DWORD reserved1, DWORD reserved2);
typedef HIMC(WINAPI* ImmAssociateContextProc)(HWND window, HIMC context);

// Input within this Manhattan distance of the reference position is noise.
constexpr int kMouseThreshold = 4;
// A close request this soon after a password check ended is the same keystroke.
constexpr DWORD kVerifyQuietMs = 200;
// Sent to the saver window to run the password check.
constexpr UINT kVerifyRequest = 0x8000;

struct SaverState {
  HINSTANCE instance = nullptr;
  bool windows95 = false;
  HWND saverWindow = nullptr;
  bool preview = false;
  int closing = 0;
  bool verifying = false;
  DWORD lastVerifyTime = static_cast<DWORD>(-1);
  POINT reference = {0, 0};
  HMODULE passwordLibrary = nullptr;
  VerifyScreenSavePwdProc verifyPassword = nullptr;
  HMODULE imeLibrary = nullptr;
  ImmAssociateContextProc immAssociateContext = nullptr;
  HIMC savedContext = nullptr;
};

extern SaverState g_saver;

// Back to the state of a fresh process (tests run many modes in one process).
void ResetSaverState();
