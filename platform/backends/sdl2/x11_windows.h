// The Xlib side of the sdl2 backend: foreign windows named by X11 id, the
// child windows we put into them, and X errors about windows that vanished.
// Xlib's own headers stay inside x11_windows.cpp.
#pragma once

#include <windows.h>

#include <SDL.h>

#include <cstdint>
#include <functional>

struct _XDisplay;  // Xlib's Display
union _XEvent;

namespace plat::sdl {

// SDL's connection to the X server, found through one of its windows.
_XDisplay* X11DisplayOf(SDL_Window* window);
// The X11 id of an SDL window.
uint64_t X11WindowOf(SDL_Window* window);

// While installed, no X error ends the program: errors about windows that
// are gone (BadWindow, BadDrawable, and BadMatch from focus changes) are
// ignored, as a foreign window may be destroyed at any time, and others are
// reported on stderr. Stays installed until the display is closed.
void X11InstallErrorTolerance();
void X11RemoveErrorTolerance();
// Adds RENDER's BadPicture to the errors about windows that are gone (a
// window's pictures go with it).
void X11NoteRenderErrors(_XDisplay* display);

// Runs requests synchronously under the error tolerance; false when any of
// them failed.
bool X11Attempt(_XDisplay* display, const std::function<void()>& requests);
// The connection's file descriptor, and whether events wait unread in
// Xlib's own queue (no request to the server).
int X11ConnectionFd(_XDisplay* display);
bool X11EventsWaiting(_XDisplay* display);
void X11Flush(_XDisplay* display);

// The root window of the default screen: its size is the screen's.
uint64_t X11RootWindow(_XDisplay* display);

// Client area of a window on the screen. False (never an X error) for an id
// that names no window.
bool X11WindowScreenRect(_XDisplay* display, uint64_t id, RECT* screenRect);
bool X11WindowExists(_XDisplay* display, uint64_t id);

// A child window of parent at (x, y) in the parent's client area, with
// structure and expose events selected, mapped when visible. 0 on failure.
uint64_t X11CreateChild(_XDisplay* display, uint64_t parent, int x, int y, int width, int height, bool visible);
// A mapped top-level window of our own outside SDL, titled and classed as
// window managers expect (class: programName, and the same capitalised);
// its close box destroys it (see X11DecodeNotice). 0 when it cannot be made.
uint64_t X11CreateTopLevel(_XDisplay* display, int width, int height, const char* title, const char* programName);
// Structure events of a foreign window: its resizes and its destruction.
void X11WatchWindow(_XDisplay* display, uint64_t id);
void X11UnwatchWindow(_XDisplay* display, uint64_t id);
// What SDL must see of a window it wraps: resizes, exposes, focus.
void X11SelectWrappedEvents(_XDisplay* display, uint64_t id);
void X11MoveResize(_XDisplay* display, uint64_t id, int x, int y, int width, int height);
void X11DestroyWindow(_XDisplay* display, uint64_t id);
// Waits until the server has handled every request, so that errors about
// them arrive while they are still tolerated.
void X11Sync(_XDisplay* display);

// X events about foreign windows, delivered by SDL as SDL_SYSWMEVENT.
struct X11Notice {
  enum Kind { kNone, kDestroyed, kResized } kind = kNone;
  uint64_t window = 0;
  int width = 0, height = 0;
};
X11Notice X11DecodeNotice(const SDL_Event& event);
// The X event behind an SDL_SYSWMEVENT, or null.
const _XEvent* X11EventOf(const SDL_Event& event);

}  // namespace plat::sdl
