#include "backends/sdl2/sdl_backend.h"

#include <cstdlib>
#include <cstring>

#include "backends/sdl2/x11_windows.h"
#include "core/signals.h"

namespace plat {
namespace sdl {
namespace {

// Hints are SDL's own settings for this process, not the user's environment.
void SetHints() {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  // Otherwise SDL keeps the desktop's own screen saver from starting.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // SIGTERM and SIGINT are the program's (core/signals).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Window surfaces go straight to the X server, only the rectangles given.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // A full-screen saver that loses focus closes itself; it must not be minimised first.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
}

bool IsX11Driver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && std::strcmp(driver, "x11") == 0;
}

}  // namespace

bool EventRing::Push(const HostEvent& event) {
  if (count_ == kCapacity) return false;
  events_[(head_ + count_) % kCapacity] = event;
  ++count_;
  return true;
}

bool EventRing::Pop(HostEvent* event) {
  if (count_ == 0) return false;
  *event = events_[head_];
  head_ = (head_ + 1) % kCapacity;
  --count_;
  return true;
}

SdlBackend::SdlBackend(const host::Options& options) : options_(options) {
  rectScratch_.reserve(64);
  clippedScratch_.reserve(64);
}

SdlBackend::~SdlBackend() {
  if (!started_) return;
  SDL_DelEventWatch(WatchEvent, this);
  while (!windows_.empty()) DestroyNative(&windows_.back()->native);
  X11Sync(display_);
  if (audioState_ == 1) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  // SDL closes the display here, and the server may still report windows
  // it destroyed under us: the tolerance stays until the connection is gone.
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  X11RemoveErrorTolerance();
}

bool SdlBackend::Start(std::string* error) {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) {
    if (error) *error = "no X display: DISPLAY is not set (a Wayland desktop needs XWayland)";
    return false;
  }
  auto fail = [&](const std::string& why) {
    if (error) *error = "cannot use the X display \"" + std::string(name) + "\": " + why;
    return false;
  };
  // Started once for the whole run: starting SDL's video again after
  // stopping it fails now and then.
  SetHints();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return fail(SDL_GetError());
  started_ = true;
  if (!IsX11Driver()) return fail("SDL has no X11 video");
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0)
    return fail(std::string("no display mode: ") + SDL_GetError());
  screenWidth_ = mode.w;
  screenHeight_ = mode.h;
  // Chosen once: the program's windows keep their sizes if the screen changes.
  scale_ = ChooseScreenScale(options_.scale, mode.w, mode.h);
  depth_ = options_.depth == 8 ? 8 : 24;

  // SDL's X connection, reached through a window that is never shown.
  SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
  display_ = X11DisplayOf(probe);
  if (probe) SDL_DestroyWindow(probe);
  if (!display_) return fail("no X11 connection behind SDL");
  X11InstallErrorTolerance();
  rootWindow_ = X11RootWindow(display_);
  X11WatchWindow(display_, rootWindow_);
  // X events of foreign windows reach us as SDL_SYSWMEVENT; the server's
  // notes about finished images are taken as SDL reads them.
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  SDL_AddEventWatch(WatchEvent, this);
  InstallSignalHandlers();
  return true;
}

int SdlBackend::WatchEvent(void* data, SDL_Event* event) {
  const _XEvent* xevent = X11EventOf(*event);
  if (!xevent) return 0;
  for (auto& window : static_cast<SdlBackend*>(data)->windows_)
    if (window->framebuffer && window->framebuffer->TakeCompletion(*xevent)) break;
  return 0;
}

bool SdlBackend::ForeignWindowExists(uint64_t id) { return X11WindowExists(display_, id); }

bool SdlBackend::ForeignWindowRect(uint64_t id, RECT* screenRect) {
  RECT real;
  if (!X11WindowScreenRect(display_, id, &real)) return false;
  if (screenRect) *screenRect = ProgramRect(real, scale_);
  return true;
}

uint64_t SdlBackend::CreatePlainWindow(int width, int height, const std::string& title) {
  return X11CreateTopLevel(display_, Real(width), Real(height), title.c_str(), options_.programName.c_str());
}

std::string SdlBackend::DesktopName() const {
  const char* display = std::getenv("DISPLAY");
  return display && *display ? display : "default";
}

void SdlBackend::SetCursorVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void SdlBackend::GetCursorPos(int* x, int* y) {
  int cx = 0, cy = 0;
  SDL_GetGlobalMouseState(&cx, &cy);
  if (x) *x = Program(cx);
  if (y) *y = Program(cy);
}

void SdlBackend::SetCursorPos(int x, int y) { SDL_WarpMouseGlobal(Real(x), Real(y)); }

void SdlBackend::Finish() {
  if (!options_.screenshot.empty()) WritePng(options_.screenshot.c_str());
}

}  // namespace sdl

// A display named is a display to use: when it cannot be used the program
// says so instead of running unseen on the headless screen.
bool SdlBackendAvailable(const host::Options&) {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return true;
  }
  return false;
}

std::unique_ptr<Backend> CreateSdlBackend(const host::Options& options, std::string* error) {
  auto backend = std::make_unique<sdl::SdlBackend>(options);
  if (!backend->Start(error)) return nullptr;
  return backend;
}

}  // namespace plat
