// Native windows of the sdl2 backend: top-levels of our own and children of
// foreign windows, each with the surface the program draws into.
#include <algorithm>
#include <cstring>

#include "backends/sdl2/sdl_backend.h"
#include "backends/sdl2/x11_windows.h"

namespace plat::sdl {

SdlWindow* SdlBackend::Find(NativeWindow* window) {
  if (!window) return nullptr;
  for (auto& candidate : windows_)
    if (&candidate->native == window) return candidate.get();
  return nullptr;
}

SdlWindow* SdlBackend::FindBySdlId(uint32_t id) {
  for (auto& candidate : windows_)
    if (candidate->sdlId == id) return candidate.get();
  return nullptr;
}

SdlWindow* SdlBackend::Focused() {
  SDL_Window* focus = SDL_GetKeyboardFocus();
  return focus ? FindBySdlId(SDL_GetWindowID(focus)) : nullptr;
}

void SdlBackend::ResizeSurface(SdlWindow* window, int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  Surface& surface = window->surface;
  uint64_t xid = window->window ? window->native.nativeId : 0;
  bool direct = depth_ != 8;
  if (surface.width == width && surface.height == height && surface.pixels && (window->framebuffer || !xid))
    return;
  std::unique_ptr<X11Framebuffer> framebuffer = X11Framebuffer::Create(display_, xid, width, height, scale_);
  std::vector<uint8_t> pixels;
  Surface next;
  next.width = width;
  next.height = height;
  next.depth = direct ? 32 : 8;
  if (direct && framebuffer) {
    next.pitch = framebuffer->Pitch();
    next.pixels = framebuffer->Pixels();
    next.readElsewhere = framebuffer->Shared();
  } else {
    next.pitch = width * (direct ? 4 : 1);
    pixels.assign(static_cast<size_t>(next.pitch) * height, 0);
    next.pixels = pixels.data();
  }
  // What was drawn stays where it was; new parts start black.
  int keepRows = surface.pixels ? std::min(surface.height, height) : 0;
  int keepBytes = std::min(surface.width, width) * (direct ? 4 : 1);
  for (int y = 0; y < keepRows; ++y)
    std::memcpy(next.pixels + static_cast<size_t>(y) * next.pitch, surface.pixels + static_cast<size_t>(y) * surface.pitch,
                keepBytes);
  window->framebuffer = std::move(framebuffer);
  window->pixels.swap(pixels);
  surface = next;
}

SdlWindow* SdlBackend::NewWindow(const TopLevelSpec& spec, int width, int height) {
  auto window = std::make_unique<SdlWindow>();
  window->foreignParent = spec.foreignParent;
  window->topMost = spec.topMost || spec.fullScreen;
  window->x = spec.x;
  window->y = spec.y;
  ResizeSurface(window.get(), width, height);
  window->native.surface = &window->surface;
  window->native.backendData = window.get();
  windows_.push_back(std::move(window));
  return windows_.back().get();
}

SDL_Window* SdlBackend::CreateChildWindow(SdlWindow* window, const TopLevelSpec& spec, int* width, int* height) {
  RECT parent;
  if (!ForeignWindowRect(spec.foreignParent, &parent)) return nullptr;
  // No size given: fill the parent's client area.
  if (*width <= 0) *width = parent.right - parent.left - spec.x;
  if (*height <= 0) *height = parent.bottom - parent.top - spec.y;
  *width = std::max(*width, 1);
  *height = std::max(*height, 1);
  window->childId = X11CreateChild(display_, spec.foreignParent, Real(spec.x), Real(spec.y), Real(*width),
                                   Real(*height), spec.visible);
  if (!window->childId) return nullptr;
  SDL_Window* sdlWindow = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(window->childId)));
  if (!sdlWindow) {
    X11DestroyWindow(display_, window->childId);
    window->childId = 0;
    return nullptr;
  }
  // SDL adds only focus events to a window it wraps.
  X11SelectWrappedEvents(display_, window->childId);
  if (!FindByParent(spec.foreignParent)) X11WatchWindow(display_, spec.foreignParent);
  return sdlWindow;
}

SdlWindow* SdlBackend::FindByParent(uint64_t parent) {
  for (auto& candidate : windows_)
    if (candidate->foreignParent == parent && candidate->window) return candidate.get();
  return nullptr;
}

