// FindWindowA, IsWindow and SetForegroundWindow across processes on the
// same headless screen.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "message_log.h"
#include "orvanel/headless.h"
#include "orvanel/host.h"
#include "support/host_fixture.h"

namespace {

using usertest::Create;
constexpr const char* kPeerVariable = "ORVANEL_PEER_WINDOW_DIRECTORY";

class FindWindow : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    usertest::RegisterLoggingClass();
  }
  std::filesystem::path Listing() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::filesystem::path base = runtime && *runtime
                                     ? std::filesystem::path(runtime) / "orvanel"
                                     : std::filesystem::path("/tmp/orvanel-" + std::to_string(getuid()));
    return base / host::CurrentOptions().windowDirectory;
  }
  void WriteEntry(long pid, uint64_t id, const char* cls, const char* title) {
    std::filesystem::create_directories(Listing());
    std::ofstream(Listing() / (std::to_string(id) + ".win")) << pid << '\n'
                                                             << cls << '\n'
                                                             << title << '\n'
                                                             << id << '\n';
  }
};

TEST_F(FindWindow, FindsOwnWindowsByClassAndTitleWithoutRegardToCase) {
  HWND hidden = Create(WS_POPUP, 0, 0, 10, 10, nullptr, "Screen Saver");
  EXPECT_EQ(FindWindowA("usertestwindow", "screen saver"), hidden);
  EXPECT_EQ(FindWindowA(nullptr, "Screen Saver"), hidden);
  EXPECT_EQ(FindWindowA("UserTestWindow", "Preview"), nullptr);
  DestroyWindow(hidden);
  EXPECT_EQ(FindWindowA("UserTestWindow", nullptr), nullptr);
}

TEST_F(FindWindow, ListedWindowsOfLivingProcessesOnlyAreFound) {
  long living = static_cast<long>(getppid());
  WriteEntry(living, 0x7000001, "WindowsScreenSaverClass", "Screen Saver");
  HWND found = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
  EXPECT_EQ(reinterpret_cast<uintptr_t>(found), 0x7000001u);
  EXPECT_TRUE(IsWindow(found));

  pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  WriteEntry(dead, 0x7000001, "WindowsScreenSaverClass", "Screen Saver");
  EXPECT_FALSE(IsWindow(found));
  EXPECT_EQ(FindWindowA("WindowsScreenSaverClass", "Screen Saver"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(Listing() / "117440513.win"));  // the stale entry went
}

TEST_F(FindWindow, AnotherProcessFindsTheWindowAndBringsItToTheForeground) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, "Screen Saver");
  headless::DeactivateApp();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  ASSERT_EQ(GetActiveWindow(), nullptr);

  pid_t child = fork();
  if (child == 0) {
    if (!freopen("/dev/null", "w", stdout)) _exit(126);
    setenv(kPeerVariable, host::CurrentOptions().windowDirectory.c_str(), 1);
    execl("/proc/self/exe", "platform_tests", "--gtest_filter=FindWindowPeer.*", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(child, 0);
  int status = -1;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool exited = false;
  while (std::chrono::steady_clock::now() < deadline) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (!exited && waitpid(child, &status, WNOHANG) == child) exited = true;
    if (exited && GetActiveWindow() == hwnd) break;
    usleep(1000);
  }
  ASSERT_TRUE(exited);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process failed: " << status;
  EXPECT_EQ(GetActiveWindow(), hwnd);
}

// Runs only as the other process of the test above.
TEST(FindWindowPeer, FindsAndActivates) {
  const char* directory = std::getenv(kPeerVariable);
  if (!directory) GTEST_SKIP() << "runs as the other process of FindWindow tests";
  host::Shutdown();
  host::Options options;
  options.backend = "headless";
  options.windowDirectory = directory;
  ASSERT_TRUE(host::Init(options));
  HWND found = FindWindowA("UserTestWindow", "Screen Saver");
  ASSERT_NE(found, nullptr);
  EXPECT_GT(reinterpret_cast<uintptr_t>(found), 0x1FFFFFu);  // not a handle of this process's own
  EXPECT_TRUE(IsWindow(found));
  EXPECT_TRUE(SetForegroundWindow(found));
  host::Shutdown();
}

}  // namespace
