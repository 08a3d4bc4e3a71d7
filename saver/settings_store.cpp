#include "settings_store.h"

#include <cstring>

namespace {

char g_keyPath[260] = "";
char g_keyClass[41] = "";

bool OpenSettingsKey(HKEY* key) {
  return RegCreateKeyExA(HKEY_CURRENT_USER, g_keyPath, 0, g_keyClass, 0, KEY_ALL_ACCESS, nullptr, key, nullptr) ==
         ERROR_SUCCESS;
}

}  // namespace

void SelectSettingsKey(HWND window, LPCSTR keyPath) {
  lstrcpynA(g_keyPath, keyPath, sizeof g_keyPath);
  g_keyClass[0] = '\0';
  GetClassNameA(window, g_keyClass, sizeof g_keyClass);
}

LONG ReadSetting(LPCSTR valueName, LONG defaultValue) {
  HKEY key;
  if (!OpenSettingsKey(&key)) return defaultValue;
  // The default sits in the buffer, so a shorter value of another type
  // replaces only its own bytes of it.
  LONG value = defaultValue;
  DWORD size = sizeof value;
  LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? value : defaultValue;
}

BOOL WriteSetting(LPCSTR valueName, LONG value) {
  HKEY key;
  if (!OpenSettingsKey(&key)) return FALSE;
  LONG status =
      RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}
