#include "frame_wait.h"

void WaitForMessageOrFrame(DWORD frameStart, DWORD frameMs) {
  const DWORD elapsed = GetTickCount() - frameStart;
  if (elapsed >= frameMs) return;
  MsgWaitForMultipleObjects(0, nullptr, FALSE, frameMs - elapsed, QS_ALLINPUT);
}
