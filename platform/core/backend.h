// The host backend interface: what platform/ needs from a real display
// (SDL2) or from the virtual headless screen. Only platform/ sees this.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/audio_device.h"
#include "orvanel/host.h"

namespace plat {

// Pixels of one top-level window (SDL2) or of the whole virtual screen
// (headless). depth 8: one palette index per pixel, shown through the system
// palette; depth 32: 0x00RRGGBB per pixel.
struct Surface {
  int width = 0;
  int height = 0;
  int depth = 32;
  int pitch = 0;  // bytes per row, top row first
  uint8_t* pixels = nullptr;
  // Another process reads the pixels (the X server's shared image): drawing
  // writes them past the cache, which the reader would only have to take
  // back from us.
  bool readElsewhere = false;
};

// Where a top-level window should live and how it looks.
struct TopLevelSpec {
  int x = 0, y = 0, width = 0, height = 0;  // screen coordinates (or parent client for foreign)
  std::string title;
  bool fullScreen = false;
  bool topMost = false;
  bool visible = true;
  uint64_t foreignParent = 0;  // native window id to embed into, or 0
};

// A native top-level window as the backend knows it.
struct NativeWindow {
  Surface* surface = nullptr;  // pixels the window's contents are drawn into
  int surfaceX = 0;            // where the window's top-left lies on that surface
  int surfaceY = 0;
  uint64_t nativeId = 0;       // X11 window id on sdl2, virtual id on headless
  void* backendData = nullptr;
};

// Input and window-manager events, in screen coordinates.
struct HostEvent {
  enum Kind {
    kNone,
    kKeyDown,
    kKeyUp,
    kChar,
    kMouseMove,
    kButtonDown,
    kButtonUp,
    kActivateApp,    // the program became active (value 1) or lost activation (0)
    kCloseRequest,   // the user asked the window manager to close nativeWindow
    kExpose,         // native window contents need to be presented again
    kResize,         // native window got a new size (width, height in x, y)
    kParentGone,     // the foreign parent window was destroyed
    kTerminate,      // SIGTERM / SIGINT: end the program through the normal close path
  };
  Kind kind = kNone;
  NativeWindow* window = nullptr;  // target native window, when known
  int x = 0, y = 0;                // screen position (mouse), or size (resize)
  int vk = 0;                      // virtual key (keys); button 1 left, 2 right, 3 middle; char code (kChar)
  int value = 0;
  uint32_t time = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;

  // The screen.
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  virtual int ScreenDepth() const = 0;  // 8 (palette device) or 24

  // Time in milliseconds; headless time moves only inside Sleep and WaitEvent.
  virtual uint32_t Now() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  // Waits up to timeoutMs for an event. Returns false on timeout, or early
  // when an activation request arrived (see core/signals.h). INFINITE waits
  // until an event or a signal comes; SIGTERM/SIGINT (TakeTerminateRequest)
  // come back as kTerminate.
  virtual bool WaitEvent(HostEvent* event, uint32_t timeoutMs) = 0;
  // True when every wait ends as soon as an activation request arrives; else
  // an idle thread is woken now and then to look for one.
  virtual bool WaitEndsOnActivation() const { return false; }
  // The --seconds time is up: the last moment the screen shows the program's
  // windows before they close.
  virtual void TimedRunEnding() {}

  // The desktop the windows are on, by which programs of the same user find
  // each other's windows (an X display's name); "" for a screen no other
  // program sees.
  virtual std::string DesktopName() const = 0;
  // The surface every window is composed on, for a backend that has one (the
  // screen itself can then be drawn on); null where windows have their own.
  virtual Surface* ScreenSurface() { return nullptr; }

  // Native windows.
  virtual NativeWindow* CreateNative(const TopLevelSpec& spec) = 0;
  virtual void DestroyNative(NativeWindow* window) = 0;
  virtual void MoveNative(NativeWindow* window, int x, int y, int width, int height) = 0;
  virtual void ShowNative(NativeWindow* window, bool visible) = 0;
  virtual void RaiseNative(NativeWindow* window) = 0;
  // The program is about to write into the window's surface: a backend
  // whose screen may still be reading it waits until it is done.
  virtual void BeginDrawing(NativeWindow* /*window*/) {}
  // Shows the given rectangles (surface coordinates) of the window's surface.
  virtual void Present(NativeWindow* window, const RECT* rects, int count) = 0;
  // The system palette changed (palette screens): colours on screen follow.
  virtual void SystemPaletteChanged() = 0;

  // Foreign windows named by native id (preview parent, xscreensaver window).
  virtual bool ForeignWindowExists(uint64_t id) = 0;
  virtual bool ForeignWindowRect(uint64_t id, RECT* screenRect) = 0;
  // A plain top-level window outside the Win32 layer, as another program
  // would give one (xscreensaver's --window): its native id, 0 if none.
  virtual uint64_t CreatePlainWindow(int width, int height, const std::string& title) {
    (void)width, (void)height, (void)title;
    return 0;
  }

  // True when the host sends the character of each key itself (a kChar after
  // its kKeyDown): TranslateMessage then adds none, or every key would type twice.
  virtual bool KeysBringCharacters() const { return false; }

  virtual void SetCursorVisible(bool visible) = 0;
  virtual void GetCursorPos(int* x, int* y) = 0;
  virtual void SetCursorPos(int x, int y) = 0;

  virtual int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;

  // The desktop's clipboard, for backends on a desktop that has one. Text is
  // the program's own (Latin-1). False: no desktop clipboard (or no text on it).
  virtual bool SetClipboardText(const std::string& /*text*/) { return false; }
  virtual bool GetClipboardText(std::string* /*text*/) { return false; }

  // Wave output: the number of devices (0: no sound), what they offer, and
  // one opened for a format (null when refused).
  virtual int AudioDeviceCount() { return 0; }
  virtual AudioCaps AudioCapabilities() { return {}; }
  virtual std::unique_ptr<AudioOutput> OpenAudio(const AudioFormat& format) { return nullptr; }

  // Called once the program ends (ExitProcess): screenshots and the like.
  virtual void Finish() {}
};

// The backend in use; created on first use from the host options.
Backend& CurrentBackend();
bool HasBackend();

// Backend table entries.
struct BackendEntry {
  const char* name;
  bool (*available)(const host::Options&);
  std::unique_ptr<Backend> (*create)(const host::Options&, std::string* error);
};
const BackendEntry* BackendTable(int* count);

}  // namespace plat
