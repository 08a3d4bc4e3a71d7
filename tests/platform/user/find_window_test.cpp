// FindWindowA, IsWindow and SetForegroundWindow across processes on the
// same headless screen, and only there.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../../../platform/user/runtime_folder.h"
#include "message_log.h"
#include "orvanel/headless.h"
#include "orvanel/host.h"
#include "support/child_process.h"
#include "support/host_fixture.h"

namespace {

using usertest::Create;
constexpr const char* kPeerScreen = "ORVANEL_PEER_SCREEN";  // "" for a screen of the peer's own
constexpr const char* kPeerExpects = "ORVANEL_PEER_EXPECTS";  // "found" or "none"

void StartOnScreen(const std::string& name) {
  host::Shutdown();
  host::Options options;
  options.backend = "headless";
  options.width = 640;
  options.height = 480;
  options.configDir = testsupport::UseFreshConfigDir();
  options.windowDirectory = name;
  std::string error;
  ASSERT_TRUE(host::Init(options, &error)) << error;
}

// A process that lives until the pipe closes or it is killed.
pid_t StartSleeper(int* wake) {
  int ends[2];
  if (pipe(ends) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    signal(SIGUSR1, SIG_DFL);  // as an unrelated program: SIGUSR1 ends it
    close(ends[1]);
    char byte;
    ssize_t ignored = read(ends[0], &byte, 1);
    (void)ignored;
    _exit(0);
  }
  close(ends[0]);
  *wake = ends[1];
  return pid;
}

bool Alive(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

class FindWindow : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    // A runtime folder of this test's own, inherited by the other processes.
    const char* previous = std::getenv("XDG_RUNTIME_DIR");
    if (previous) previousRuntime_ = previous;
    runtime_ = testsupport::MakeTempDirectory("find-window-run");
    ASSERT_FALSE(runtime_.empty());
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    StartOnScreen(Screen());
    usertest::RegisterLoggingClass();
  }
  void TearDown() override {
    host::Shutdown();
    if (previousRuntime_.empty())
      unsetenv("XDG_RUNTIME_DIR");
    else
      setenv("XDG_RUNTIME_DIR", previousRuntime_.c_str(), 1);
    std::error_code ignored;
    EXPECT_EQ(std::filesystem::remove(runtime_, ignored), true) << "files were left in " << runtime_;
    std::filesystem::remove_all(runtime_, ignored);
  }
  static std::string Screen() { return "find-window-test"; }
  std::filesystem::path Listing() {
    std::filesystem::path base = plat::user::RuntimeFolderPath();
    mkdir(base.c_str(), 0700);
    mkdir((base / Screen()).c_str(), 0700);
    return base / Screen();
  }
  std::string EntryText(long pid, uint64_t id) {
    return std::to_string(pid) + "\nWindowsScreenSaverClass\nScreen Saver\n" + std::to_string(id) + "\n";
  }
  // An entry left by a process that is gone, with the process id of `pid`.
  void WriteEntry(long pid, uint64_t id) {
    std::ofstream(Listing() / (std::to_string(id) + ".win")) << EntryText(pid, id);
  }
  // An entry held, as a running program holds its own, by a forked process.
  pid_t HoldEntry(uint64_t id) {
    std::string path = (Listing() / (std::to_string(id) + ".win")).string();
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
      int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
      struct flock lock = {};
      lock.l_type = F_WRLCK;
      std::string text = EntryText(static_cast<long>(getpid()), id);
      if (fd < 0 || fcntl(fd, F_SETLK, &lock) != 0 || write(fd, text.data(), text.size()) < 0) _exit(1);
      close(ready[0]);
      close(ready[1]);  // ready
      pause();
      _exit(0);
    }
    close(ready[1]);
    char byte;
    ssize_t ignored = read(ready[0], &byte, 1);  // returns when the child is ready
    (void)ignored;
    close(ready[0]);
    return pid;
  }

  std::string runtime_;
  std::string previousRuntime_;
};

