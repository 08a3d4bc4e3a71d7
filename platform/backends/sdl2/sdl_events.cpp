// SDL's events as the program's host events.
#include <poll.h>

#include <algorithm>

#include "backends/sdl2/sdl_backend.h"
#include "backends/sdl2/sdl_keymap.h"
#include "backends/sdl2/x11_windows.h"
#include "core/signals.h"

namespace plat::sdl {
namespace {

// Waits are cut into slices this long, and SDL is asked at least this
// often, for what reaches it other than through the X connection.
constexpr uint32_t kWaitSliceMs = 50;

bool ReadableNow(int fd) {
  pollfd poll_fd = {fd, POLLIN, 0};
  return fd >= 0 && poll(&poll_fd, 1, 0) > 0;
}

int HostButton(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}

}  // namespace

uint32_t NextCodePoint(const char** text) {
  auto* s = reinterpret_cast<const unsigned char*>(*text);
  uint32_t c = s[0];
  int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (length == 0) {
    *text += 1;
    return '?';
  }
  c &= length == 1 ? 0x7F : (0xFF >> (length + 1));
  for (int i = 1; i < length; ++i) {
    if ((s[i] & 0xC0) != 0x80) {
      *text += i;
      return '?';
    }
    c = (c << 6) | (s[i] & 0x3F);
  }
  *text += length;
  return c;
}

void SdlBackend::PushEvent(HostEvent::Kind kind, SdlWindow* window, uint32_t time) {
  HostEvent event;
  event.kind = kind;
  event.window = window ? &window->native : nullptr;
  event.time = time;
  pending_.Push(event);
}

bool SdlBackend::TakeEvent(HostEvent* event) {
  HostEvent ignored;
  return pending_.Pop(event ? event : &ignored);
}

bool SdlBackend::WaitEvent(HostEvent* event, uint32_t timeoutMs) {
  uint32_t start = SDL_GetTicks();
  // Whether the connection has something to read: a wait finds that out by
  // itself, so only a look without waiting asks for it first.
  Readable readable = timeoutMs == 0 ? Readable::kAsk : Readable::kNo;
  for (;;) {
    if (TakeTerminateRequest()) {
      DrainSignalWakeFd();
      PushEvent(HostEvent::kTerminate, nullptr, SDL_GetTicks());
    }
    if (TakeEvent(event)) return true;
    TranslateWaiting(readable);
    if (TakeEvent(event)) return true;
    if (SignalPending()) return false;  // an activation request: the caller looks at it
    uint32_t waited = SDL_GetTicks() - start;
    if (waited >= timeoutMs) return false;
    readable = WaitForInput(std::min(timeoutMs - waited, kWaitSliceMs)) ? Readable::kYes : Readable::kNo;
  }
}

void SdlBackend::TranslateWaiting(Readable readable) {
  // Asking SDL costs a read from the connection and more; most of the time
  // nothing has come, which one look at the connection tells.
  uint32_t now = SDL_GetTicks();
  bool due = now - lastPump_ >= kWaitSliceMs;
  if (!due && readable != Readable::kYes && !X11EventsWaiting(display_) &&
      !(readable == Readable::kAsk && ReadableNow(X11ConnectionFd(display_))) &&
      !SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT))
    return;
  lastPump_ = now;
  SDL_PumpEvents();
  SDL_Event sdlEvent;
  while (pending_.Empty() && SDL_PeepEvents(&sdlEvent, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
    Translate(sdlEvent);
}

bool SdlBackend::WaitForInput(uint32_t timeoutMs) {
  X11Flush(display_);
  if (X11EventsWaiting(display_) || SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return true;
  pollfd fds[2] = {{X11ConnectionFd(display_), POLLIN, 0}, {SignalWakeFd(), POLLIN, 0}};
  return poll(fds, fds[1].fd >= 0 ? 2 : 1, static_cast<int>(timeoutMs)) > 0 && (fds[0].revents & POLLIN) != 0;
}

void SdlBackend::Translate(const SDL_Event& sdlEvent) {
  switch (sdlEvent.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const SDL_KeyboardEvent& key = sdlEvent.key;
      int vk = VirtualKeyFromSdl(key.keysym.sym, key.keysym.scancode);
      if (vk == 0) break;
      HostEvent event;
      event.kind = sdlEvent.type == SDL_KEYDOWN ? HostEvent::kKeyDown : HostEvent::kKeyUp;
      SdlWindow* window = FindBySdlId(key.windowID);
      event.window = window ? &window->native : nullptr;
      event.vk = vk;
      event.value = key.repeat ? 1 : 0;  // the key was down already
      event.time = key.timestamp;
      pending_.Push(event);
      int ch = sdlEvent.type == SDL_KEYDOWN ? ControlCharForKey(vk, (key.keysym.mod & KMOD_CTRL) != 0) : 0;
      if (ch) {
        event.kind = HostEvent::kChar;
        event.vk = ch;
        event.value = 0;
        pending_.Push(event);
      }
      break;
    }
    case SDL_TEXTINPUT: {
      SdlWindow* window = FindBySdlId(sdlEvent.text.windowID);
      const char* text = sdlEvent.text.text;
      while (*text) {
        uint32_t c = NextCodePoint(&text);
        HostEvent event;
        event.kind = HostEvent::kChar;
        event.window = window ? &window->native : nullptr;
        event.vk = c < 256 ? static_cast<int>(c) : '?';  // the program reads Latin-1 characters
        event.time = sdlEvent.text.timestamp;
        pending_.Push(event);
      }
      break;
    }
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      bool motion = sdlEvent.type == SDL_MOUSEMOTION;
      uint32_t windowId = motion ? sdlEvent.motion.windowID : sdlEvent.button.windowID;
      int localX = motion ? sdlEvent.motion.x : sdlEvent.button.x;
      int localY = motion ? sdlEvent.motion.y : sdlEvent.button.y;
      HostEvent event;
      if (motion) {
        event.kind = HostEvent::kMouseMove;
      } else {
        event.kind = sdlEvent.type == SDL_MOUSEBUTTONDOWN ? HostEvent::kButtonDown : HostEvent::kButtonUp;
        event.vk = HostButton(sdlEvent.button.button);
        if (event.vk == 0) break;
      }
      SdlWindow* window = FindBySdlId(windowId);
      int originX = 0, originY = 0;
      if (window && ScreenOrigin(window, &originX, &originY)) {
        event.x = Program(originX + localX);
        event.y = Program(originY + localY);
      } else {
        GetCursorPos(&event.x, &event.y);
      }
      event.window = window ? &window->native : nullptr;
      event.time = motion ? sdlEvent.motion.timestamp : sdlEvent.button.timestamp;
      pending_.Push(event);
      break;
    }
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(sdlEvent.window);
      break;
    case SDL_SYSWMEVENT:
      TranslateForeignNotice(sdlEvent);
      break;
    default:
      break;
  }
}

void SdlBackend::TranslateWindowEvent(const SDL_WindowEvent& sdlEvent) {
  SdlWindow* window = FindBySdlId(sdlEvent.windowID);
  if (!window) return;
  switch (sdlEvent.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST: {
      // Only the program as a whole gains or loses activation: focus moving
      // between two of our windows changes nothing.
      bool active = Focused() != nullptr;
      if (active == appActive_) break;
      appActive_ = active;
      HostEvent event;
      event.kind = HostEvent::kActivateApp;
      event.window = &window->native;
      event.value = active ? 1 : 0;
      event.time = sdlEvent.timestamp;
      pending_.Push(event);
      break;
    }
    case SDL_WINDOWEVENT_CLOSE:
      PushEvent(HostEvent::kCloseRequest, window, sdlEvent.timestamp);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      PresentAll(window);
      PushEvent(HostEvent::kExpose, window, sdlEvent.timestamp);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      int width = std::max(sdlEvent.data1 / scale_, 1), height = std::max(sdlEvent.data2 / scale_, 1);
      if (window->parentGone || (width == window->surface.width && height == window->surface.height)) break;
      ResizeSurface(window, width, height);
      HostEvent event;
      event.kind = HostEvent::kResize;
      event.window = &window->native;
      event.x = window->surface.width;
      event.y = window->surface.height;
      event.time = sdlEvent.timestamp;
      pending_.Push(event);
      break;
    }
    case SDL_WINDOWEVENT_MOVED:
      if (!window->childId) {
        window->x = Program(sdlEvent.data1);
        window->y = Program(sdlEvent.data2);
      }
      break;
    default:
      break;
  }
}

