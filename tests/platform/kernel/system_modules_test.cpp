#include "orvanel/system_modules.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "support/host_fixture.h"

namespace {

using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND);
using PwdChangePasswordAFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
using ImmAssociateContextFn = HIMC(WINAPI*)(HWND, HIMC);

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

HWND FakeWindow(uintptr_t n) { return reinterpret_cast<HWND>(n); }

class SystemModulesTest : public testsupport::HeadlessTest {};

TEST_F(SystemModulesTest, PasswordModulesExistOnlyOnTheWindows95Family) {
  EXPECT_EQ(LoadLibraryA("PASSWORD.CPL"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryA("MPR.DLL"), nullptr);
  EXPECT_EQ(host::LoadLibraryCount("mpr.dll"), 1) << "failed loads are counted too";
  EXPECT_EQ(LoadLibraryA("UNKNOWN.DLL"), nullptr);

  testsupport::StartHeadless(640, 480, 24, true);
  EXPECT_EQ(host::LoadLibraryCount("MPR.DLL"), 0) << "counts start afresh";
  HMODULE password = LoadLibraryA("C:\\WINDOWS\\SYSTEM\\password.cpl");
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), password);
  HMODULE mpr = LoadLibraryA("mpr");
  ASSERT_NE(mpr, nullptr);
  EXPECT_NE(mpr, password);
  EXPECT_EQ(host::LoadLibraryCount("MPR.DLL"), 1);
}

TEST_F(SystemModulesTest, VerifierIsScriptedAndCounted) {
  testsupport::StartHeadless(640, 480, 24, true);
  HMODULE module = LoadLibraryA("PASSWORD.CPL");
  auto verify = Lookup<VerifyScreenSavePwdFn>(module, "VerifyScreenSavePwd");
  ASSERT_NE(verify, nullptr);
  EXPECT_EQ(GetProcAddress(module, "verifyscreensavepwd"), nullptr) << "entry names match exactly";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(1)), nullptr);

  EXPECT_TRUE(verify(FakeWindow(0x10))) << "accepts by default";
  host::SetPasswordVerifier([](HWND window) { return window == FakeWindow(0x20) ? TRUE : FALSE; });
  EXPECT_FALSE(verify(FakeWindow(0x10)));
  EXPECT_TRUE(verify(FakeWindow(0x20)));
  std::vector<HWND> expected{FakeWindow(0x10), FakeWindow(0x10), FakeWindow(0x20)};
  EXPECT_EQ(host::PasswordVerifications(), expected);

  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_FALSE(host::IsModuleLoaded("PASSWORD.CPL"));
  EXPECT_EQ(GetProcAddress(module, "VerifyScreenSavePwd"), nullptr) << "not after it was freed";
  EXPECT_FALSE(FreeLibrary(module));
}

TEST_F(SystemModulesTest, ChangePasswordRecordsItsArguments) {
  testsupport::StartHeadless(640, 480, 24, true);
  HMODULE module = LoadLibraryA("MPR.DLL");
  auto change = Lookup<PwdChangePasswordAFn>(module, "PwdChangePasswordA");
  ASSERT_NE(change, nullptr);
  change("SCRSAVE", FakeWindow(0x44), 0, 0);
  ASSERT_EQ(host::PasswordChanges().size(), 1u);
  EXPECT_EQ(host::PasswordChanges()[0].provider, "SCRSAVE");
  EXPECT_EQ(host::PasswordChanges()[0].owner, FakeWindow(0x44));
  FreeLibrary(module);
}

TEST_F(SystemModulesTest, InputMethodIsLoadedOnlyWhenSomethingLoadedIt) {
  EXPECT_EQ(GetModuleHandleA("IMM32.DLL"), nullptr);
  HMODULE module = LoadLibraryA("imm32.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetModuleHandleA("IMM32.DLL"), module);
  auto associate = Lookup<ImmAssociateContextFn>(module, "ImmAssociateContext");
  ASSERT_NE(associate, nullptr);

  HWND window = FakeWindow(0x99);
  HIMC original = associate(window, nullptr);
  EXPECT_NE(original, nullptr) << "every window starts with the default context";
  EXPECT_EQ(host::InputContextOf(window), nullptr);
  EXPECT_EQ(associate(window, original), nullptr);
  EXPECT_EQ(host::InputContextOf(window), original);
  EXPECT_EQ(host::InputContextOf(FakeWindow(0x98)), original) << "other windows are untouched";

  testsupport::StartHeadless();
  EXPECT_EQ(GetModuleHandleA("IMM32.DLL"), nullptr) << "shutdown unloads every module";
}

}  // namespace
