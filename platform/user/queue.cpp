// The thread's message queue. Order of retrieval: posted messages, input,
// WM_QUIT (once nothing is posted; whatever the filters, as on Windows),
// WM_PAINT for windows with an update region, then WM_TIMER of due timers.
#include <algorithm>

#include "core/backend.h"
#include "core/due_work.h"
#include "core/signals.h"
#include "core/trace.h"
#include "orvanel/host.h"
#include "user/user_state.h"

using namespace plat;
using namespace plat::user;

namespace {

const HWND kThreadOnly = reinterpret_cast<HWND>(-1);

bool RangeMatches(UINT message, UINT min, UINT max) {
  if (min == 0 && max == 0) return true;
  if (min > max) return message >= min || message <= max;
  return message >= min && message <= max;
}

bool WindowMatches(HWND target, HWND filter) {
  if (!filter) return true;
  if (filter == kThreadOnly) return target == nullptr;
  return target && IsSelfOrDescendant(filter, target);
}

bool TakeFrom(std::deque<MSG>& queue, MSG* out, HWND filter, UINT min, UINT max, bool remove) {
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (!WindowMatches(it->hwnd, filter) || !RangeMatches(it->message, min, max)) continue;
    *out = *it;
    if (remove) queue.erase(it);
    return true;
  }
  return false;
}

HWND FindPaint(Window* window, HWND filter) {
  if (!(window->style & WS_VISIBLE)) return nullptr;
  if (window->hasUpdate && WindowMatches(window->handle, filter)) return window->handle;
  for (HWND child : window->children)
    if (Window* c = Find(child))
      if (HWND found = FindPaint(c, filter)) return found;
  return nullptr;
}

MSG Make(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{hwnd, message, wParam, lParam, CurrentBackend().Now(), {0, 0}};
  int x = 0, y = 0;
  CurrentBackend().GetCursorPos(&x, &y);
  msg.pt = POINT{x, y};
  return msg;
}

bool PeekOnce(MSG* out, HWND filter, UINT min, UINT max, bool remove) {
  State& s = S();
  if (TakeFrom(s.posted, out, filter, min, max, remove)) return true;
  RouteQueuedKeys();
  if (TakeFrom(s.input, out, filter, min, max, remove)) {
    if (remove) TookInputMessage(*out);
    return true;
  }
  if (s.quitPending && s.posted.empty()) {
    *out = Make(nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0);
    if (remove) s.quitPending = false;
    return true;
  }
  if (RangeMatches(WM_PAINT, min, max)) {
    for (HWND top : s.topLevels) {
      Window* window = Find(top);
      if (!window) continue;
      if (HWND hwnd = FindPaint(window, filter)) {
        *out = Make(hwnd, WM_PAINT, 0, 0);
        return true;
      }
    }
  }
  if (RangeMatches(WM_TIMER, min, max)) {
    bool any = false;
    uint32_t next = 0;
    CheckTimers(CurrentBackend().Now(), &any, &next);
    for (Timer& timer : s.timers) {
      if (!timer.pending || !WindowMatches(timer.hwnd, filter)) continue;
      *out = Make(timer.hwnd, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.proc));
      if (remove) timer.pending = false;
      return true;
    }
  }
  return false;
}

void Service() {
  HandleActivationRequests();
  PumpHostEvents(0);
  RunDueWork();
}

// Whatever has arrived counts as seen once the queue has been looked at.
void Looked() { S().queueNews = 0; }

uint32_t Until(uint32_t at, uint32_t now) {
  return static_cast<uint32_t>(std::max<int32_t>(static_cast<int32_t>(at - now), 1));
}

// How long an idle thread may sleep, at most limit: until the next timer,
// due work or deadline of the --seconds watchdog.
uint32_t IdleWait(uint32_t limit) {
  uint32_t now = CurrentBackend().Now();
  // A backend whose waits do not end on activation requests is asked again
  // now and then, so that none waits unseen.
  uint32_t wait = CurrentBackend().WaitEndsOnActivation() ? limit : std::min<uint32_t>(limit, 100);
  bool any = false;
  uint32_t next = 0;
  CheckTimers(now, &any, &next);
  if (any) wait = std::min(wait, Until(next, now));
  uint32_t deadline = 0;
  if (NextDueTime(&deadline)) wait = std::min(wait, Until(deadline, now));
  if (WatchdogDeadline(&deadline)) wait = std::min(wait, Until(deadline, now));
  return wait;
}

}  // namespace