TEST_F(FindWindow, FindsOwnWindowsByClassAndTitleWithoutRegardToCase) {
  HWND hidden = Create(WS_POPUP, 0, 0, 10, 10, nullptr, "Screen Saver");
  EXPECT_EQ(FindWindowA("usertestwindow", "screen saver"), hidden);
  EXPECT_EQ(FindWindowA(nullptr, "Screen Saver"), hidden);
  EXPECT_EQ(FindWindowA("UserTestWindow", "Preview"), nullptr);
  DestroyWindow(hidden);
  EXPECT_EQ(FindWindowA("UserTestWindow", nullptr), nullptr);
}

TEST_F(FindWindow, ListedWindowsCountOnlyWhileTheirProcessHoldsThem) {
  const uint64_t id = 0x7000001;
  const std::filesystem::path entry = Listing() / "117440513.win";
  pid_t holder = HoldEntry(id);
  ASSERT_GT(holder, 0);
  HWND found = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
  EXPECT_EQ(reinterpret_cast<uintptr_t>(found), id);
  EXPECT_TRUE(IsWindow(found));

  // Killed, it leaves its entry behind: no longer a window, and removed.
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_FALSE(IsWindow(found));
  EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", "Screen Saver"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(entry)) << "the stale entry stayed";

  // An entry left behind whose process id now belongs to a stranger: the
  // stranger is neither taken for the saver nor signalled.
  int wake = -1;
  pid_t stranger = StartSleeper(&wake);
  ASSERT_GT(stranger, 0);
  WriteEntry(stranger, id);
  EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", "Screen Saver"), nullptr);
  WriteEntry(stranger, id);
  EXPECT_FALSE(SetForegroundWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(id))));
  EXPECT_TRUE(Alive(stranger)) << "the stranger was signalled";
  EXPECT_FALSE(std::filesystem::exists(entry)) << "the stale entry stayed";
  close(wake);
  waitpid(stranger, nullptr, 0);
}

// Runs this test program again as another process that looks for "Screen
// Saver" on the given screen, pumping messages meanwhile; its exit status.
int RunPeer(const std::string& screen, const char* expects) {
  pid_t child = fork();
  if (child == 0) {
    if (!freopen("/dev/null", "w", stdout)) _exit(126);
    setenv(kPeerScreen, screen.c_str(), 1);
    setenv(kPeerExpects, expects, 1);
    unsetenv("ORVANEL_HEADLESS_SCREEN");
    execl("/proc/self/exe", "platform_tests", "--gtest_filter=FindWindowPeer.*", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (child < 0) return -1;
  int status = -1;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  MSG msg;
  while (std::chrono::steady_clock::now() < deadline) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (waitpid(child, &status, WNOHANG) == child) return status;
    usleep(1000);
  }
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  return -1;
}

TEST_F(FindWindow, AnotherProcessFindsTheWindowAndBringsItToTheForeground) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, "Screen Saver");
  headless::DeactivateApp();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  ASSERT_EQ(GetActiveWindow(), nullptr);

  int status = RunPeer(Screen(), "found");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process failed: " << status;
  for (int i = 0; i < 1000 && GetActiveWindow() != hwnd; ++i)
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_EQ(GetActiveWindow(), hwnd);
}

// Each unnamed headless screen is a desktop of its own.
TEST_F(FindWindow, ProgramsOnOtherHeadlessScreensSeeNone) {
  StartOnScreen("");
  usertest::RegisterLoggingClass();
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, "Screen Saver");
  ASSERT_TRUE(hwnd);
  int status = RunPeer("", "none");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process failed: " << status;
  status = RunPeer("some-other-screen", "none");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process failed: " << status;
}

// Runs only as the other process of the tests above.
TEST(FindWindowPeer, LooksForTheSaver) {
  const char* screen = std::getenv(kPeerScreen);
  const char* expects = std::getenv(kPeerExpects);
  if (!screen || !expects) GTEST_SKIP() << "runs as the other process of FindWindow tests";
  StartOnScreen(screen);
  HWND found = FindWindowA("UserTestWindow", "Screen Saver");
  if (std::string(expects) == "none") {
    EXPECT_EQ(found, nullptr) << "a window of another screen was found";
  } else {
    ASSERT_NE(found, nullptr);
    EXPECT_GT(reinterpret_cast<uintptr_t>(found), 0x1FFFFFu);  // not a handle of this process's own
    EXPECT_TRUE(IsWindow(found));
    EXPECT_TRUE(SetForegroundWindow(found));
  }
  host::Shutdown();
}

}  // namespace
