// The saver program itself on the headless screen: a second full-screen
// start while the saver runs finds the first, brings it to the front and ends
// at once while the first goes on; xscreensaver's --window.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ChildProcess;
using testsupport::ReadWholeFile;
using testsupport::WaitUntil;

constexpr int kDeadlineMs = 30000;  // generous: a loaded machine with sanitizers

bool HasListedWindow(const fs::path& listing) {
  std::error_code error;
  for (const auto& item : fs::directory_iterator(listing, error))
    if (item.path().extension() == ".win") return true;
  return false;
}

class SaverProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = testsupport::MakeTempDirectory("saver-program");
    ASSERT_FALSE(base_.empty());
    // A window listing and settings of this test's own; the headless screen
    // even where a display exists; activation notes on standard error.
    environment_ = {"XDG_RUNTIME_DIR=" + base_ + "/run", "XDG_CONFIG_HOME=" + base_ + "/config",
                    "ORVANEL_DEBUG=1", "DISPLAY", "XSCREENSAVER_WINDOW"};
    fs::create_directories(base_ + "/run");
    listing_ = fs::path(base_) / "run" / "orvanel" / "headless";
  }
  void TearDown() override {
    std::error_code ignored;
    if (!base_.empty()) fs::remove_all(base_, ignored);
  }
  bool Start(ChildProcess* child, const std::vector<std::string>& args, const std::string& errorName) {
    std::vector<std::string> argv = {ORVANEL_SAVER_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    return child->Start(argv, environment_, base_ + "/" + errorName);
  }
  std::string Errors(const std::string& errorName) { return ReadWholeFile(base_ + "/" + errorName); }

  std::string base_;
  std::vector<std::string> environment_;
  fs::path listing_;
};

TEST_F(SaverProgram, SecondFullScreenStartActivatesTheFirstAndEndsAtOnce) {
  ChildProcess first;
  ASSERT_TRUE(Start(&first, {"--headless=320x240x24", "--realtime", "/s"}, "first.err"));
  ASSERT_TRUE(WaitUntil([&] { return HasListedWindow(listing_) || !first.Running(); }, kDeadlineMs));
  ASSERT_TRUE(first.Running()) << "the first saver ended early: " << Errors("first.err");

  // Without --seconds on virtual time, a second start that ran a saver of its
  // own would not end by itself.
  ChildProcess second;
  ASSERT_TRUE(Start(&second, {"--headless=320x240x24", "/s"}, "second.err"));
  ASSERT_TRUE(second.WaitExit(kDeadlineMs)) << "the second start ran a saver of its own";
  EXPECT_EQ(second.ExitCode(), 0) << Errors("second.err");

  EXPECT_TRUE(WaitUntil(
      [&] {
        return Errors("first.err").find("brought to the front for another process") != std::string::npos;
      },
      kDeadlineMs))
      << "the first saver was not activated: " << Errors("first.err");
  ASSERT_TRUE(first.Running()) << "the first saver ended: " << Errors("first.err");

  first.Signal(SIGTERM);
  ASSERT_TRUE(first.WaitExit(kDeadlineMs));
  EXPECT_EQ(first.EndSignal(), SIGTERM) << Errors("first.err");
  EXPECT_FALSE(HasListedWindow(listing_)) << "the first saver's window stayed listed";
}

TEST_F(SaverProgram, SignalsToEndCloseTheSaverAndThenEndItByTheSameSignal) {
  // SIGQUIT would leave a core file where the system keeps them.
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    ChildProcess saver;
    ASSERT_TRUE(Start(&saver, {"--headless=320x240x24", "--realtime", "/s"}, "saver.err"));
    ASSERT_TRUE(WaitUntil([&] { return HasListedWindow(listing_) || !saver.Running(); }, kDeadlineMs));
    ASSERT_TRUE(saver.Running()) << Errors("saver.err");
    saver.Signal(signal);
    ASSERT_TRUE(saver.WaitExit(kDeadlineMs));
    EXPECT_EQ(saver.EndSignal(), signal) << "exit code " << saver.ExitCode() << ": " << Errors("saver.err");
    EXPECT_FALSE(HasListedWindow(listing_)) << "the saver's window stayed listed";
  }
}

TEST_F(SaverProgram, WindowOfItsOwnRunsTheSaverUntilTheTimeIsUp) {
  ChildProcess saver;
  ASSERT_TRUE(Start(&saver, {"--headless=800x600x24", "--seconds", "2", "--window"}, "saver.err"));
  ASSERT_TRUE(saver.WaitExit(kDeadlineMs));
  EXPECT_EQ(saver.ExitCode(), 0) << Errors("saver.err");
}

TEST_F(SaverProgram, XscreensaverOptionsWithoutAUsableWindowFail) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;  // 2: a malformed option; 255: no such window
  };
  // XSCREENSAVER_WINDOW is unset here.
  for (const Case& c :
       {Case{{"--root"}, 2}, Case{{"--window-id", "12ab"}, 2}, Case{{"-window-id"}, 2},
        Case{{"--window-id=0x0"}, 2}, Case{{"--headless=320x240x24", "--window-id", "0x7fffff"}, 255}}) {
    ChildProcess saver;
    ASSERT_TRUE(Start(&saver, c.args, "saver.err"));
    ASSERT_TRUE(saver.WaitExit(kDeadlineMs));
    EXPECT_EQ(saver.ExitCode(), c.exitCode) << c.args.back() << ": " << Errors("saver.err");
  }
}

}  // namespace
