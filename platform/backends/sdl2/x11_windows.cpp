#include "backends/sdl2/x11_windows.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <errno.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace plat::sdl {
namespace {

// X_SetInputFocus of X11/Xproto.h, whose Xmd.h clashes with windows.h's BOOL.
constexpr int kSetInputFocusRequest = 42;
constexpr int kFreeGcRequest = 60;  // X_FreeGC

using XErrorHandlerFn = int (*)(Display*, XErrorEvent*);

XErrorHandlerFn g_previousHandler = nullptr;
bool g_installed = false;
int g_renderRequest = 0;     // RENDER's major opcode, once pictures are made
int g_renderBadPicture = 0;  // its BadPicture error
int g_trapDepth = 0;
int g_trappedError = 0;

int TolerantHandler(Display* display, XErrorEvent* error) {
  if (g_trapDepth > 0) {
    g_trappedError = error->error_code;
    return 0;
  }
  bool windowGone = error->error_code == BadWindow || error->error_code == BadDrawable;
  bool focusRefused = error->error_code == BadMatch && error->request_code == kSetInputFocusRequest;
  // SDL frees the drawing context of a window surface it could not make
  // because the window had gone.
  bool contextNeverMade = error->error_code == BadGC && error->request_code == kFreeGcRequest;
  // The server frees a window's pictures with the window.
  bool pictureGone = g_renderRequest != 0 && error->request_code == g_renderRequest &&
                     error->error_code == g_renderBadPicture;
  if (windowGone || focusRefused || contextNeverMade || pictureGone) return 0;
  // Xlib's own handler would end the program for it; a screen saver that
  // drew one request too many is better off going on.
  char text[160] = "";
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "%s: X error ignored: %s (request %d.%d)\n", program_invocation_short_name, text,
               error->request_code, error->minor_code);
  return 0;
}

// Runs the requests made between Begin and End synchronously and tells
// whether any of them failed.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    own_ = !g_installed;
    if (own_) previous_ = XSetErrorHandler(TolerantHandler);
    if (g_trapDepth++ == 0) g_trappedError = 0;
  }
  ~ErrorTrap() {
    XSync(display_, False);
    --g_trapDepth;
    if (own_) XSetErrorHandler(previous_);
  }
  bool Failed() {
    XSync(display_, False);
    return g_trappedError != 0;
  }

 private:
  Display* display_;
  bool own_ = false;
  XErrorHandlerFn previous_ = nullptr;
};

bool WmInfo(SDL_Window* window, SDL_SysWMinfo* info) {
  SDL_VERSION(&info->version);
  return window && SDL_GetWindowWMInfo(window, info) && info->subsystem == SDL_SYSWM_X11;
}

}  // namespace

_XDisplay* X11DisplayOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  return WmInfo(window, &info) ? info.info.x11.display : nullptr;
}

uint64_t X11WindowOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  return WmInfo(window, &info) ? static_cast<uint64_t>(info.info.x11.window) : 0;
}

void X11InstallErrorTolerance() {
  if (g_installed) return;
  g_previousHandler = XSetErrorHandler(TolerantHandler);
  g_installed = true;
}

void X11RemoveErrorTolerance() {
  if (!g_installed) return;
  XSetErrorHandler(g_previousHandler);
  g_previousHandler = nullptr;
  g_installed = false;
}

bool X11Attempt(_XDisplay* display, const std::function<void()>& requests) {
  if (!display) return false;
  ErrorTrap trap(display);
  requests();
  return !trap.Failed();
}

void X11NoteRenderErrors(_XDisplay* display) {
  int request = 0, event = 0, error = 0;
  if (g_renderRequest || !display || !XQueryExtension(display, "RENDER", &request, &event, &error)) return;
  g_renderRequest = request;
  g_renderBadPicture = error + 1;  // BadPicture of render.h, whose names clash with Xlib's
}

uint64_t X11RootWindow(_XDisplay* display) { return display ? DefaultRootWindow(display) : 0; }

int X11ConnectionFd(_XDisplay* display) { return display ? ConnectionNumber(display) : -1; }

bool X11EventsWaiting(_XDisplay* display) { return display && XEventsQueued(display, QueuedAlready) > 0; }

void X11Flush(_XDisplay* display) {
  if (display) XFlush(display);
}

bool X11WindowScreenRect(_XDisplay* display, uint64_t id, RECT* screenRect) {
  if (!display || id == 0 || id > 0xFFFFFFFFu) return false;
  ErrorTrap trap(display);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, static_cast<Window>(id), &attributes) || trap.Failed()) return false;
  int x = 0, y = 0;
  Window child = 0;
  if (!XTranslateCoordinates(display, static_cast<Window>(id), attributes.root, 0, 0, &x, &y, &child) ||
      trap.Failed())
    return false;
  if (screenRect) *screenRect = RECT{x, y, x + attributes.width, y + attributes.height};
  return true;
}

