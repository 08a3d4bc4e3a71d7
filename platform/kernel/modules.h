// The program's own module and the built-in optional system modules.
#pragma once

#include <windows.h>

#include <string>

namespace plat {

// The instance handle of the program: fixed and never null.
HMODULE ProgramInstance();

// The handle of a loaded system module named like this (any case, path or
// no path), or null.
HMODULE LoadedSystemModule(const char* name);

// The file name of a loaded system module.
bool SystemModuleName(HMODULE module, std::string* name);

}  // namespace plat
