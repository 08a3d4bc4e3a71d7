// The saver as a hack of the real xscreensaver daemon, on the private X
// server of run_under_xvfb.sh: picked from the daemon's programs list, it
// draws moving pictures on activation and is gone, with its window, soon
// after deactivation, again and again. xscreensaver refuses to run as root:
// then daemon and hack run as the user "nobody", with a home of their own.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/x11_windows.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ChildProcess;
using testsupport::WaitUntil;

constexpr int kDeadlineMs = 20000;  // generous: a loaded machine with sanitizers
constexpr int kCycles = 10;
constexpr int kEndWithinMs = 2000;

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string directories = path ? path : "/usr/bin:/bin";
  directories += ":/usr/sbin:/sbin";
  size_t start = 0;
  while (start <= directories.size()) {
    size_t end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    std::string candidate = directories.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

// Processes running the program at path.
std::vector<pid_t> ProcessesOf(const std::string& path) {
  std::vector<pid_t> found;
  DIR* proc = opendir("/proc");
  if (!proc) return found;
  while (dirent* entry = readdir(proc)) {
    pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0) continue;
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/" + std::string(entry->d_name) + "/exe", error);
    if (!error && exe == path) found.push_back(pid);
  }
  closedir(proc);
  return found;
}

// Whether the process runs (a process that ended but was not reaped yet does not).
bool Running(pid_t pid) {
  std::error_code error;
  return !fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).empty() && !error;
}

pid_t ParentOf(pid_t pid) {
  std::string status = testsupport::ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
  size_t at = status.find("PPid:");
  return at == std::string::npos ? 0 : static_cast<pid_t>(std::atoi(status.c_str() + at + 5));
}

// What the processes running the program at path are doing (for failures).
std::string States(const std::string& path) {
  std::string states;
  for (pid_t pid : ProcessesOf(path)) {
    std::string status = testsupport::ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
    std::string wchan = testsupport::ReadWholeFile("/proc/" + std::to_string(pid) + "/wchan");
    states += "pid " + std::to_string(pid) + " waits in " + wchan + "\n" + status + "\n";
  }
  return states;
}

// Every window on the server.
void CollectWindows(Display* display, Window window, std::vector<Window>* all) {
  all->push_back(window);
  for (Window child : testsupport::Children(display, window)) CollectWindows(display, child, all);
}