bool X11WindowExists(_XDisplay* display, uint64_t id) { return X11WindowScreenRect(display, id, nullptr); }

uint64_t X11CreateChild(_XDisplay* display, uint64_t parent, int x, int y, int width, int height, bool visible) {
  if (!display || parent == 0 || parent > 0xFFFFFFFFu) return 0;
  ErrorTrap trap(display);
  int screen = DefaultScreen(display);
  Window child = XCreateSimpleWindow(display, static_cast<Window>(parent), x, y,
                                     static_cast<unsigned>(width < 1 ? 1 : width),
                                     static_cast<unsigned>(height < 1 ? 1 : height), 0,
                                     BlackPixel(display, screen), BlackPixel(display, screen));
  if (trap.Failed() || child == 0) return 0;
  XSelectInput(display, child, StructureNotifyMask | ExposureMask | FocusChangeMask);
  if (visible) XMapWindow(display, child);
  if (trap.Failed()) {
    XDestroyWindow(display, child);
    return 0;
  }
  return child;
}

uint64_t X11CreateTopLevel(_XDisplay* display, int width, int height, const char* title, const char* programName) {
  if (!display) return 0;
  ErrorTrap trap(display);
  int screen = DefaultScreen(display);
  Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                      static_cast<unsigned>(width < 1 ? 1 : width),
                                      static_cast<unsigned>(height < 1 ? 1 : height), 0,
                                      BlackPixel(display, screen), BlackPixel(display, screen));
  if (trap.Failed() || window == 0) return 0;
  XStoreName(display, window, title);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
  XSetIconName(display, window, programName);
  std::string name = programName, className = programName;
  if (!className.empty()) className[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(className[0])));
  XClassHint classHint = {name.data(), className.data()};
  XSetClassHint(display, window, &classHint);
  long pid = static_cast<long>(getpid());
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  // The window manager asks rather than cutting the whole connection off.
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &deleteWindow, 1);
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  if (trap.Failed()) {
    XDestroyWindow(display, window);
    return 0;
  }
  return window;
}

namespace {

// Our connection's event mask of a window, with the given bits added and
// removed: the window may be one SDL selects events of too.
void ChangeEventMask(Display* display, uint64_t id, long add, long remove) {
  ErrorTrap trap(display);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, static_cast<Window>(id), &attributes) || trap.Failed()) return;
  XSelectInput(display, static_cast<Window>(id), (attributes.your_event_mask | add) & ~remove);
}

}  // namespace

void X11WatchWindow(_XDisplay* display, uint64_t id) { ChangeEventMask(display, id, StructureNotifyMask, 0); }

void X11UnwatchWindow(_XDisplay* display, uint64_t id) { ChangeEventMask(display, id, 0, StructureNotifyMask); }

void X11SelectWrappedEvents(_XDisplay* display, uint64_t id) {
  ChangeEventMask(display, id, StructureNotifyMask | ExposureMask | FocusChangeMask, 0);
}

void X11MoveResize(_XDisplay* display, uint64_t id, int x, int y, int width, int height) {
  ErrorTrap trap(display);
  XMoveResizeWindow(display, static_cast<Window>(id), x, y, static_cast<unsigned>(width < 1 ? 1 : width),
                    static_cast<unsigned>(height < 1 ? 1 : height));
}

void X11DestroyWindow(_XDisplay* display, uint64_t id) {
  ErrorTrap trap(display);
  XDestroyWindow(display, static_cast<Window>(id));
}

void X11Sync(_XDisplay* display) {
  if (display) XSync(display, False);
}

const XEvent* X11EventOf(const SDL_Event& event) {
  if (event.type != SDL_SYSWMEVENT || !event.syswm.msg || event.syswm.msg->subsystem != SDL_SYSWM_X11)
    return nullptr;
  return &event.syswm.msg->msg.x11.event;
}

X11Notice X11DecodeNotice(const SDL_Event& event) {
  X11Notice notice;
  const XEvent* x = X11EventOf(event);
  if (!x) return notice;
  const XEvent& xevent = *x;
  if (xevent.type == DestroyNotify) {
    notice.kind = X11Notice::kDestroyed;
    notice.window = xevent.xdestroywindow.window;
  } else if (xevent.type == ClientMessage && xevent.xclient.format == 32 &&
             static_cast<Atom>(xevent.xclient.data.l[0]) ==
                 XInternAtom(xevent.xclient.display, "WM_DELETE_WINDOW", True)) {
    // The close box of a window of X11CreateTopLevel: its destruction
    // comes back as kDestroyed and ends what runs inside.
    X11DestroyWindow(xevent.xclient.display, xevent.xclient.window);
  } else if (xevent.type == ConfigureNotify) {
    notice.kind = X11Notice::kResized;
    notice.window = xevent.xconfigure.window;
    notice.width = xevent.xconfigure.width;
    notice.height = xevent.xconfigure.height;
  }
  return notice;
}

}  // namespace plat::sdl
