#include <gtest/gtest.h>

#include <windows.h>

#include "settings_store.h"
#include "support/host_fixture.h"

namespace {

class SettingsStore : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    SelectSettingsKey(nullptr, "Software\\Test\\SettingsStore");
  }
};

TEST_F(SettingsStore, MissingValuesReadAsTheDefaultAndLeaveAnEmptyKey) {
  SelectSettingsKey(nullptr, "Software\\Test\\Fresh");
  EXPECT_EQ(ReadSetting("speed", 60), 60);
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Test\\Fresh", &key), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "speed", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(SettingsStore, WrittenValuesComeBackUnclamped) {
  ASSERT_TRUE(WriteSetting("speed", 250));
  EXPECT_EQ(ReadSetting("speed", 60), 250);
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Test\\SettingsStore", &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "speed", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(size, 4u);
  RegCloseKey(key);
}

TEST_F(SettingsStore, AValueLongerThanFourBytesReadsAsTheDefault) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Test\\SettingsStore", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(RegSetValueExA(key, "sprite 1 count", 0, REG_BINARY, eight, sizeof eight), ERROR_SUCCESS);
  // A shorter value of another type lands over the default's low bytes.
  const BYTE two[2] = {7, 0};
  ASSERT_EQ(RegSetValueExA(key, "sprite 2 count", 0, REG_BINARY, two, sizeof two), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(ReadSetting("sprite 1 count", 1), 1);
  EXPECT_EQ(ReadSetting("sprite 2 count", 0x10005), 0x10007);
}

}  // namespace
