#include "frame_wait.h"

bool WaitForMessageOrFrame(DWORD frameStart, DWORD frameMs) {
  const DWORD elapsed = GetTickCount() - frameStart;
  if (elapsed >= frameMs) return false;
  return MsgWaitForMultipleObjects(0, nullptr, FALSE, frameMs - elapsed, QS_ALLINPUT) == WAIT_OBJECT_0;
}
