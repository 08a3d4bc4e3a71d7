// The sdl2 backend: real windows on an X11 display through SDL2, with Xlib
// for the windows of other programs that we draw into.
#pragma once

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "backends/sdl2/x11_framebuffer.h"
#include "core/backend.h"
#include "core/screen_scale.h"

struct _XDisplay;

namespace plat::sdl {

// One native window: the SDL window, the surface the program draws into and
// what we know of its place.
struct SdlWindow {
  NativeWindow native;
  Surface surface;
  // The pixels the server shows: the surface itself on a direct-colour
  // screen, the output of the palette on a palette screen. Null: SDL's
  // window surface takes the pixels instead (a visual of another layout).
  std::unique_ptr<X11Framebuffer> framebuffer;
  std::vector<uint8_t> pixels;  // the surface, when the framebuffer is not it
  SDL_Window* window = nullptr;
  uint32_t sdlId = 0;
  uint64_t foreignParent = 0;  // the window we are a child of, or 0
  uint64_t childId = 0;        // our X11 child inside foreignParent
  bool parentGone = false;     // its X11 window no longer exists
  bool visible = false;
  bool topMost = false;
  int x = 0, y = 0;            // screen position (parent client position for children),
                               // in the program's coordinates like everything the backend
                               // hands out; X and SDL see them times the screen's scale
};

// Next code point of UTF-8 text; invalid bytes count as one character each.
uint32_t NextCodePoint(const char** text);

// HostEvents waiting to be handed out, in order; fixed size, so a burst of
// input never allocates.
class EventRing {
 public:
  bool Push(const HostEvent& event);
  bool Pop(HostEvent* event);
  bool Empty() const { return count_ == 0; }

 private:
  static constexpr int kCapacity = 64;
  HostEvent events_[kCapacity];
  int head_ = 0;
  int count_ = 0;
};

class SdlBackend : public Backend {
 public:
  explicit SdlBackend(const host::Options& options);
  ~SdlBackend() override;
  bool Start(std::string* error);

  const char* Name() const override { return "sdl2"; }
  int ScreenWidth() const override { return std::max(screenWidth_ / scale_, 1); }
  int ScreenHeight() const override { return std::max(screenHeight_ / scale_, 1); }
  int ScreenDepth() const override { return depth_; }

  uint32_t Now() override { return SDL_GetTicks(); }
  void Sleep(uint32_t ms) override { SDL_Delay(ms); }
  bool WaitEvent(HostEvent* event, uint32_t timeoutMs) override;
  // The X display, as named to every program on it.
  std::string DesktopName() const override;

  NativeWindow* CreateNative(const TopLevelSpec& spec) override;
  void DestroyNative(NativeWindow* window) override;
  void MoveNative(NativeWindow* window, int x, int y, int width, int height) override;
  void ShowNative(NativeWindow* window, bool visible) override;
  void RaiseNative(NativeWindow* window) override;
  void BeginDrawing(NativeWindow* window) override;
  void Present(NativeWindow* window, const RECT* rects, int count) override;
  void SystemPaletteChanged() override;

  bool ForeignWindowExists(uint64_t id) override;
  bool ForeignWindowRect(uint64_t id, RECT* screenRect) override;
  uint64_t CreatePlainWindow(int width, int height, const std::string& title) override;

  // Characters come from SDL's text input (the keyboard layout's own) and
  // with Return, Escape, Backspace, Tab and Ctrl+letter keys.
  bool KeysBringCharacters() const override { return true; }

  void SetCursorVisible(bool visible) override;
  void GetCursorPos(int* x, int* y) override;
  void SetCursorPos(int x, int y) override;

  int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;

  // The X11 clipboard through SDL (sdl_clipboard.cpp).
  bool SetClipboardText(const std::string& text) override;
  bool GetClipboardText(std::string* text) override;

  // SDL audio (sdl_audio.cpp).
  int AudioDeviceCount() override;
  AudioCaps AudioCapabilities() override;
  std::unique_ptr<AudioOutput> OpenAudio(const AudioFormat& format) override;

  void Finish() override;

 private:
  SdlWindow* Find(NativeWindow* window);
  SdlWindow* FindBySdlId(uint32_t id);
  SdlWindow* FindByParent(uint64_t parent);
  SdlWindow* Focused();
  SdlWindow* NewWindow(const TopLevelSpec& spec, int width, int height);
  SDL_Window* CreateChildWindow(SdlWindow* window, const TopLevelSpec& spec, int* width, int* height);
  void ResizeSurface(SdlWindow* window, int width, int height);
  void PresentAll(SdlWindow* window);
  void ShowRects(SdlWindow* window, const RECT* rects, int count);
  void PutRects(SdlWindow* window, const RECT* rects, int count);
  void ShowRectsThroughSdl(SdlWindow* window, const RECT* rects, int count);
  void ScaledRow(const Surface& source, int y, int left, int right, uint32_t* out) const;
  static int WatchEvent(void* backend, SDL_Event* event);
  void RefreshPaletteTable();
  // Real screen position of a window's top-left (X's pixels, not the program's).
  bool ScreenOrigin(SdlWindow* window, int* x, int* y);
  int Real(int value) const { return value * scale_; }
  int Program(int value) const { return ToProgram(value, scale_); }

  // Event translation: one SDL event may give none, one or two HostEvents.
  void Translate(const SDL_Event& event);
  void TranslateWindowEvent(const SDL_WindowEvent& event);
  void TranslateForeignNotice(const SDL_Event& event);
  void PushEvent(HostEvent::Kind kind, SdlWindow* window, uint32_t time);
  bool TakeEvent(HostEvent* event);
  enum class Readable { kNo, kYes, kAsk };  // the X connection, as far as known
  void TranslateWaiting(Readable readable);
  // Waits for the X connection or a signal; true when the connection (or a
  // queue in front of it) has something to read.
  bool WaitForInput(uint32_t timeoutMs);

  bool WritePng(const char* path);
  void CopyWindow(const SdlWindow& window, int originX, int originY, int width, int height,
                  std::vector<uint8_t>* rgb);

  host::Options options_;
  bool started_ = false;
  int screenWidth_ = 0;   // the real screen
  int screenHeight_ = 0;
  int scale_ = 1;         // real pixels a side of each of the program's
  int depth_ = 24;
  _XDisplay* display_ = nullptr;
  uint64_t rootWindow_ = 0;  // watched: its size is the screen's
  std::vector<std::unique_ptr<SdlWindow>> windows_;  // bottom to top
  std::vector<SDL_Rect> rectScratch_;
  std::vector<RECT> clippedScratch_;
  uint32_t lastPump_ = 0;
  std::vector<uint32_t> rowScratch_;
  uint32_t paletteTable_[256] = {};
  unsigned paletteVersion_ = ~0u;
  bool appActive_ = false;
  EventRing pending_;
  int audioState_ = 0;  // 0 not tried, 1 SDL audio started, -1 no sound
};

}  // namespace plat::sdl
