// Running out of memory: allocations that fail become the failure values of
// the calls that made them, and one that nothing caught ends the program with
// a message instead of an abort. Each case runs in another process with its
// address space capped; the sanitizers are told to let allocations fail.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <cstdlib>
#include <exception>
#include <fstream>
#include <new>
#include <string>

#include "orvanel/host.h"
#include "support/child_process.h"
#include "support/host_fixture.h"

namespace {

constexpr const char* kCaseVariable = "ORVANEL_OUT_OF_MEMORY_CASE";
constexpr int kBig = 8192;  // 8192 x 8192 pixels: 64 MB and more, far past the cap

// Runs the case in another process; its exit code (-1 when a signal ended it)
// and what it wrote to standard error.
int RunCase(const std::string& name, std::string* errors) {
  std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
  std::string directory = testsupport::MakeTempDirectory("out-of-memory");
  std::string errorPath = directory + "/errors";
  testsupport::ChildProcess child;
  bool started = child.Start({"/proc/self/exe", "--gtest_filter=OutOfMemoryCase.Run"},
                             {std::string(kCaseVariable) + "=" + name,
                              "ASAN_OPTIONS=" + asan + (asan.empty() ? "" : ":") + "allocator_may_return_null=1"},
                             errorPath);
  int code = started && child.WaitExit(120000) ? child.ExitCode() : -2;
  *errors = testsupport::ReadWholeFile(errorPath);
  std::remove(errorPath.c_str());
  rmdir(directory.c_str());
  return code;
}

// Caps the address space a little above what the process uses now.
void CapAddressSpace() {
  std::ifstream status("/proc/self/status");
  std::string line;
  unsigned long long kb = 0;
  while (std::getline(status, line))
    if (line.rfind("VmSize:", 0) == 0) kb = std::strtoull(line.c_str() + 7, nullptr, 10);
  ASSERT_GT(kb, 0u);
  rlimit limit;
  getrlimit(RLIMIT_AS, &limit);
  limit.rlim_cur = (kb + 16 * 1024) * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_AS, &limit), 0);
}

void Uncap() {
  rlimit limit;
  getrlimit(RLIMIT_AS, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_AS, &limit);
}

TEST(OutOfMemory, AllocationsThatFailAreWin32Failures) {
  std::string errors;
  EXPECT_EQ(RunCase("calls", &errors), 0) << errors;
}

TEST(OutOfMemory, AnUncaughtFailureEndsWithAMessage) {
  std::string errors;
  EXPECT_EQ(RunCase("uncaught", &errors), 1);
  EXPECT_NE(errors.find("test: out of memory"), std::string::npos) << errors;
}

// Runs only as the other process of the tests above.
TEST(OutOfMemoryCase, Run) {
  const char* name = std::getenv(kCaseVariable);
  if (!name) GTEST_SKIP() << "runs as the other process of OutOfMemory tests";
  testsupport::StartHeadless(320, 240);
  if (std::string(name) == "uncaught") {
    // As when an allocation deep in a window procedure fails and nothing
    // catches it (here the test framework would).
    try {
      throw std::bad_alloc();
    } catch (...) {
      std::terminate();
    }
  }

  HGLOBAL small = GlobalAlloc(GMEM_MOVEABLE, 16);
  ASSERT_NE(small, nullptr);
  CapAddressSpace();

  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info = {};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = kBig;
  info.header.biHeight = kBig;
  info.header.biPlanes = 1;
  info.header.biBitCount = 8;
  void* bits = reinterpret_cast<void*>(1);
  SetLastError(0);
  EXPECT_EQ(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0),
            nullptr);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));

  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(screen, kBig, kBig), nullptr);
  ReleaseDC(nullptr, screen);

  EXPECT_EQ(GlobalAlloc(GHND, SIZE_T(kBig) * kBig), nullptr);
  EXPECT_EQ(GlobalReAlloc(small, SIZE_T(kBig) * kBig, GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(GlobalSize(small), 16u) << "a failed resize keeps the block";
  GlobalFree(small);

  host::Shutdown();
  host::Options options;
  options.backend = "headless";
  options.width = options.height = kBig;
  std::string error;
  EXPECT_FALSE(host::Init(options, &error));
  EXPECT_NE(error.find("not enough memory"), std::string::npos) << error;
  Uncap();
}

}  // namespace
