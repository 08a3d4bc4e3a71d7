// The saver program itself on the headless screen: a second full-screen
// start while the saver runs finds the first, brings it to the front and ends
// at once while the first goes on, but never takes a stranger for it;
// xscreensaver's --window; the runtime folder: refused when it is not the
// user's own, and left empty.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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
    // Both starts on one headless screen, named as a test names it.
    environment_ = {"XDG_RUNTIME_DIR=" + base_ + "/run", "XDG_CONFIG_HOME=" + base_ + "/config",
                    "ORVANEL_DEBUG=1", "DISPLAY", "XSCREENSAVER_WINDOW", "ORVANEL_HEADLESS_SCREEN=program-test"};
    fs::create_directories(base_ + "/run");
    listing_ = fs::path(base_) / "run" / "orvanel" / "program-test";
  }
  bool RuntimeFolderEmpty() { return fs::is_empty(base_ + "/run"); }
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
  EXPECT_TRUE(RuntimeFolderEmpty()) << "files were left in XDG_RUNTIME_DIR";
}

// A saver killed outright leaves its entry behind; by the time of the next
// start its process id may belong to another program.
TEST_F(SaverProgram, LeftoverEntryOfAKilledSaverNeverHitsAStranger) {
  ChildProcess killed;
  ASSERT_TRUE(Start(&killed, {"--headless=320x240x24", "--realtime", "/s"}, "killed.err"));
  ASSERT_TRUE(WaitUntil([&] { return HasListedWindow(listing_) || !killed.Running(); }, kDeadlineMs));
  killed.Signal(SIGKILL);
  ASSERT_TRUE(killed.WaitExit(kDeadlineMs));
  ASSERT_TRUE(HasListedWindow(listing_));
  EXPECT_EQ(fs::status(listing_.parent_path()).permissions(), fs::perms::owner_all);

  ChildProcess stranger;
  ASSERT_TRUE(stranger.Start({"/bin/sleep", "600"}));
  for (const auto& item : fs::directory_iterator(listing_)) {
    std::string text = ReadWholeFile(item.path().string());
    text.replace(0, text.find('\n'), std::to_string(stranger.Pid()));  // the process id, reused
    std::ofstream(item.path()) << text;
  }
  // A start that took the entry for a running saver would end at once.
  ChildProcess next;
  ASSERT_TRUE(Start(&next, {"--headless=320x240x24", "--seconds", "1", "/s"}, "next.err"));
  ASSERT_TRUE(next.WaitExit(kDeadlineMs));
  EXPECT_EQ(next.ExitCode(), 0) << Errors("next.err");
  EXPECT_TRUE(stranger.Running()) << "the stranger was signalled";
  EXPECT_TRUE(RuntimeFolderEmpty()) << "the stale entry stayed";
}

TEST_F(SaverProgram, EveryModeLeavesTheRuntimeFolderEmpty) {
  for (const char* mode : {"/s", "/c", "--window"}) {
    ChildProcess saver;
    ASSERT_TRUE(Start(&saver, {"--headless=800x600x24", "--seconds", "1", mode}, "saver.err"));
    ASSERT_TRUE(saver.WaitExit(kDeadlineMs));
    EXPECT_GE(saver.ExitCode(), 0) << mode << ": " << Errors("saver.err");
    EXPECT_TRUE(RuntimeFolderEmpty()) << mode << " left files in XDG_RUNTIME_DIR";
  }
}

// Without XDG_RUNTIME_DIR the folder is $TMPDIR/orvanel-UID, where other
// users may have made one first.
TEST_F(SaverProgram, RefusesARuntimeFolderThatIsNotPrivate) {
  const std::string temp = base_ + "/tmp";
  const std::string folder = temp + "/orvanel-" + std::to_string(static_cast<long>(getuid()));
  const std::string elsewhere = base_ + "/elsewhere";
  fs::create_directories(temp);
  mkdir(elsewhere.c_str(), 0700);
  struct Case {
    const char* what;
    std::function<void()> make;
    const char* message;  // "" when the folder is fine
  };
  const Case cases[] = {
      {"missing", [] {}, ""},
      {"symbolic link", [&] { fs::create_directory_symlink(elsewhere, folder); }, "is a symbolic link"},
      {"open to others",
       [&] {
         mkdir(folder.c_str(), 0700);
         chmod(folder.c_str(), 0777);
       },
       "is open to other users (mode 0777)"},
      {"a file", [&] { std::ofstream(folder) << "x"; }, "is not a directory"},
      {"another user's",
       [&] {
         mkdir(folder.c_str(), 0700);
         EXPECT_EQ(chown(folder.c_str(), 65534, 65534), 0);
       },
       "belongs to another user (uid 65534)"},
  };
  std::vector<std::string> environment = environment_;
  for (std::string& entry : environment)
    if (entry.rfind("XDG_RUNTIME_DIR=", 0) == 0) entry = "XDG_RUNTIME_DIR";
  environment.push_back("TMPDIR=" + temp);
  for (const Case& c : cases) {
    fs::remove_all(folder);
    if (std::string(c.what) == "another user's" && geteuid() != 0) continue;  // needs root to make
    c.make();
    ChildProcess saver;
    std::vector<std::string> argv = {ORVANEL_SAVER_PROGRAM, "--headless=320x240x24", "--seconds", "1", "/s"};
    ASSERT_TRUE(saver.Start(argv, environment, base_ + "/saver.err"));
    ASSERT_TRUE(saver.WaitExit(kDeadlineMs));
    std::string errors = Errors("saver.err");
    if (!*c.message) {
      EXPECT_EQ(saver.ExitCode(), 0) << c.what << ": " << errors;
      EXPECT_TRUE(fs::is_empty(temp)) << c.what << ": files were left in TMPDIR";
      continue;
    }
    EXPECT_EQ(saver.ExitCode(), 1) << c.what;
    EXPECT_NE(errors.find(folder + ": " + c.message), std::string::npos) << c.what << ": " << errors;
    EXPECT_TRUE(fs::is_empty(elsewhere)) << c.what << ": wrote through the link";
  }
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

TEST_F(SaverProgram, UnknownDoubleDashOptionsAreNamedOnStandardError) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--bogus"}, std::vector<std::string>{"--headless", "--settings=1", "/s"}}) {
    ChildProcess saver;
    ASSERT_TRUE(Start(&saver, args, "saver.err"));
    ASSERT_TRUE(saver.WaitExit(kDeadlineMs));
    EXPECT_EQ(saver.ExitCode(), 255);
    const std::string option = args.size() == 1 ? args[0] : args[1];
    const std::string errors = Errors("saver.err");
    EXPECT_NE(errors.find("unknown option " + option), std::string::npos) << errors;
    EXPECT_NE(errors.find("--help"), std::string::npos) << errors;
  }
}

}  // namespace
