#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
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

TEST_F(SettingsStore, ProcessesSavingAtOnceNeverMixTheirSettings) {
  constexpr int kWriters = 4;
  for (int round = 0; round < 10; ++round) {
    // All start writing at the same moment: when the pipe closes.
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    pid_t writers[kWriters];
    for (int i = 0; i < kWriters; ++i) {
      writers[i] = fork();
      ASSERT_GE(writers[i], 0);
      if (writers[i] == 0) {
        close(gate[1]);
        char byte;
        while (read(gate[0], &byte, 1) < 0) {
        }
        LONG value = 10 * round + i + 1;
        _exit(WriteSettings(value, value, value) == ERROR_SUCCESS ? 0 : 1);
      }
    }
    close(gate[0]);
    close(gate[1]);
    for (pid_t writer : writers) {
      int status = 0;
      ASSERT_EQ(waitpid(writer, &status, 0), writer);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const LONG speed = ReadSetting("speed", -1);
    EXPECT_TRUE(speed > 10 * round && speed <= 10 * round + kWriters) << speed;
    EXPECT_EQ(ReadSetting("sprite 1 count", -1), speed) << "round " << round;
    EXPECT_EQ(ReadSetting("sprite 2 count", -1), speed) << "round " << round;
  }
}

}  // namespace
