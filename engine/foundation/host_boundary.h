// Force-included into every engine and saver source (cmake/HostBoundary.cmake).
// Code above platform/ reaches the host only through the Win32 API, so that the
// same sources build for Windows. The C library's file, environment and
// process calls and the POSIX calls below fail to compile here, naming
// themselves; SDL and POSIX headers are refused by the headers in
// host_boundary/, which stand in front of the system's.
#pragma once

// What declares the names first, so the macros below touch only later uses.
#include <cstdio>
#include <cstdlib>
#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

#define ORVANEL_FORBIDDEN(name) name##_is_forbidden_above_platform_use_the_Win32_API

// Files: mmioOpen and mFile. Environment: the registry and the command line.
#define fopen(...) ORVANEL_FORBIDDEN(fopen)
#define freopen(...) ORVANEL_FORBIDDEN(freopen)
#define tmpfile(...) ORVANEL_FORBIDDEN(tmpfile)
#define system(...) ORVANEL_FORBIDDEN(system)
#define getenv(...) ORVANEL_FORBIDDEN(getenv)
#define secure_getenv(...) ORVANEL_FORBIDDEN(secure_getenv)
#define putenv(...) ORVANEL_FORBIDDEN(putenv)
#define setenv(...) ORVANEL_FORBIDDEN(setenv)
#define unsetenv(...) ORVANEL_FORBIDDEN(unsetenv)

// POSIX calls that the standard library's headers declare anyway (its
// threads include <unistd.h>), so they are refused by name. open, read,
// write and close cannot be: member functions of the standard library
// have those names. The Linux build refuses them for both hosts.
#if !defined(_WIN32)
#define popen(...) ORVANEL_FORBIDDEN(popen)
#define access(...) ORVANEL_FORBIDDEN(access)
#define unlink(...) ORVANEL_FORBIDDEN(unlink)
#define sleep(...) ORVANEL_FORBIDDEN(sleep)
#define usleep(...) ORVANEL_FORBIDDEN(usleep)
#define fork(...) ORVANEL_FORBIDDEN(fork)
#define execv(...) ORVANEL_FORBIDDEN(execv)
#define execvp(...) ORVANEL_FORBIDDEN(execvp)
#define pipe(...) ORVANEL_FORBIDDEN(pipe)
#define getcwd(...) ORVANEL_FORBIDDEN(getcwd)
#define chdir(...) ORVANEL_FORBIDDEN(chdir)
#endif
