#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "entry.h"
#include "orvanel/headless.h"
#include "orvanel/system_modules.h"
#include "saver_state.h"
#include "support/host_fixture.h"

namespace {

// The Windows 95 family with the desktop asking for the screen-saver password.
class PasswordSaver : public testsupport::HeadlessTest {
 protected:
  bool Windows95() const override { return true; }
  void SetUp() override {
    HeadlessTest::SetUp();
    ResetSaverState();
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    DWORD use = 1;
    RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&use), sizeof use);
    RegCloseKey(key);
  }
  int Run(const char* line) { return DispatchMode(GetModuleHandleA(nullptr), line, SW_SHOWDEFAULT); }
};

TEST_F(PasswordSaver, ARefusedPasswordKeepsTheSaverAndInputSoonAfterOpensNothing) {
  int calls = 0;
  host::SetPasswordVerifier([&](HWND) { return ++calls >= 2 ? TRUE : FALSE; });
  uint32_t start = headless::Now();
  headless::PressKey('A', start + 1000);  // verifier refuses
  headless::PressKey('B', start + 1100);  // within 200 ms of the refusal: nothing
  headless::PressKey('C', start + 2000);  // verifier accepts
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_EQ(calls, 2);
  EXPECT_GE(headless::Now() - start, 2000u);
  EXPECT_EQ(host::PasswordVerifications().size(), 2u);
}

TEST_F(PasswordSaver, AfterARefusalTheCursorStaysHidden) {
  int calls = 0;
  bool hiddenAfterRefusal = false;
  host::SetPasswordVerifier([&](HWND) {
    if (++calls == 2) hiddenAfterRefusal = !headless::CursorVisible();
    return calls >= 2 ? TRUE : FALSE;
  });
  uint32_t start = headless::Now();
  headless::PressKey('A', start + 1000);
  headless::PressKey('B', start + 1500);
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(hiddenAfterRefusal);
}

TEST_F(PasswordSaver, WithoutThePasswordSettingNoVerifierIsLoaded) {
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &key), ERROR_SUCCESS);
  DWORD use = 0;
  RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&use), sizeof use);
  RegCloseKey(key);
  uint32_t start = headless::Now();
  headless::PressKey('A', start + 1000);
  EXPECT_EQ(Run("/s"), 0);
  EXPECT_EQ(host::LoadLibraryCount("PASSWORD.CPL"), 0);
  EXPECT_TRUE(host::PasswordVerifications().empty());
}

TEST_F(PasswordSaver, ChangePasswordCallsTheSystemDialogForTheGivenWindow) {
  HWND owner = headless::CreateForeignWindow(10, 10, 100, 100);
  std::string line = "/a " + std::to_string(reinterpret_cast<UINT_PTR>(owner));
  EXPECT_EQ(Run(line.c_str()), 0);
  ASSERT_EQ(host::PasswordChanges().size(), 1u);
  EXPECT_EQ(host::PasswordChanges()[0].provider, "SCRSAVE");
  EXPECT_EQ(host::PasswordChanges()[0].owner, owner);
  EXPECT_FALSE(host::IsModuleLoaded("MPR.DLL")) << "freed right after the call";
}

TEST(ChangePasswordOnNt, ExitsWithMinusOneWithoutLoadingTheLibrary) {
  testsupport::StartHeadless(640, 480, 24, false);
  ResetSaverState();
  EXPECT_EQ(DispatchMode(GetModuleHandleA(nullptr), "/a 1234", SW_SHOWDEFAULT), -1);
  EXPECT_EQ(host::LoadLibraryCount("MPR.DLL"), 0);
  host::Shutdown();
}

}  // namespace
