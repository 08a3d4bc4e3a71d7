#include "entry.h"

#include <commctrl.h>

#include <string>

#include "password.h"
#include "run_settings.h"
#include "saver_state.h"
#include "saver_window.h"
#include "settings_dialog.h"

namespace {

bool IsWindows95Family() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;  // 148
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

int RunSettingsDialog(HWND owner) {
  BOOL registered = RegisterDialogClasses(g_saver.instance);
  if (!registered) return registered;
  // The dialog shows and stores the stored settings, never those of one run.
  ClearRunSettings();
  // The dialog's up-down controls need their class before the dialog is made.
  INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  return static_cast<int>(
      DialogBoxParamA(g_saver.instance, MAKEINTRESOURCEA(kSettingsDialogId), owner, SettingsDialogProc, 0));
}

LPCSTR SkipLetterAndBlanks(LPCSTR p) {
  ++p;
  while (*p == ' ') ++p;
  return p;
}

}  // namespace

UINT_PTR ParseWindowHandle(LPCSTR text) {
  UINT_PTR value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + static_cast<UINT_PTR>(*text - '0');
  return value;
}

int DispatchMode(HINSTANCE instance, LPCSTR commandLine, int /*showCommand*/) {
  g_saver.instance = instance;
  g_saver.windows95 = IsWindows95Family();

  for (LPCSTR p = commandLine;; ++p) {
    switch (*p) {
      case ' ':
      case '-':
      case '/':
        continue;
      case '\0':
        return RunSettingsDialog(nullptr);
      case 'c':
      case 'C':
        return RunSettingsDialog(GetForegroundWindow());
      case 's':
      case 'S':
        return RunSaverWindow(nullptr);
      case 'p':
      case 'P':
      case 'l':
      case 'L': {
        HWND parent = reinterpret_cast<HWND>(ParseWindowHandle(SkipLetterAndBlanks(p)));
        if (!parent || !IsWindow(parent)) return -1;
        return RunSaverWindow(parent);
      }
      case 'a':
      case 'A': {
        if (!g_saver.windows95) return -1;
        HWND owner = reinterpret_cast<HWND>(ParseWindowHandle(SkipLetterAndBlanks(p)));
        ChangePassword(owner && IsWindow(owner) ? owner : GetForegroundWindow());
        return 0;
      }
      default:
        return -1;
    }
  }
}

void SaverEntry() {
  LPSTR p = GetCommandLineA();
  // Skip the program name, quoted or not.
  if (*p == '"') {
    do {
      p = CharNextA(p);
    } while (*p && *p != '"');
    if (*p == '"') p = CharNextA(p);
  } else if (static_cast<unsigned char>(*p) > ' ') {
    while (static_cast<unsigned char>(*p) > ' ') p = CharNextA(p);
  }
  while (*p && static_cast<unsigned char>(*p) <= ' ') p = CharNextA(p);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
  int result = -1;
  {
    std::string mode;
    if (TakeRunSettings(p, &mode)) result = DispatchMode(GetModuleHandleA(nullptr), mode.c_str(), show);
  }
  ExitProcess(static_cast<UINT>(result));
}
