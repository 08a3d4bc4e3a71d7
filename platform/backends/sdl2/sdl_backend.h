// The sdl2 backend: real windows on an X11 display through SDL2, with Xlib
// for the windows of other programs that we draw into.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/backend.h"

struct _XDisplay;

namespace plat::sdl {

// One native window: the SDL window, the surface the program draws into and
// what we know of its place.
struct SdlWindow {
  NativeWindow native;
  Surface surface;
  std::vector<uint8_t> pixels;
  SDL_Window* window = nullptr;
  uint32_t sdlId = 0;
  uint64_t foreignParent = 0;  // the window we are a child of, or 0
  uint64_t childId = 0;        // our X11 child inside foreignParent
  bool parentGone = false;     // its X11 window no longer exists
  bool visible = false;
  bool topMost = false;
  int x = 0, y = 0;            // screen position (parent client position for children)
};

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
  int ScreenWidth() const override { return screenWidth_; }
  int ScreenHeight() const override { return screenHeight_; }
  int ScreenDepth() const override { return depth_; }

  uint32_t Now() override { return SDL_GetTicks(); }
  void Sleep(uint32_t ms) override { SDL_Delay(ms); }
  bool WaitEvent(HostEvent* event, uint32_t timeoutMs) override;

  NativeWindow* CreateNative(const TopLevelSpec& spec) override;
  void DestroyNative(NativeWindow* window) override;
  void MoveNative(NativeWindow* window, int x, int y, int width, int height) override;
  void ShowNative(NativeWindow* window, bool visible) override;
  void RaiseNative(NativeWindow* window) override;
  void Present(NativeWindow* window, const RECT* rects, int count) override;
  void SystemPaletteChanged() override;

  bool ForeignWindowExists(uint64_t id) override;
  bool ForeignWindowRect(uint64_t id, RECT* screenRect) override;
  uint64_t CreatePlainWindow(int width, int height, const std::string& title) override;

  void SetCursorVisible(bool visible) override;
  void GetCursorPos(int* x, int* y) override;
  void SetCursorPos(int x, int y) override;

  int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;

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
  void RefreshPaletteTable();
  bool ScreenOrigin(SdlWindow* window, int* x, int* y);

  // Event translation: one SDL event may give none, one or two HostEvents.
  void Translate(const SDL_Event& event);
  void TranslateWindowEvent(const SDL_WindowEvent& event);
  void TranslateForeignNotice(const SDL_Event& event);
  void PushEvent(HostEvent::Kind kind, SdlWindow* window, uint32_t time);
  bool TakeEvent(HostEvent* event);

  bool WritePng(const char* path);
  void CopyWindow(const SdlWindow& window, int originX, int originY, int width, int height,
                  std::vector<uint8_t>* rgb);

  host::Options options_;
  bool started_ = false;
  int screenWidth_ = 0;
  int screenHeight_ = 0;
  int depth_ = 24;
  _XDisplay* display_ = nullptr;
  std::vector<std::unique_ptr<SdlWindow>> windows_;  // bottom to top
  std::vector<SDL_Rect> rectScratch_;
  std::vector<uint32_t> rowScratch_;
  uint32_t paletteTable_[256] = {};
  unsigned paletteVersion_ = ~0u;
  bool appActive_ = false;
  EventRing pending_;
  int audioState_ = 0;  // 0 not tried, 1 SDL audio started, -1 no sound
};

}  // namespace plat::sdl
