#include "password.h"

#include "saver_state.h"

void SetSaverRunning(BOOL running) {
  if (!g_saver.windows95) return;
  UINT previous = 0;
  SystemParametersInfoA(SPI_SCREENSAVERRUNNING, running, &previous, 0);
}

void UnloadPasswordVerifier() {
  if (!g_saver.windows95 || !g_saver.passwordLibrary) return;
  FreeLibrary(g_saver.passwordLibrary);
  g_saver.passwordLibrary = nullptr;
  if (g_saver.verifyPassword) {
    g_saver.verifyPassword = nullptr;
    SetSaverRunning(FALSE);
  }
}

void LoadPasswordVerifier() {
  if (!g_saver.windows95) return;
  if (g_saver.passwordLibrary) UnloadPasswordVerifier();

  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key) != ERROR_SUCCESS) return;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size) ==
          ERROR_SUCCESS &&
      value != 0) {
    g_saver.passwordLibrary = LoadLibraryA("PASSWORD.CPL");
    if (g_saver.passwordLibrary) {
      g_saver.verifyPassword = reinterpret_cast<VerifyScreenSavePwdProc>(
          reinterpret_cast<void*>(GetProcAddress(g_saver.passwordLibrary, "VerifyScreenSavePwd")));
      if (g_saver.verifyPassword)
        SetSaverRunning(TRUE);
      else
        UnloadPasswordVerifier();
    }
  }
  RegCloseKey(key);
}

void ChangePassword(HWND owner) {
  HMODULE library = LoadLibraryA("MPR.DLL");
  if (!library) return;
  auto change = reinterpret_cast<PwdChangePasswordProc>(
      reinterpret_cast<void*>(GetProcAddress(library, "PwdChangePasswordA")));
  if (change) change("SCRSAVE", owner, 0, 0);
  FreeLibrary(library);
}
