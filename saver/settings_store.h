// The three settings in the registry: select the key, read with a default,
// write as REG_DWORD. Every access opens the key anew.
#pragma once

#include <windows.h>

constexpr char kSettingsKeyPath[] = "Software\\Quillmoor\\Orvanel_IV";
constexpr char kSpeedValue[] = "speed";
constexpr char kSprite1CountValue[] = "sprite 1 count";
constexpr char kSprite2CountValue[] = "sprite 2 count";
constexpr int kDefaultSpeed = 60;
constexpr int kDefaultSprite1Count = 1;
constexpr int kDefaultSprite2Count = 5;

void SelectSettingsKey(HWND window, LPCSTR keyPath);
LONG ReadSetting(LPCSTR valueName, LONG defaultValue);
BOOL WriteSetting(LPCSTR valueName, LONG value);
// The three settings through one key handle, which the registry of hosts
// without Win32 keeps to itself from the first write to the close: another
// process's settings never land between them. ERROR_SUCCESS, or the first
// failure (nothing after it is written).
LONG WriteSettings(LONG speed, LONG count1, LONG count2);
