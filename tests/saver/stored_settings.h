// The saver's three stored settings, written and checked by the tests of
// everything that reads or writes them.
#pragma once

#include <gtest/gtest.h>

#include "settings_store.h"

namespace storedsettings {

inline void Store(int speed, int count1, int count2) {
  SelectSettingsKey(nullptr, kSettingsKeyPath);
  WriteSetting(kSpeedValue, speed);
  WriteSetting(kSprite1CountValue, count1);
  WriteSetting(kSprite2CountValue, count2);
}

inline void ExpectStored(int speed, int count1, int count2) {
  SelectSettingsKey(nullptr, kSettingsKeyPath);
  EXPECT_EQ(ReadSetting(kSpeedValue, -1), speed);
  EXPECT_EQ(ReadSetting(kSprite1CountValue, -1), count1);
  EXPECT_EQ(ReadSetting(kSprite2CountValue, -1), count2);
}

}  // namespace storedsettings
