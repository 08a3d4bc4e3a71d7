// Engine code that reaches past the Win32 API. Built once per case with
// PROBE_<case> defined (tests/CMakeLists.txt); every case but the control
// must fail to compile.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#if defined(PROBE_FOPEN)
bool Probe() { return std::fopen("settings", "rb") != nullptr; }
#elif defined(PROBE_GETENV)
bool Probe() { return getenv("HOME") != nullptr; }
#elif defined(PROBE_POSIX_CALL)
bool Probe() { return usleep(1000) == 0; }
#elif defined(PROBE_POSIX_HEADER)
#include <dirent.h>
bool Probe() { return opendir(".") != nullptr; }
#elif defined(PROBE_SDL)
#include <SDL2/SDL.h>
bool Probe() { return SDL_Init(0) == 0; }
#else
// The control: what engine code does instead.
bool Probe() { return GetTickCount() > 0 && std::snprintf(nullptr, 0, "%d", std::abs(-1)) == 1; }
#endif
