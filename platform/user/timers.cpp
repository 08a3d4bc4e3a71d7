// Timers: due timers are marked and turned into WM_TIMER only when the queue
// has nothing else to give; one pending WM_TIMER per timer at most, and the
// next period counts from when the timer went off.
#include <algorithm>

#include "user/user_state.h"

using namespace plat;
using namespace plat::user;

namespace plat::user {

void CheckTimers(uint32_t now, bool* any, uint32_t* next) {
  *any = false;
  for (Timer& timer : S().timers) {
    if (!timer.pending && static_cast<int32_t>(now - timer.due) >= 0) {
      timer.pending = true;
      NoteArrival(QS_TIMER);
      timer.due = now + timer.elapse;
    }
    if (!timer.pending && (!*any || static_cast<int32_t>(timer.due - *next) < 0)) {
      *next = timer.due;
      *any = true;
    }
  }
}

void KillTimersOf(HWND hwnd) {
  auto& timers = S().timers;
  timers.erase(
      std::remove_if(timers.begin(), timers.end(), [hwnd](const Timer& t) { return t.hwnd == hwnd; }),
      timers.end());
}

}  // namespace plat::user

extern "C" {

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  State& s = S();
  if (hWnd && !Find(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  // As on Windows, shorter periods are raised to 10 ms.
  uElapse = std::clamp<UINT>(uElapse, 10, 0x7FFFFFFF);
  uint32_t now = CurrentBackend().Now();
  if (!hWnd) {
    // Thread timers get an identifier of their own unless an existing one is named.
    bool known = false;
    for (const Timer& t : s.timers) known = known || (!t.hwnd && t.id == nIDEvent);
    if (!known || nIDEvent == 0) {
      do nIDEvent = s.nextThreadTimer++;
      while (nIDEvent == 0);
    }
  }
  for (Timer& timer : s.timers) {
    if (timer.hwnd == hWnd && timer.id == nIDEvent) {
      timer = Timer{hWnd, nIDEvent, uElapse, lpTimerFunc, now + uElapse, false};
      return hWnd ? (nIDEvent ? nIDEvent : 1) : nIDEvent;
    }
  }
  s.timers.push_back(Timer{hWnd, nIDEvent, uElapse, lpTimerFunc, now + uElapse, false});
  return hWnd ? (nIDEvent ? nIDEvent : 1) : nIDEvent;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  auto& timers = S().timers;
  for (auto it = timers.begin(); it != timers.end(); ++it) {
    if (it->hwnd == hWnd && it->id == uIDEvent) {
      timers.erase(it);
      return TRUE;
    }
  }
  return FALSE;
}

}  // extern "C"
