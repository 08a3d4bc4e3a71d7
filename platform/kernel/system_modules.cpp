// LoadLibraryA and GetProcAddress over a table of built-in system modules.
// The password modules belong to the Windows 95 family only; on other
// platforms the desktop guards itself and they cannot be loaded.
#include "orvanel/system_modules.h"

#include <cctype>
#include <cstring>
#include <map>
#include <string>

#include "core/lifecycle.h"
#include "core/trace.h"
#include "kernel/modules.h"
#include "orvanel/host.h"

namespace {

// Every window has this input context until it is associated with another.
const HIMC kDefaultInputContext = reinterpret_cast<HIMC>(uintptr_t{0x1C0DE});

struct ModuleState {
  int loadCount[3] = {0, 0, 0};
  std::map<std::string, int> loadRequests;
  std::function<BOOL(HWND)> verifier;
  std::vector<HWND> verifications;
  std::vector<host::PasswordChange> changes;
  std::map<HWND, HIMC> inputContexts;
};

ModuleState& State() {
  static ModuleState state;
  return state;
}

void ForgetModules() { State() = ModuleState(); }

ModuleState& UsedState() {
  plat::RegisterReset(ForgetModules);
  return State();
}

HIMC WINAPI ImmAssociateContext(HWND window, HIMC context) {
  auto& contexts = UsedState().inputContexts;
  auto it = contexts.find(window);
  HIMC previous = it == contexts.end() ? kDefaultInputContext : it->second;
  contexts[window] = context;
  return previous;
}

BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  ModuleState& state = UsedState();
  state.verifications.push_back(window);
  return state.verifier ? state.verifier(window) : TRUE;
}

DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1, DWORD reserved2) {
  UsedState().changes.push_back({provider ? provider : "", owner, reserved1, reserved2});
  return 0;
}

// Through void(*)(): the one cast between function types that is not
// diagnosed; callers cast back to the real signature.
template <typename Function>
FARPROC AsFarProc(Function* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

struct Proc {
  const char* name;
  FARPROC address;
};

struct SystemModule {
  const char* fileName;
  bool windows95Only;
  Proc proc;
};

const SystemModule kModules[] = {
    {"IMM32.DLL", false, {"ImmAssociateContext", AsFarProc(&ImmAssociateContext)}},
    {"PASSWORD.CPL", true, {"VerifyScreenSavePwd", AsFarProc(&VerifyScreenSavePwd)}},
    {"MPR.DLL", true, {"PwdChangePasswordA", AsFarProc(&PwdChangePasswordA)}},
};
constexpr int kModuleCount = sizeof kModules / sizeof kModules[0];

HMODULE HandleOf(int index) {
  return reinterpret_cast<HMODULE>(uintptr_t{0x7E000000} + uintptr_t(index) * 0x10000);
}

int IndexOf(HMODULE module) {
  for (int i = 0; i < kModuleCount; ++i)
    if (HandleOf(i) == module) return i;
  return -1;
}

// "C:\WINDOWS\SYSTEM\mpr" -> "MPR.DLL"
std::string FileNameKey(const char* name) {
  std::string key(name ? name : "");
  size_t slash = key.find_last_of("\\/");
  if (slash != std::string::npos) key.erase(0, slash + 1);
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (!key.empty() && key.find('.') == std::string::npos) key += ".DLL";
  return key;
}

int FindModule(const std::string& key) {
  for (int i = 0; i < kModuleCount; ++i)
    if (key == kModules[i].fileName) return i;
  return -1;
}

bool ExistsHere(int index) {
  return !kModules[index].windows95Only || host::CurrentOptions().windows95Family;
}

}  // namespace

namespace plat {

HMODULE ProgramInstance() { return reinterpret_cast<HMODULE>(uintptr_t{0x00400000}); }

HMODULE LoadedSystemModule(const char* name) {
  int index = FindModule(FileNameKey(name));
  return index >= 0 && State().loadCount[index] > 0 ? HandleOf(index) : nullptr;
}

bool SystemModuleName(HMODULE module, std::string* name) {
  int index = IndexOf(module);
  if (index < 0 || State().loadCount[index] == 0) return false;
  *name = std::string("C:\\WINDOWS\\SYSTEM\\") + kModules[index].fileName;
  return true;
}

}  // namespace plat

namespace host {

void SetPasswordVerifier(std::function<BOOL(HWND)> verifier) { UsedState().verifier = std::move(verifier); }
std::vector<HWND> PasswordVerifications() { return State().verifications; }
std::vector<PasswordChange> PasswordChanges() { return State().changes; }

int LoadLibraryCount(const std::string& moduleName) {
  auto it = State().loadRequests.find(FileNameKey(moduleName.c_str()));
  return it == State().loadRequests.end() ? 0 : it->second;
}

bool IsModuleLoaded(const std::string& moduleName) {
  return plat::LoadedSystemModule(moduleName.c_str()) != nullptr;
}

HIMC InputContextOf(HWND window) {
  auto it = State().inputContexts.find(window);
  return it == State().inputContexts.end() ? kDefaultInputContext : it->second;
}

}  // namespace host

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  if (!lpLibFileName || !*lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ModuleState& state = UsedState();
  std::string key = FileNameKey(lpLibFileName);
  ++state.loadRequests[key];
  int index = FindModule(key);
  if (index < 0) PLAT_FIXME("LoadLibraryA: no module %s here", key.c_str());
  if (index < 0 || !ExistsHere(index)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++state.loadCount[index];
  return HandleOf(index);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  int index = IndexOf(hLibModule);
  if (index < 0 || State().loadCount[index] == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  --State().loadCount[index];
  return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  int index = IndexOf(hModule);
  if (index < 0 || State().loadCount[index] == 0) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // Entry points are looked up by name only; ordinals are not exported.
  if (IS_INTRESOURCE(lpProcName) || std::strcmp(lpProcName, kModules[index].proc.name) != 0) {
    if (IS_INTRESOURCE(lpProcName))
      PLAT_FIXME("GetProcAddress: %s ordinal %u", kModules[index].fileName,
                 static_cast<unsigned>(reinterpret_cast<uintptr_t>(lpProcName)));
    else
      PLAT_FIXME("GetProcAddress: %s has no %s here", kModules[index].fileName, lpProcName);
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return kModules[index].proc.address;
}

}  // extern "C"