NativeWindow* SdlBackend::CreateNative(const TopLevelSpec& spec) {
  int width = spec.width, height = spec.height;
  SDL_Window* sdlWindow = nullptr;
  SdlWindow* window = nullptr;
  if (spec.foreignParent) {
    window = NewWindow(spec, 1, 1);
    sdlWindow = CreateChildWindow(window, spec, &width, &height);
  } else {
    // Borderless: the window's own caption and frame are part of its surface.
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
    int x = spec.x, y = spec.y;
    if (spec.fullScreen) {
      flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
      x = y = 0;
      width = ScreenWidth();
      height = ScreenHeight();
    }
    if (spec.topMost || spec.fullScreen) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    width = std::max(width, 1);
    height = std::max(height, 1);
    sdlWindow = SDL_CreateWindow(spec.title.c_str(), Real(x), Real(y), Real(width), Real(height), flags);
    window = NewWindow(spec, width, height);
    window->x = x;
    window->y = y;
  }
  if (!sdlWindow) {
    windows_.pop_back();
    return nullptr;
  }
  window->window = sdlWindow;
  window->sdlId = SDL_GetWindowID(sdlWindow);
  window->native.nativeId = window->childId ? window->childId : X11WindowOf(sdlWindow);
  ResizeSurface(window, width, height);
  if (spec.foreignParent) {
    window->visible = spec.visible;
  } else if (spec.visible) {
    ShowNative(&window->native, true);
  }
  return &window->native;
}

void SdlBackend::DestroyNative(NativeWindow* native) {
  SdlWindow* window = Find(native);
  if (!window) return;
  // Its pictures on the server go with the X window: freed before it.
  if (!window->parentGone) window->framebuffer.reset();
  SDL_DestroyWindow(window->window);
  window->window = nullptr;
  if (window->childId && !window->parentGone) {
    X11DestroyWindow(display_, window->childId);
    if (!FindByParent(window->foreignParent)) X11UnwatchWindow(display_, window->foreignParent);
  }
  windows_.erase(std::find_if(windows_.begin(), windows_.end(),
                              [window](const std::unique_ptr<SdlWindow>& w) { return w.get() == window; }));
}

void SdlBackend::MoveNative(NativeWindow* native, int x, int y, int width, int height) {
  SdlWindow* window = Find(native);
  if (!window || window->parentGone) return;
  width = std::max(width, 1);
  height = std::max(height, 1);
  window->x = x;
  window->y = y;
  if (window->childId) {
    X11MoveResize(display_, window->childId, Real(x), Real(y), Real(width), Real(height));
  } else {
    SDL_SetWindowPosition(window->window, Real(x), Real(y));
    SDL_SetWindowSize(window->window, Real(width), Real(height));
  }
  ResizeSurface(window, width, height);
}

void SdlBackend::ShowNative(NativeWindow* native, bool visible) {
  SdlWindow* window = Find(native);
  if (!window || window->parentGone) return;
  window->visible = visible;
  if (!visible) {
    SDL_HideWindow(window->window);
    return;
  }
  SDL_ShowWindow(window->window);
  // A shown top-level is the active window, as on the desktop it comes from.
  if (!window->childId) RaiseNative(native);
  PresentAll(window);
}

void SdlBackend::RaiseNative(NativeWindow* native) {
  SdlWindow* window = Find(native);
  if (!window || window->parentGone) return;
  SDL_RaiseWindow(window->window);
  if (window->visible && !window->childId) SDL_SetWindowInputFocus(window->window);
  // Keep our list in stacking order, for screenshots.
  auto it = std::find_if(windows_.begin(), windows_.end(),
                         [window](const std::unique_ptr<SdlWindow>& w) { return w.get() == window; });
  std::rotate(it, it + 1, windows_.end());
}

bool SdlBackend::ScreenOrigin(SdlWindow* window, int* x, int* y) {
  if (window->childId) {
    RECT rect;
    if (window->parentGone || !X11WindowScreenRect(display_, window->childId, &rect)) return false;
    *x = rect.left;
    *y = rect.top;
    return true;
  }
  SDL_GetWindowPosition(window->window, x, y);
  return true;
}

}  // namespace plat::sdl
