// Settings given on the command line for one run: taken off the command line
// wherever they stand, read through the stored settings' clamps, never
// stored, ignored by the settings dialog; and the same through the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "entry.h"
#include "orvanel/headless.h"
#include "run_settings.h"
#include "saver_state.h"
#include "scene.h"
#include "settings_store.h"
#include "stored_settings.h"
#include "support/child_process.h"
#include "support/host_fixture.h"

namespace {

using storedsettings::ExpectStored;
using storedsettings::Store;

class RunSettings : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    ResetSaverState();
    Store(30, 2, 8);
  }
  void TearDown() override {
    ClearRunSettings();
    Store(kDefaultSpeed, kDefaultSprite1Count, kDefaultSprite2Count);
    HeadlessTest::TearDown();
  }
  static int Run(const std::string& commandLine, int keyAfterMs) {
    std::string mode;
    if (!TakeRunSettings(commandLine.c_str(), &mode)) return -1;
    headless::PressKey(VK_RETURN, headless::Now() + keyAfterMs);
    return DispatchMode(GetModuleHandleA(nullptr), mode.c_str(), SW_SHOWDEFAULT);
  }
};

TEST_F(RunSettings, AreTakenOffTheCommandLineWhereverTheyStand) {
  struct Case {
    const char* line;
    const char* mode;  // what the mode dispatch gets
    LONG speed, count1, count2;
  };
  // Stored: 30, 2, 8. Values come back as given; the readers clamp them.
  for (const Case& c : {
           Case{"--speed 5 /s", "/s", 5, 2, 8},
           Case{"/s --speed=250", "/s", 250, 2, 8},
           Case{"-count1 0 /p 1234 -count2 -3", "/p 1234", 30, 0, -3},
           Case{"--speed 20", "", 20, 2, 8},  // no mode: the settings dialog, never /s
           Case{"--settings --count2 +7", "/c", 30, 2, 7},
           Case{"--speed 123456789012345 /s", "/s", 1000000000, 2, 8},
           Case{"\"/c:1 --speed 2\" --speed 5", "\"/c:1 --speed 2\"", 5, 2, 8},
           Case{"-s --speedy", "-s --speedy", 30, 2, 8},
       }) {
    ClearRunSettings();
    std::string mode;
    ASSERT_TRUE(TakeRunSettings(c.line, &mode)) << c.line;
    EXPECT_EQ(mode, c.mode) << c.line;
    EXPECT_EQ(ReadRunSetting(kSpeedValue, kDefaultSpeed), c.speed) << c.line;
    EXPECT_EQ(ReadRunSetting(kSprite1CountValue, kDefaultSprite1Count), c.count1) << c.line;
    EXPECT_EQ(ReadRunSetting(kSprite2CountValue, kDefaultSprite2Count), c.count2) << c.line;
  }
}

TEST_F(RunSettings, AMissingOrMalformedNumberIsRefused) {
  for (const char* line : {"--speed", "/s --count1", "--speed abc /s", "--count2= /s", "--speed 5x /s",
                           "--speed + /s", "--count1 0x2 /s", "--speed \"5\" /s"}) {
    std::string mode;
    EXPECT_FALSE(TakeRunSettings(line, &mode)) << line;
  }
}

TEST_F(RunSettings, TheSaverClampsThemAsStoredSettingsAndNeverStoresThem) {
  struct Case {
    const char* line;
    int speed, count1, count2;  // what the scene runs with
  };
  for (const Case& c : {Case{"--speed 5 --count1 3 --count2 9 /s", 10, 1, 5},  // 2 + 9 > 10: 1 and 5
                        Case{"/s --speed 250 --count1 -1 --count2 12", 100, 0, 10},
                        Case{"--count2 0 /s", 30, 2, 0}}) {
    // Each run as a fresh process.
    testsupport::StartHeadless(ScreenWidth(), ScreenHeight(), ScreenDepth());
    ResetSaverState();
    EXPECT_EQ(Run(c.line, 1000), 0) << c.line;
    EXPECT_EQ(g_scene.speed, c.speed) << c.line;
    EXPECT_EQ(g_scene.count1, c.count1) << c.line;
    EXPECT_EQ(g_scene.count2, c.count2) << c.line;
    ExpectStored(30, 2, 8);
  }
}

