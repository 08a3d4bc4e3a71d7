// Host events become messages: keys to the focus window, mouse input to the
// window under the cursor, window-manager requests to the top-level windows.
// Also the key state and the --seconds watchdog.
#include <cctype>

#include "core/backend.h"
#include "orvanel/host.h"
#include "user/user_state.h"

using namespace plat;
using namespace plat::user;

namespace {

MSG Make(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, uint32_t time) {
  int x = 0, y = 0;
  CurrentBackend().GetCursorPos(&x, &y);
  return MSG{hwnd, message, wParam, lParam, time ? time : CurrentBackend().Now(), POINT{x, y}};
}

HWND FindByNative(const NativeWindow* native) {
  if (!native) return nullptr;
  for (auto& [value, window] : S().windows)
    if (window->native == native) return window->handle;
  return nullptr;
}

std::vector<HWND> TopLevels() { return S().topLevels; }

WPARAM MouseKeys() {
  const uint8_t* keys = S().keys;
  WPARAM flags = 0;
  if (keys[VK_LBUTTON] & 0x80) flags |= MK_LBUTTON;
  if (keys[VK_RBUTTON] & 0x80) flags |= MK_RBUTTON;
  if (keys[VK_MBUTTON] & 0x80) flags |= MK_MBUTTON;
  if (keys[VK_SHIFT] & 0x80) flags |= MK_SHIFT;
  if (keys[VK_CONTROL] & 0x80) flags |= MK_CONTROL;
  return flags;
}

bool IsKeyboardMessage(UINT message) {
  return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP ||
         message == WM_CHAR;
}

// The window is chosen when the key is taken from the queue (RouteQueuedKeys).
void Key(const HostEvent& e, bool down) {
  State& s = S();
  int vk = e.vk & 0xFF;
  bool wasDown = (s.keys[vk] & 0x80) != 0;
  if (down) {
    if (!wasDown) s.keys[vk] ^= 0x01;
    s.keys[vk] |= 0x80;
  } else {
    s.keys[vk] &= ~0x80;
  }
  bool alt = (s.keys[VK_MENU] & 0x80) || (vk == VK_MENU && !down);
  // Alt combinations are system keys, marked by the context bit; with
  // Control they are not (AltGr).
  bool altSystem = alt && !(s.keys[VK_CONTROL] & 0x80);
  LPARAM lParam = 1 | (static_cast<LPARAM>(vk & 0xFF) << 16);
  if (altSystem) lParam |= 1L << 29;
  if (wasDown || !down) lParam |= 1L << 30;
  if (!down) lParam |= static_cast<LPARAM>(1u << 31);
  PostInputMessage(Make(nullptr, down ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(vk), lParam, e.time));
}

void Mouse(const HostEvent& e) {
  State& s = S();
  UINT message = WM_MOUSEMOVE;
  if (e.kind != HostEvent::kMouseMove) {
    bool down = e.kind == HostEvent::kButtonDown;
    int vk = e.vk == 2 ? VK_RBUTTON : e.vk == 3 ? VK_MBUTTON : VK_LBUTTON;
    if (down)
      s.keys[vk] |= 0x80;
    else
      s.keys[vk] &= ~0x80;
    if (vk == VK_LBUTTON) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    if (vk == VK_RBUTTON) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    if (vk == VK_MBUTTON) message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
  }
  POINT pt{e.x, e.y};
  HWND target = s.capture ? s.capture : WindowFromScreenPoint(pt);
  if (!target) return;
  if (!s.capture) {
    CallProc(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(1 /* HTCLIENT */, message));
    if (!Find(target)) return;
  }
  if (e.kind == HostEvent::kButtonDown) {
    Window* top = Find(target);
    while (top && top->parent) top = Find(top->parent);
    if (top && (s.active != top->handle || !s.appActive)) ActivateWindow(top->handle, WA_CLICKACTIVE);
    if (!Find(target)) return;
  }
  POINT client = pt;
  ScreenToClient(target, &client);
  MSG msg = Make(target, message, MouseKeys(), MAKELPARAM(client.x, client.y), e.time);
  msg.pt = pt;
  PostInputMessage(msg);
}

void CloseAll(UINT message, WPARAM wParam) {
  for (HWND top : TopLevels()) PostMessageA(top, message, wParam, 0);
}

void Convert(const HostEvent& e) {
  switch (e.kind) {
    case HostEvent::kKeyDown:
      Key(e, true);
      break;
    case HostEvent::kKeyUp:
      Key(e, false);
      break;
    case HostEvent::kChar:
      PostInputMessage(Make(nullptr, WM_CHAR, static_cast<WPARAM>(e.vk & 0xFF), 1, e.time));
      break;
    case HostEvent::kMouseMove:
    case HostEvent::kButtonDown:
    case HostEvent::kButtonUp:
      Mouse(e);
      break;
    case HostEvent::kActivateApp:
      if (e.value)
        ReactivateApp();
      else
        DeactivateApp();
      break;
    case HostEvent::kCloseRequest:
      if (HWND hwnd = FindByNative(e.window)) PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case HostEvent::kExpose:
      // The backend shows the window's pixels again from its surface, which
      // keeps them. Repainting the windows would wipe what is drawn outside
      // WM_PAINT: the settings dialog's stages went black under their
      // controls' own paint.
      break;
    case HostEvent::kResize:
      if (HWND hwnd = FindByNative(e.window))
        SetWindowPos(hwnd, nullptr, 0, 0, e.x, e.y, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case HostEvent::kParentGone:
      if (HWND hwnd = FindByNative(e.window)) DestroyWindow(hwnd);
      break;
    case HostEvent::kTerminate:
      CloseAll(WM_CLOSE, 0);
      break;
    case HostEvent::kNone:
      break;
  }
}

void Watchdog() {
  const host::Options& options = host::CurrentOptions();
  if (options.seconds < 0) return;
  State& s = S();
  uint32_t deadline = s.startTime + static_cast<uint32_t>(options.seconds * 1000.0);
  int32_t late = static_cast<int32_t>(CurrentBackend().Now() - deadline);
  if (late >= 0 && !s.escapeSent) {
    // Ends the mode as its user would: a key press. The screenshot shows
    // the screen as it was when the time was up, not the empty desktop
    // left once the windows have closed.
    s.escapeSent = true;
    CurrentBackend().TimedRunEnding();
    HostEvent key;
    key.kind = HostEvent::kKeyDown;
    key.vk = VK_ESCAPE;
    Convert(key);
    key.kind = HostEvent::kKeyUp;
    Convert(key);
  }
  if (late >= 2000 && !s.closeSent) {
    s.closeSent = true;
    CloseAll(WM_CLOSE, 0);
  }
}

}  // namespace

namespace plat::user {

void PumpHostEvents(uint32_t waitMs) {
  Watchdog();
  State& s = S();
  bool first = s.heldEvents.empty();
  while (!s.heldEvents.empty()) {
    HostEvent held = s.heldEvents.front();
    s.heldEvents.pop_front();
    Convert(held);
  }
  HostEvent event;
  while (CurrentBackend().WaitEvent(&event, first ? waitMs : 0)) {
    first = false;
    Convert(event);
  }
  Watchdog();
}

void WaitForHostEvent(uint32_t waitMs) {
  Watchdog();
  HostEvent event;
  if (CurrentBackend().WaitEvent(&event, waitMs)) S().heldEvents.push_back(event);
  Watchdog();
}

UINT HeldEventKinds() {
  UINT kinds = 0;
  for (const HostEvent& e : S().heldEvents) {
    switch (e.kind) {
      case HostEvent::kKeyDown:
      case HostEvent::kKeyUp:
      case HostEvent::kChar:
        kinds |= QS_KEY;
        break;
      case HostEvent::kMouseMove:
        kinds |= QS_MOUSEMOVE;
        break;
      case HostEvent::kButtonDown:
      case HostEvent::kButtonUp:
        kinds |= QS_MOUSEBUTTON;
        break;
      default:
        // Window-manager events become sent or posted messages.
        kinds |= QS_SENDMESSAGE | QS_POSTMESSAGE;
        break;
    }
  }
  return kinds;
}

void RouteQueuedKeys() {
  State& s = S();
  HWND target = s.focus ? s.focus : s.active;
  for (auto it = s.input.begin(); it != s.input.end();) {
    if (!IsKeyboardMessage(it->message)) {
      ++it;
      continue;
    }
    if (!target) {
      it = s.input.erase(it);  // no window of ours takes keys now
      continue;
    }
    it->hwnd = target;
    if (it->message != WM_CHAR) {
      bool down = it->message == WM_KEYDOWN || it->message == WM_SYSKEYDOWN;
      // F10 is a system key, and so is every key when the active window has
      // no focus window.
      bool system = (it->lParam & (1L << 29)) || it->wParam == VK_F10 || !s.focus;
      it->message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    }
    ++it;
  }
}

bool WatchdogDeadline(uint32_t* at) {
  const host::Options& options = host::CurrentOptions();
  State& s = S();
  if (options.seconds < 0 || s.closeSent) return false;
  *at = s.startTime + static_cast<uint32_t>(options.seconds * 1000.0) + (s.escapeSent ? 2000 : 0);
  return true;
}

void TookInputMessage(const MSG& message) {
  uint8_t* keys = S().syncKeys;
  auto set = [keys](int vk, bool down) {
    if (down && !(keys[vk] & 0x80)) keys[vk] ^= 0x01;
    keys[vk] = down ? (keys[vk] | 0x80) : (keys[vk] & ~0x80);
  };
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      set(message.wParam & 0xFF, true);
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      set(message.wParam & 0xFF, false);
      break;
    case WM_LBUTTONDOWN:
      set(VK_LBUTTON, true);
      break;
    case WM_LBUTTONUP:
      set(VK_LBUTTON, false);
      break;
    case WM_RBUTTONDOWN:
      set(VK_RBUTTON, true);
      break;
    case WM_RBUTTONUP:
      set(VK_RBUTTON, false);
      break;
    case WM_MBUTTONDOWN:
      set(VK_MBUTTON, true);
      break;
    case WM_MBUTTONUP:
      set(VK_MBUTTON, false);
      break;
  }
}

}  // namespace plat::user