namespace plat::user {

void PostInputMessage(const MSG& message) {
  S().input.push_back(message);
  UINT kind = message.message == WM_MOUSEMOVE                                           ? QS_MOUSEMOVE
              : message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST ? QS_MOUSEBUTTON
                                                                                     : QS_KEY;
  NoteArrival(kind);
}

void PurgeMessagesOf(HWND hwnd) {
  for (std::deque<MSG>* queue : {&S().posted, &S().input}) {
    queue->erase(
        std::remove_if(queue->begin(), queue->end(), [hwnd](const MSG& m) { return m.hwnd == hwnd; }),
        queue->end());
  }
}

}  // namespace plat::user

extern "C" {

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd && !Find(hWnd)) {
    // Another program's window: nothing reaches it, as with a window that
    // ignores the message.
    if (IsWindow(hWnd)) return TRUE;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  S().posted.push_back(Make(hWnd, Msg, wParam, lParam));
  NoteArrival(QS_POSTMESSAGE);
  return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!Find(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return CallProc(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (!lpMsg) return FALSE;
  bool remove = (wRemoveMsg & PM_REMOVE) != 0;
  Service();
  bool found = PeekOnce(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove);
  if (!found) {
    // Nothing there: wait a moment for input so that polling loops do not
    // spin; on the virtual screen this is what lets time pass.
    PumpHostEvents(1);
    HandleActivationRequests();
    RunDueWork();
    found = PeekOnce(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove);
  }
  Looked();
  return found ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg) return -1;
  if (hWnd && hWnd != kThreadOnly && !Find(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  for (;;) {
    Service();
    bool found = PeekOnce(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true);
    Looked();
    if (found) return lpMsg->message == WM_QUIT ? FALSE : TRUE;
    if (hWnd && hWnd != kThreadOnly && !Find(hWnd)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return -1;
    }
    // Sleep until the next timer or deadline, or until input comes.
    PumpHostEvents(IdleWait(INFINITE));
  }
}

// Sleeps until a message of the kinds asked for arrives that the queue did
// not hold when it was last looked at, or until the time is up. As on
// Windows it only waits: what arrived is handled (a destroyed parent's
// window included) when the queue is next looked at. There are no waitable
// objects on this platform: nCount must be 0.
DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE*, BOOL, DWORD dwMilliseconds, DWORD dwWakeMask) {
  if (nCount != 0) {
    PLAT_FIXME("MsgWaitForMultipleObjects: %lu handles", static_cast<unsigned long>(nCount));
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const uint32_t start = CurrentBackend().Now();
  for (;;) {
    RunDueWork();
    bool any = false;
    uint32_t next = 0;
    CheckTimers(CurrentBackend().Now(), &any, &next);
    if ((S().queueNews | HeldEventKinds()) & dwWakeMask) return WAIT_OBJECT_0;
    // A termination or activation request is handled by the next look.
    if (SignalPending()) return WAIT_OBJECT_0;
    uint32_t limit = INFINITE;
    if (dwMilliseconds != INFINITE) {
      uint32_t waited = CurrentBackend().Now() - start;
      if (waited >= dwMilliseconds) return WAIT_TIMEOUT;
      limit = dwMilliseconds - waited;
    }
    WaitForHostEvent(IdleWait(limit));
  }
}

void WINAPI PostQuitMessage(int nExitCode) {
  S().quitPending = true;
  S().quitCode = nExitCode;
  NoteArrival(QS_POSTMESSAGE);
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
  if (!lpMsg) return 0;
  if (lpMsg->message == WM_TIMER && lpMsg->lParam) {
    reinterpret_cast<TIMERPROC>(lpMsg->lParam)(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
    return 0;
  }
  if (!lpMsg->hwnd || !Find(lpMsg->hwnd)) return 0;
  LRESULT result = CallProc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
  if (lpMsg->message == WM_PAINT) {
    // A window procedure that leaves its update region alone would be
    // sent WM_PAINT for ever.
    if (Window* window = Find(lpMsg->hwnd)) window->hasUpdate = window->erase = false;
  }
  return result;
}

}  // extern "C"