TEST_F(RunSettings, TheSettingsDialogShowsAndStoresTheStoredSettings) {
  // Enter is OK, which stores what the dialog shows.
  EXPECT_EQ(Run("--settings --speed 90 --count1 0 --count2 3", 1000), 1);
  ExpectStored(30, 2, 8);
}

// Through the program: the options pass its host entry, and out-of-range
// values give the same pictures as the values they clamp or fall back to.
class RunSettingsProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = testsupport::MakeTempDirectory("run-settings");
    ASSERT_FALSE(base_.empty());
    std::filesystem::create_directories(base_ + "/run");
    environment_ = {"XDG_RUNTIME_DIR=" + base_ + "/run", "XDG_CONFIG_HOME=" + base_ + "/config", "DISPLAY",
                    "XSCREENSAVER_WINDOW"};
  }
  void TearDown() override {
    std::error_code ignored;
    if (!base_.empty()) std::filesystem::remove_all(base_, ignored);
  }
  // The last frame of three seconds with a fixed seed, as PNG bytes; "" when
  // the run failed.
  std::string LastFrame(const std::vector<std::string>& options) {
    std::string name;
    for (const std::string& option : options) name += option;
    const std::string picture = base_ + "/" + name + ".png";
    std::vector<std::string> argv = {ORVANEL_SAVER_PROGRAM, "--headless=320x240x24", "--seconds", "3", "--seed",
                                     "7", "--screenshot", picture};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back("/s");
    testsupport::ChildProcess saver;
    if (!saver.Start(argv, environment_, base_ + "/saver.err") || !saver.WaitExit(60000)) return "";
    EXPECT_EQ(saver.ExitCode(), 0) << name << ": " << testsupport::ReadWholeFile(base_ + "/saver.err");
    return testsupport::ReadWholeFile(picture);
  }
  std::string base_;
  std::vector<std::string> environment_;
};

TEST_F(RunSettingsProgram, OutOfRangeValuesLookLikeTheValuesTheyComeTo) {
  const std::string speed10 = LastFrame({"--speed", "10"});
  ASSERT_FALSE(speed10.empty());
  EXPECT_EQ(LastFrame({"--speed", "5"}), speed10) << "--speed 5 did not run at 10";
  EXPECT_NE(LastFrame({"--speed", "60"}), speed10) << "the speed made no difference";

  const std::string defaults = LastFrame({"--count1", "1", "--count2", "5"});
  ASSERT_FALSE(defaults.empty());
  EXPECT_EQ(LastFrame({"--count1", "3", "--count2", "9"}), defaults) << "3 and 9 did not fall back to 1 and 5";
  EXPECT_NE(LastFrame({"--count1", "2", "--count2", "8"}), defaults) << "the counts made no difference";

  // Nothing given for one run is stored.
  std::string stored = testsupport::ReadWholeFile(base_ + "/config/orvanel-saver/registry");
  EXPECT_EQ(stored.find("speed"), std::string::npos) << stored;
  EXPECT_EQ(stored.find("count"), std::string::npos) << stored;
}

TEST_F(RunSettingsProgram, AMalformedValueIsNamedOnStandardError) {
  testsupport::ChildProcess saver;
  ASSERT_TRUE(saver.Start({ORVANEL_SAVER_PROGRAM, "--headless=320x240x24", "--count2", "many", "/s"}, environment_,
                          base_ + "/saver.err"));
  ASSERT_TRUE(saver.WaitExit(60000));
  EXPECT_EQ(saver.ExitCode(), 2);
  EXPECT_NE(testsupport::ReadWholeFile(base_ + "/saver.err").find("--count2"), std::string::npos);
}

}  // namespace