class UnderXscreensaver : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ORVANEL_TEST_XVFB")) GTEST_SKIP() << "needs the X server of run_under_xvfb.sh";
    daemon_ = FindProgram("xscreensaver");
    command_ = FindProgram("xscreensaver-command");
    if (daemon_.empty() || command_.empty())
      GTEST_SKIP() << "xscreensaver is not installed (scripts/install-deps --test installs it)";
    if (geteuid() == 0) {
      const passwd* nobody = getpwnam("nobody");
      setpriv_ = FindProgram("setpriv");
      if (!nobody || setpriv_.empty()) GTEST_SKIP() << "running as root, without a user 'nobody' or setpriv";
      uid_ = nobody->pw_uid;
      gid_ = nobody->pw_gid;
    }
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
    XSetErrorHandler(IgnoreErrors);

    // A folder every user can enter, with the hack in it and a home for the daemon.
    base_ = testsupport::MakeTempDirectory("under-xscreensaver");
    ASSERT_FALSE(base_.empty());
    chmod(base_.c_str(), 0755);
    hack_ = base_ + "/orvanel-saver";
    fs::copy_file(ORVANEL_SAVER_PROGRAM, hack_);
    chmod(hack_.c_str(), 0755);
    home_ = base_ + "/home";
    fs::create_directories(home_ + "/run");
    std::ofstream(home_ + "/.xscreensaver") << "mode: one\n"
                                               "selected: 0\n"
                                               "timeout: 1:00:00\n"
                                               "lock: False\n"
                                               "fade: False\n"
                                               "unfade: False\n"
                                               "splash: False\n"
                                               "dpmsEnabled: False\n"
                                               "programs: \"Orvanel Saver IV\" "
                                            << hack_ << " --root \\n\n";
    for (const std::string& path : {home_, home_ + "/run", home_ + "/.xscreensaver"})
      if (chown(path.c_str(), uid_, gid_) != 0) GTEST_SKIP() << "cannot hand " << path << " to 'nobody'";
    chmod((home_ + "/run").c_str(), 0700);

    log_ = base_ + "/xscreensaver.log";
    ASSERT_TRUE(daemonProcess_.Start(AsUser({daemon_, "-no-splash", "-verbose"}), Environment(), log_));
    ASSERT_TRUE(WaitUntil([&] { return Command("-time") || !daemonProcess_.Running(); }, kDeadlineMs));
    ASSERT_TRUE(daemonProcess_.Running()) << "xscreensaver ended: " << Log();
  }

  void TearDown() override {
    if (daemonProcess_.Running()) {
      Command("-exit");
      if (!daemonProcess_.WaitExit(kDeadlineMs)) daemonProcess_.Signal(SIGTERM);
      daemonProcess_.WaitExit(kDeadlineMs);
    }
    if (display_) XCloseDisplay(display_);
    std::error_code ignored;
    if (!base_.empty()) fs::remove_all(base_, ignored);
  }

  // argv run as the daemon's user.
  std::vector<std::string> AsUser(std::vector<std::string> argv) {
    if (setpriv_.empty()) return argv;
    std::vector<std::string> wrapped = {setpriv_, "--reuid=" + std::to_string(uid_),
                                        "--regid=" + std::to_string(gid_), "--clear-groups", "--"};
    wrapped.insert(wrapped.end(), argv.begin(), argv.end());
    return wrapped;
  }
  std::vector<std::string> Environment() {
    // The hack ends by xscreensaver's signal, so no leak check would run;
    // and its user may not reach the suppressions in the source tree.
    std::vector<std::string> environment = {"HOME=" + home_, "XDG_CONFIG_HOME=" + home_ + "/.config",
                                            "XDG_RUNTIME_DIR=" + home_ + "/run", "XSCREENSAVER_WINDOW",
                                            "LSAN_OPTIONS", "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"};
    if (!setpriv_.empty()) environment.insert(environment.end(), {"USER=nobody", "LOGNAME=nobody"});
    return environment;
  }
  bool Command(const std::string& what) {
    ChildProcess command;
    return command.Start(AsUser({command_, what}), Environment(), base_ + "/command.log") &&
           command.WaitExit(kDeadlineMs) && command.ExitCode() == 0;
  }
  // The ids of an X client's windows share the bits outside the server's
  // resource mask (Xlib keeps it in private4, resource_mask in Xlibint.h).
  XID ClientOf(Window window) { return window & ~reinterpret_cast<_XPrivDisplay>(display_)->private4; }
  // The client that drew into xscreensaver's window (the last one its log names), or 0.
  XID HackClient() {
    std::string log = Log();
    size_t at = log.rfind("on window 0x");
    if (at == std::string::npos) return 0;
    Window saverWindow = std::strtoul(log.c_str() + at + 10, nullptr, 16);
    std::vector<Window> children = testsupport::Children(display_, saverWindow);
    return children.empty() ? 0 : ClientOf(children.front());
  }
  bool HasWindowsOf(XID client) {
    std::vector<Window> all;
    CollectWindows(display_, DefaultRootWindow(display_), &all);
    return std::any_of(all.begin(), all.end(), [&](Window w) { return ClientOf(w) == client; });
  }
  std::string Log() { return testsupport::ReadWholeFile(log_); }

  std::string daemon_, command_, setpriv_;
  uid_t uid_ = getuid();
  gid_t gid_ = getgid();
  Display* display_ = nullptr;
  std::string base_, hack_, home_, log_;
  ChildProcess daemonProcess_;
};

TEST_F(UnderXscreensaver, EachActivationRunsTheHackAndEachDeactivationEndsItSoon) {
  Window root = DefaultRootWindow(display_);
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    ASSERT_TRUE(Command("-activate")) << testsupport::ReadWholeFile(base_ + "/command.log");

    std::vector<pid_t> hack;
    ASSERT_TRUE(WaitUntil([&] { return !(hack = ProcessesOf(hack_)).empty(); }, kDeadlineMs))
        << "xscreensaver did not run the hack: " << Log();
    ASSERT_TRUE(WaitUntil([&] { return testsupport::CountLitPixels(display_, root, 0, 0, 1 << 15, 1 << 15) > 0; },
                          kDeadlineMs))
        << "the screen stayed black";
    uint64_t first = testsupport::PixelHash(display_, root);
    EXPECT_TRUE(WaitUntil([&] { return testsupport::PixelHash(display_, root) != first; }, kDeadlineMs))
        << "the pictures did not move";
    XID client = HackClient();
    EXPECT_NE(client, 0u) << "no window of the hack inside xscreensaver's: " << Log();

    // xscreensaver-gfx, which ran the hack, signals it and ends; it may take
    // its time to see the deactivation, the hack may not.
    pid_t runner = ParentOf(hack.front());
    ASSERT_TRUE(Command("-deactivate"));
    ASSERT_TRUE(WaitUntil([&] { return !Running(runner); }, kDeadlineMs)) << "xscreensaver-gfx did not end";
    EXPECT_TRUE(WaitUntil([&] { return ProcessesOf(hack_).empty(); }, kEndWithinMs))
        << "the hack was still running 2 s after it was told to end: " << States(hack_) << Log();
    ASSERT_TRUE(WaitUntil([&] { return ProcessesOf(hack_).empty(); }, kDeadlineMs));
    EXPECT_TRUE(WaitUntil([&] { return client == 0 || !HasWindowsOf(client); }, kDeadlineMs))
        << "windows of the hack stayed behind";
  }
  std::string log = Log();
  EXPECT_EQ(log.find("X Error"), std::string::npos) << log;
  EXPECT_EQ(log.find("X error"), std::string::npos) << log;
}

}  // namespace
