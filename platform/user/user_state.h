// What user32 keeps per process: classes, windows, the queue, timers,
// activation and focus. One thread, so no locks; everything is reset at
// host::Shutdown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/backend.h"

namespace plat::user {

// Own window handles live in this range so they never meet X11 window ids
// or the native ids of other processes (which arrive as HWNDs, too).
constexpr uintptr_t kDesktopHandle = 0x100000;
constexpr uintptr_t kFirstHandle = 0x100010;
constexpr uintptr_t kLastHandle = 0x1FFFFC;
// Stock cursors are handles made from their resource ids.
constexpr uintptr_t kStockCursorBase = 0x7F00000;
inline HCURSOR StockCursor(uintptr_t id) { return reinterpret_cast<HCURSOR>(kStockCursorBase + id); }

struct WindowClass {
  std::string name;
  std::string menuName;
  WNDCLASSA info{};  // lpszClassName/lpszMenuName point into the strings above
  ATOM atom = 0;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;       // own parent window; null for top-level windows
  uint64_t foreignParent = 0;  // native window this one is embedded in
  HWND owner = nullptr;
  std::vector<HWND> children;  // top of the z-order first
  RECT rect{};                 // in the parent's client coordinates (screen for top-level)
  std::string text;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  HMENU menu = nullptr;
  std::vector<uint8_t> extra;
  NativeWindow* native = nullptr;  // top-level and foreign-embedded windows
  bool hasUpdate = false;
  RECT update{};  // client coordinates
  bool erase = false;
  bool destroying = false;
  bool published = false;  // listed in the window directory
};

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  TIMERPROC proc;
  uint32_t due;
  bool pending;
};

struct State {
  bool started = false;
  bool systemClasses = false;  // the dialog and control classes
  std::vector<std::shared_ptr<WindowClass>> classes;
  ATOM nextAtom = 0xC000;
  std::map<uintptr_t, std::unique_ptr<Window>> windows;
  std::vector<HWND> topLevels;  // top of the z-order first
  uintptr_t nextHandle = kFirstHandle;

  std::deque<MSG> posted;
  std::deque<MSG> input;
  bool quitPending = false;
  int quitCode = 0;
  UINT queueNews = 0;  // QS_ bits of what arrived since the queue was last looked at
  std::deque<HostEvent> heldEvents;  // waited for, not yet turned into messages
  std::vector<Timer> timers;
  UINT_PTR nextThreadTimer = 0x7FF0;
  MSG lastMessage{};

  bool appActive = false;
  HWND active = nullptr;
  HWND lastActive = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
  uint8_t keys[256] = {};      // as input arrives: bit 0x80 down, bit 0x01 toggled
  uint8_t syncKeys[256] = {};  // as of the last input message taken from the queue

  uint32_t startTime = 0;
  bool escapeSent = false;
  bool closeSent = false;

  HCURSOR cursor = StockCursor(32512);  // the arrow
  int cursorCount = 0;
  bool saverRunning = false;
  std::map<int, HBRUSH> sysBrushes;
};

State& S();
Window* Find(HWND hwnd);
inline HWND AsHwnd(uintptr_t value) { return reinterpret_cast<HWND>(value); }
inline uintptr_t AsValue(HWND hwnd) { return reinterpret_cast<uintptr_t>(hwnd); }
inline bool IsDesktop(HWND hwnd) { return AsValue(hwnd) == kDesktopHandle; }

// Calls the window's procedure; 0 for a window that is gone.
LRESULT CallProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Geometry.
RECT FrameInsets(DWORD style, DWORD exStyle);  // caption and borders around the client area
RECT WindowInsets(const Window* window);       // the same, with the menu bar of a top-level window
POINT ClientOrigin(const Window* window);      // screen position of the client's (0, 0)
RECT ClientRect(const Window* window);         // (0, 0, width, height)
RECT ScreenRect(const Window* window);         // the client area on the screen
RECT WindowScreenRect(const Window* window);   // the whole window on the screen
Window* NativeHolder(Window* window);          // the ancestor with the native window
bool VisibleDeep(const Window* window);        // the window and all its ancestors visible
bool IsSelfOrDescendant(HWND ancestor, HWND hwnd);
HWND WindowFromScreenPoint(POINT pt);  // deepest visible own window, or null

// Painting.
void InvalidateClient(Window* window, const RECT* rect, bool erase, bool children);
// The children of window under area (window's client coordinates).
void InvalidateChildren(Window* window, const RECT& area, bool erase, bool children);
// Shows the desktop where a top-level window no longer covers the screen
// (headless screen) and asks the windows below to repaint.
void ExposeScreenArea(const RECT& screenRect, HWND except);

// Queue.
void PostInputMessage(const MSG& message);
// Something of the QS_ kinds arrived: MsgWaitForMultipleObjects wakes for it.
inline void NoteArrival(UINT kinds) { S().queueNews |= kinds; }
// Keyboard input waits in the queue without a window and goes to the focus
// (else the active window) as it is when the key is taken: keys typed ahead
// reach the control that the keys before them gave the focus to.
void RouteQueuedKeys();
// Key state as the program sees it follows the input messages it takes.
void TookInputMessage(const MSG& message);
void PurgeMessagesOf(HWND hwnd);
void KillTimersOf(HWND hwnd);
// Marks the timers that are due; earliest due time of a timer in *next.
void CheckTimers(uint32_t now, bool* any, uint32_t* next);

// Backend events and the --seconds watchdog.
void PumpHostEvents(uint32_t waitMs);
// Waits up to waitMs for one backend event without acting on it: it is held,
// as it came, for the next PumpHostEvents (as a message wait leaves what
// arrived in the queue). HeldEventKinds: the QS_ kinds held events bring.
void WaitForHostEvent(uint32_t waitMs);
UINT HeldEventKinds();
bool WatchdogDeadline(uint32_t* at);

// Activation and focus.
void ActivateWindow(HWND hwnd, int how);  // how: WA_ACTIVE or WA_CLICKACTIVE
void DeactivateApp();
void ReactivateApp();
void ForgetWindow(HWND hwnd);  // a window is going: activation, focus, capture move away

// Other processes' windows.
void PublishWindow(Window* window);
void UnpublishWindow(Window* window);
void HandleActivationRequests();
void TidyWindowDirectory();
bool RemoteWindowAlive(uint64_t nativeId);
bool ActivateRemoteWindow(uint64_t nativeId);

}  // namespace plat::user
