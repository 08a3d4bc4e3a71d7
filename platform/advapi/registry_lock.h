// The lock every process takes to rewrite the settings file. A key handle
// that writes keeps it until the handle is closed, so that the values written
// through one handle (RegCreateKeyEx ... RegCloseKey) reach the file with no
// other process's writes in between.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace plat {

// Takes the lock held in lockPath for holder (a key handle, or any token for
// a single update). Holders in this process share it. Another process's lock
// is waited for at most the wait set below: then ERROR_LOCK_VIOLATION.
// A lock file that cannot be opened gives ERROR_ACCESS_DENIED.
LONG AcquireRegistryLock(const std::string& lockPath, const void* holder);
// The lock goes when its last holder lets it go.
void ReleaseRegistryLock(const void* holder);
void ReleaseAllRegistryLocks();

// How long to wait for another process's lock (3 s unless set).
void SetRegistryLockWait(uint32_t milliseconds);
uint32_t RegistryLockWait();

}  // namespace plat