void SdlBackend::TranslateForeignNotice(const SDL_Event& sdlEvent) {
  X11Notice notice = X11DecodeNotice(sdlEvent);
  if (notice.kind == X11Notice::kNone) return;
  if (notice.kind == X11Notice::kResized && notice.window == rootWindow_ && notice.width > 0 && notice.height > 0) {
    // The screen changed size: a window that covers it now is a full-screen one.
    screenWidth_ = notice.width;
    screenHeight_ = notice.height;
  }
  for (auto& entry : windows_) {
    SdlWindow* window = entry.get();
    if (!window->childId || window->parentGone) continue;
    bool parent = notice.window == window->foreignParent;
    if (notice.kind == X11Notice::kDestroyed && (parent || notice.window == window->childId)) {
      // Destroying the parent destroys our child with it: nothing may touch
      // its X window from now on.
      window->parentGone = true;
      PushEvent(HostEvent::kParentGone, window, sdlEvent.common.timestamp);
    } else if (notice.kind == X11Notice::kResized && parent) {
      // Our child keeps filling the parent's client area from where it is.
      int width = std::max(notice.width / scale_ - window->x, 1);
      int height = std::max(notice.height / scale_ - window->y, 1);
      if (width == window->surface.width && height == window->surface.height) continue;
      X11MoveResize(display_, window->childId, Real(window->x), Real(window->y), Real(width), Real(height));
      ResizeSurface(window, width, height);
      HostEvent event;
      event.kind = HostEvent::kResize;
      event.window = &window->native;
      event.x = width;
      event.y = height;
      event.time = sdlEvent.common.timestamp;
      pending_.Push(event);
    }
  }
}

}  // namespace plat::sdl
