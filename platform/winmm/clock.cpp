// The multimedia clock: the same millisecond clock as GetTickCount.
#include <mmsystem.h>
#include <windows.h>

#include "core/backend.h"

extern "C" DWORD WINAPI timeGetTime(void) { return plat::CurrentBackend().Now(); }
