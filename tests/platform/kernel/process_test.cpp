#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/trace.h"
#include "orvanel/host.h"
#include "support/host_fixture.h"

namespace {

class ProcessTest : public testsupport::HeadlessTest {};

TEST_F(ProcessTest, VersionNeedsTheStructureSizeAndReportsNtByDefault) {
  OSVERSIONINFOA info;
  std::memset(&info, 0xCD, sizeof info);
  info.dwOSVersionInfoSize = 100;
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(info.dwPlatformId, 0xCDCDCDCDu) << "a refused call writes nothing";

  info.dwOSVersionInfoSize = 148;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwMinorVersion, 0u);
  EXPECT_EQ(info.szCSDVersion[0], '\0');

  OSVERSIONINFOEXA extended;
  std::memset(&extended, 0xCD, sizeof extended);
  extended.dwOSVersionInfoSize = sizeof extended;
  ASSERT_EQ(sizeof extended, 156u);
  ASSERT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended)));
  EXPECT_EQ(extended.wProductType, VER_NT_WORKSTATION);
  EXPECT_EQ(extended.wServicePackMajor, 0);
}

TEST_F(ProcessTest, VersionReportsTheWindows95FamilyWhenAsked) {
  testsupport::StartHeadless(640, 480, 24, true);
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwMinorVersion, 0u);
}

TEST_F(ProcessTest, CommandLineIsTheProgramNameUntilSetAndForgottenAtShutdown) {
  EXPECT_STREQ(GetCommandLineA(), "test");
  host::SetCommandLine("\"C:\\saver.scr\" /p 1234");
  EXPECT_STREQ(GetCommandLineA(), "\"C:\\saver.scr\" /p 1234");
  testsupport::StartHeadless();
  EXPECT_STREQ(GetCommandLineA(), "test");
}

TEST_F(ProcessTest, StartupInfoHasItsSizeAndNoShowCommand) {
  STARTUPINFOA info;
  std::memset(&info, 0xCD, sizeof info);
  GetStartupInfoA(&info);
  EXPECT_EQ(info.cb, sizeof info);
  EXPECT_EQ(info.dwFlags & STARTF_USESHOWWINDOW, 0u);
  EXPECT_EQ(info.lpTitle, nullptr);
}

TEST_F(ProcessTest, ProgramModuleIsFixedAndNamed) {
  HMODULE instance = GetModuleHandleA(nullptr);
  EXPECT_NE(instance, nullptr);
  EXPECT_EQ(GetModuleHandleA(nullptr), instance);
  EXPECT_EQ(GetModuleHandleA("KERNEL32.DLL"), nullptr);

  char name[4096];
  DWORD length = GetModuleFileNameA(instance, name, sizeof name);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::strlen(name), length);
  EXPECT_NE(std::string(name).find("platform_tests"), std::string::npos) << name;

  char tiny[5];
  std::memset(tiny, 'x', sizeof tiny);
  EXPECT_EQ(GetModuleFileNameA(nullptr, tiny, sizeof tiny), sizeof tiny);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(tiny[4], '\0');
}

TEST_F(ProcessTest, DebugStringsGoToStandardErrorOnlyWhenAsked) {
  unsetenv("ORVANEL_DEBUG");
  ::testing::internal::CaptureStderr();
  OutputDebugStringA("quiet\n");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  setenv("ORVANEL_DEBUG", "1", 1);
  ::testing::internal::CaptureStderr();
  OutputDebugStringA("loud\n");
  OutputDebugStringA(nullptr);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "loud\n");
  unsetenv("ORVANEL_DEBUG");
}

TEST_F(ProcessTest, FixmeChannelTellsEachRefusalOnceWhenNamed) {
  struct Case {
    const char* value;
    bool on;
  } cases[] = {{nullptr, false}, {"", false},         {"1", false},        {"fix", false},  {"fixme2", false},
               {"fixme", true},  {"other,fixme", true}, {"other fixme", true}, {"all", true}};
  for (const Case& c : cases) {
    if (c.value)
      setenv("ORVANEL_DEBUG", c.value, 1);
    else
      unsetenv("ORVANEL_DEBUG");
    EXPECT_EQ(plat::TraceChannelOn("fixme"), c.on) << "ORVANEL_DEBUG=" << (c.value ? c.value : "(unset)");
  }

  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  unsetenv("ORVANEL_DEBUG");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(BitBlt(screen, 0, 0, 4, 4, screen, 8, 8, SRCINVERT));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "the channel is off";
  setenv("ORVANEL_DEBUG", "fixme", 1);
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(BitBlt(screen, 0, 0, 4, 4, screen, 8, 8, SRCINVERT));
    EXPECT_EQ(GetDeviceCaps(screen, 9999), 0);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "test: fixme: BitBlt: rop 00660046\n"
            "test: fixme: GetDeviceCaps: index 9999\n");
  unsetenv("ORVANEL_DEBUG");
  ReleaseDC(nullptr, screen);
}

TEST_F(ProcessTest, ExitProcessShutsDownAndExitsWithTheCode) {
  EXPECT_EXIT(ExitProcess(7), ::testing::ExitedWithCode(7), "");
}

}  // namespace