extern "C" {

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  if (!lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)) return FALSE;
  const uint8_t* keys = S().syncKeys;
  int vk = static_cast<int>(lpMsg->wParam);
  bool shift = (keys[VK_SHIFT] & 0x80) != 0;
  bool control = (keys[VK_CONTROL] & 0x80) != 0;
  int ch = -1;
  if (vk >= 'A' && vk <= 'Z') {
    bool upper = shift != ((keys[0x14 /* VK_CAPITAL */] & 0x01) != 0);
    ch = control ? vk - 'A' + 1 : upper ? vk : std::tolower(vk);
  } else if (vk >= '0' && vk <= '9') {
    static const char kShifted[] = ")!@#$%^&*(";
    ch = shift ? kShifted[vk - '0'] : vk;
  } else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK || vk == VK_TAB) {
    ch = vk;
  }
  if (ch < 0) return FALSE;
  if (CurrentBackend().KeysBringCharacters()) return TRUE;  // its character is on its way
  UINT message = lpMsg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  MSG msg = *lpMsg;
  msg.message = message;
  msg.wParam = static_cast<WPARAM>(ch);
  S().posted.push_back(msg);
  NoteArrival(QS_POSTMESSAGE);
  return TRUE;
}

SHORT WINAPI GetKeyState(int nVirtKey) {
  uint8_t state = S().syncKeys[nVirtKey & 0xFF];
  return static_cast<SHORT>(((state & 0x80) ? 0x8000 : 0) | (state & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int vKey) {
  return static_cast<SHORT>((S().keys[vKey & 0xFF] & 0x80) ? 0x8000 : 0);
}

}  // extern "C"
