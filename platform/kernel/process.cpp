// The process as a Win32 program sees it: command line, start-up
// information, version, its own module and the way out.
#include <unistd.h>
#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/backend.h"
#include "core/lifecycle.h"
#include "core/signals.h"
#include "kernel/modules.h"
#include "orvanel/host.h"

namespace {

struct CommandLine {
  bool set = false;
  std::string text;
};

CommandLine& TheCommandLine() {
  static CommandLine commandLine;
  return commandLine;
}

void ForgetCommandLine() { TheCommandLine() = CommandLine(); }

constexpr DWORD kNtBuild = 1381;
constexpr DWORD kWindows95Build = 0x040003B6;  // 4.0.950, the version in the high word

}  // namespace

namespace host {

void SetCommandLine(const std::string& commandLine) {
  plat::RegisterReset(ForgetCommandLine);
  TheCommandLine().set = true;
  TheCommandLine().text = commandLine;
}

}  // namespace host

extern "C" {

LPSTR WINAPI GetCommandLineA(void) {
  CommandLine& commandLine = TheCommandLine();
  if (!commandLine.set) {
    plat::RegisterReset(ForgetCommandLine);
    commandLine.set = true;
    commandLine.text = host::CurrentOptions().programName;
  }
  return commandLine.text.data();
}

void WINAPI GetStartupInfoA(LPSTARTUPINFOA lpStartupInfo) {
  if (!lpStartupInfo) return;
  std::memset(lpStartupInfo, 0, sizeof *lpStartupInfo);
  lpStartupInfo->cb = sizeof *lpStartupInfo;
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
  if (!lpVersionInformation || (lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                                lpVersionInformation->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  bool windows95 = host::CurrentOptions().windows95Family;
  bool extended = lpVersionInformation->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA);
  std::memset(reinterpret_cast<char*>(lpVersionInformation) + sizeof(DWORD), 0,
              lpVersionInformation->dwOSVersionInfoSize - sizeof(DWORD));
  lpVersionInformation->dwMajorVersion = 4;
  lpVersionInformation->dwMinorVersion = 0;
  lpVersionInformation->dwBuildNumber = windows95 ? kWindows95Build : kNtBuild;
  lpVersionInformation->dwPlatformId = windows95 ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT;
  if (extended && !windows95)
    reinterpret_cast<OSVERSIONINFOEXA*>(lpVersionInformation)->wProductType = VER_NT_WORKSTATION;
  return TRUE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (!lpModuleName) return plat::ProgramInstance();
  HMODULE module = plat::LoadedSystemModule(lpModuleName);
  if (!module) SetLastError(ERROR_MOD_NOT_FOUND);
  return module;
}

// Copies like Windows: a short buffer gets a cut, terminated name, the
// result is nSize and the error ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::string name;
  if (!hModule || hModule == plat::ProgramInstance()) {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    name = length > 0 ? std::string(path, static_cast<size_t>(length)) : host::CurrentOptions().programName;
  } else if (!plat::SystemModuleName(hModule, &name)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (!lpFilename || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (name.size() >= nSize) {
    std::memcpy(lpFilename, name.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, name.c_str(), name.size() + 1);
  return static_cast<DWORD>(name.size());
}

void WINAPI ExitProcess(UINT uExitCode) {
  if (plat::HasBackend()) plat::CurrentBackend().Finish();
  int endSignal = plat::EndSignal();
  host::Shutdown();
  // Asked to end by a signal: once everything is cleaned up, end by it, so
  // that the parent sees why.
  plat::EndBySignal(endSignal);
  std::exit(static_cast<int>(uExitCode));
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
  if (!lpOutputString || !std::getenv("ORVANEL_DEBUG")) return;
  std::fputs(lpOutputString, stderr);
  std::fflush(stderr);
}

}  // extern "C"
