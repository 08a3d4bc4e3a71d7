// Where the settings file lives and how it is read and rewritten.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "advapi/registry_file.h"

namespace plat {

// <configDir>/registry; configDir from the host options, else
// $XDG_CONFIG_HOME/orvanel-saver, else ~/.config/orvanel-saver.
std::string RegistryFilePath();

// The file as it is now. A missing or unreadable file reads as empty.
RegDocument ReadRegistry();

// Re-reads the file under an exclusive lock, lets change edit it, and, when
// change returns ERROR_SUCCESS and says it changed something, writes it back
// atomically (temporary file, fsync, rename). A file that exists but cannot
// be read is never replaced: the result is then ERROR_ACCESS_DENIED.
LONG UpdateRegistry(const std::function<LONG(RegDocument&, bool* changed)>& change);

}  // namespace plat
