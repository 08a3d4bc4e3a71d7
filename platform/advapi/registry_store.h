// Where the settings file lives and how it is read and rewritten.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "advapi/registry_file.h"

namespace plat {

// Settings files larger than this are neither read nor replaced.
constexpr size_t kMaxRegistryFileBytes = 1u << 20;

// <configDir>/registry (see ConfigDirectory); "" when there is no home.
std::string RegistryFilePath();

// The file as it is now. A missing, unreadable or oversized file reads as
// empty; the last two are reported on standard error.
RegDocument ReadRegistry();

// Re-reads the file under the settings lock, lets change edit it, and, when
// change returns ERROR_SUCCESS and says it changed something, writes it back
// atomically (temporary file, fsync, rename). A file that exists but cannot
// be read, or is oversized, is never replaced. With a lockHolder the lock
// stays taken for it until ReleaseRegistryLock (lockHolder); without one it
// is let go at once. Every failure is reported on standard error.
LONG UpdateRegistry(const std::function<LONG(RegDocument&, bool* changed)>& change,
                    const void* lockHolder = nullptr);

}  // namespace plat
