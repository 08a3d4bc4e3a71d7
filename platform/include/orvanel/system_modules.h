// Test control of the optional system modules ("IMM32.DLL", "PASSWORD.CPL",
// "MPR.DLL") that programs bind at run time with LoadLibraryA. The two
// password modules exist only when the host reports the Windows 95 family.
// Everything here is forgotten at host::Shutdown.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace host {

// Answers VerifyScreenSavePwd(window). Default: every password is accepted.
void SetPasswordVerifier(std::function<BOOL(HWND)> verifier);

// The windows VerifyScreenSavePwd was called with, in call order.
std::vector<HWND> PasswordVerifications();

struct PasswordChange {
  std::string provider;  // the key name, "SCRSAVE" for screen savers
  HWND owner;
  DWORD reserved1;
  DWORD reserved2;
};
// The calls of PwdChangePasswordA, in call order.
std::vector<PasswordChange> PasswordChanges();

// How often LoadLibraryA was asked for the module of this file name (any
// case, with or without a path or ".DLL"), successful or not.
int LoadLibraryCount(const std::string& moduleName);

// Whether the module is loaded now (GetModuleHandleA would find it).
bool IsModuleLoaded(const std::string& moduleName);

// The input context associated with the window (ImmAssociateContext).
// Every window starts with the same default context, which is not null.
HIMC InputContextOf(HWND window);

}  // namespace host
