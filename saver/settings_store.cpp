#include "settings_store.h"

#include <cstring>

namespace {

char g_keyPath[260] = "";
char g_keyClass[41] = "";

LONG OpenSettingsKey(HKEY* key) {
  return RegCreateKeyExA(HKEY_CURRENT_USER, g_keyPath, 0, g_keyClass, 0, KEY_ALL_ACCESS, nullptr, key,
                         nullptr);
}

struct NamedValue {
  LPCSTR name;
  LONG value;
};

// One key handle for all of them: see WriteSettings.
LONG WriteValues(const NamedValue* values, int count) {
  HKEY key;
  LONG status = OpenSettingsKey(&key);
  if (status != ERROR_SUCCESS) return status;
  for (int i = 0; i < count && status == ERROR_SUCCESS; ++i)
    status = RegSetValueExA(key, values[i].name, 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&values[i].value), sizeof values[i].value);
  RegCloseKey(key);
  return status;
}

}  // namespace

void SelectSettingsKey(HWND window, LPCSTR keyPath) {
  lstrcpynA(g_keyPath, keyPath, sizeof g_keyPath);
  g_keyClass[0] = '\0';
  GetClassNameA(window, g_keyClass, sizeof g_keyClass);
}

LONG ReadSetting(LPCSTR valueName, LONG defaultValue) {
  HKEY key;
  if (OpenSettingsKey(&key) != ERROR_SUCCESS) return defaultValue;
  // The default sits in the buffer, so a shorter value of another type
  // replaces only its own bytes of it.
  LONG value = defaultValue;
  DWORD size = sizeof value;
  LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? value : defaultValue;
}

BOOL WriteSetting(LPCSTR valueName, LONG value) {
  const NamedValue one = {valueName, value};
  return WriteValues(&one, 1) == ERROR_SUCCESS;
}

LONG WriteSettings(LONG speed, LONG count1, LONG count2) {
  const NamedValue all[] = {{kSpeedValue, speed}, {kSprite1CountValue, count1}, {kSprite2CountValue, count2}};
  return WriteValues(all, 3);
}
