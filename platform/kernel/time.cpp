// Tick count and Sleep over the backend's clock (virtual on the headless
// screen, where sleeping is what lets time pass).
#include <windows.h>

#include "core/backend.h"

extern "C" {

DWORD WINAPI GetTickCount(void) { return plat::CurrentBackend().Now(); }

void WINAPI Sleep(DWORD dwMilliseconds) { plat::CurrentBackend().Sleep(dwMilliseconds); }

}  // extern "C"
