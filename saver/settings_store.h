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
