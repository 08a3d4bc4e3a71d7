// Registry keys and values under HKEY_CURRENT_USER, kept in the settings
// file. Every call reads the file afresh, so keys see what other keys and
// other processes stored. A key handle that writes holds the settings lock
// until it is closed: what one handle writes is not mixed with another
// process's writes. The other root keys are not kept: every call on them
// fails with ERROR_ACCESS_DENIED.
#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "advapi/registry_file.h"
#include "advapi/registry_lock.h"
#include "advapi/registry_store.h"
#include "core/lifecycle.h"
#include "core/trace.h"

namespace {

struct OpenKey {
  std::string path;
};

std::map<HKEY, std::unique_ptr<OpenKey>>& OpenKeys() {
  static std::map<HKEY, std::unique_ptr<OpenKey>> keys;
  return keys;
}

void CloseAllKeys() {
  OpenKeys().clear();
  plat::ReleaseAllRegistryLocks();
}

// The handle that keeps the lock after a write: an open key; the root keys
// are not closed, so a write through one lets the lock go at once.
const void* LockHolder(HKEY key) { return OpenKeys().count(key) ? key : nullptr; }

// The path of a handle: "" for HKEY_CURRENT_USER. False for other roots and
// for handles that are not open.
LONG PathOf(HKEY key, std::string* path) {
  if (key == HKEY_CURRENT_USER) {
    path->clear();
    return ERROR_SUCCESS;
  }
  auto it = OpenKeys().find(key);
  if (it != OpenKeys().end()) {
    *path = it->second->path;
    return ERROR_SUCCESS;
  }
  if (key == HKEY_CLASSES_ROOT || key == HKEY_LOCAL_MACHINE || key == HKEY_USERS) {
    PLAT_FIXME("registry: root key %p (HKEY_CURRENT_USER only)", static_cast<void*>(key));
    return ERROR_ACCESS_DENIED;
  }
  return ERROR_INVALID_HANDLE;
}

std::string Join(const std::string& base, LPCSTR subKey) {
  std::string sub = plat::NormaliseKeyPath(subKey ? subKey : "");
  if (base.empty()) return sub;
  return sub.empty() ? base : base + "\\" + sub;
}

HKEY NewHandle(const std::string& path) {
  plat::RegisterReset(CloseAllKeys);
  auto key = std::make_unique<OpenKey>();
  key->path = path;
  HKEY handle = reinterpret_cast<HKEY>(key.get());
  OpenKeys()[handle] = std::move(key);
  return handle;
}

std::string ValueName(LPCSTR name) { return name ? name : ""; }

}  // namespace

extern "C" {

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                               REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                               PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  std::string base;
  LONG status = PathOf(hKey, &base);
  if (status != ERROR_SUCCESS) return status;
  std::string path = Join(base, lpSubKey);
  std::string className = lpClass ? lpClass : "";
  DWORD disposition = REG_OPENED_EXISTING_KEY;
  if (!plat::ReadRegistry().KeyExists(path)) {
    status = plat::UpdateRegistry([&](plat::RegDocument& document, bool* changed) -> LONG {
      if (!document.KeyExists(path)) {
        document.CreateKey(path, className);
        disposition = REG_CREATED_NEW_KEY;
        *changed = true;
      }
      return ERROR_SUCCESS;
    });
    if (status != ERROR_SUCCESS) return status;
  }
  *phkResult = NewHandle(path);
  if (lpdwDisposition) *lpdwDisposition = disposition;
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                             PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  std::string base;
  LONG status = PathOf(hKey, &base);
  if (status != ERROR_SUCCESS) return status;
  std::string path = Join(base, lpSubKey);
  if (!plat::ReadRegistry().KeyExists(path)) return ERROR_FILE_NOT_FOUND;
  *phkResult = NewHandle(path);
  return ERROR_SUCCESS;
}

// With no subkey it hands back the key it was given, as Windows does.
LSTATUS WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  if (!lpSubKey || !*lpSubKey) {
    std::string path;
    LONG status = PathOf(hKey, &path);
    *phkResult = status == ERROR_SUCCESS ? hKey : nullptr;
    return status;
  }
  return RegOpenKeyExA(hKey, lpSubKey, 0, KEY_ALL_ACCESS, phkResult);
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                LPBYTE lpData, LPDWORD lpcbData) {
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  std::string path;
  LONG status = PathOf(hKey, &path);
  if (status != ERROR_SUCCESS) return status;
  plat::RegDocument document = plat::ReadRegistry();
  const plat::RegValue* value = document.FindValue(path, ValueName(lpValueName));
  if (!value) return ERROR_FILE_NOT_FOUND;
  DWORD size = static_cast<DWORD>(value->data.size());
  if (lpType) *lpType = value->type;
  if (!lpData) {
    if (lpcbData) *lpcbData = size;
    return ERROR_SUCCESS;
  }
  if (*lpcbData < size) {
    *lpcbData = size;
    return ERROR_MORE_DATA;
  }
  if (size) std::copy(value->data.begin(), value->data.end(), lpData);
  *lpcbData = size;
  return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                              DWORD cbData) {
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  // Refused rather than written into the settings file, which would then be too large to read.
  if (cbData > plat::kMaxRegistryFileBytes) return ERROR_NOT_ENOUGH_MEMORY;
  std::string path;
  LONG status = PathOf(hKey, &path);
  if (status != ERROR_SUCCESS) return status;
  plat::RegValue value;
  value.name = ValueName(lpValueName);
  value.type = dwType;
  if (cbData) value.data.assign(lpData, lpData + cbData);
  return plat::UpdateRegistry(
      [&](plat::RegDocument& document, bool* changed) -> LONG {
        document.SetValue(path, value);
        *changed = true;
        return ERROR_SUCCESS;
      },
      LockHolder(hKey));
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  std::string path;
  LONG status = PathOf(hKey, &path);
  if (status != ERROR_SUCCESS) return status;
  return plat::UpdateRegistry(
      [&](plat::RegDocument& document, bool* changed) -> LONG {
        *changed = document.DeleteValue(path, ValueName(lpValueName));
        return *changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
      },
      LockHolder(hKey));
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
  if (hKey == HKEY_CURRENT_USER || hKey == HKEY_CLASSES_ROOT || hKey == HKEY_LOCAL_MACHINE ||
      hKey == HKEY_USERS)
    return ERROR_SUCCESS;
  if (!OpenKeys().erase(hKey)) return ERROR_INVALID_HANDLE;
  plat::ReleaseRegistryLock(hKey);
  return ERROR_SUCCESS;
}

}  // extern "C"
