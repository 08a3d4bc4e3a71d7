// A window's pixels as the X server takes them: an image in memory shared
// with the server (MIT-SHM) when it offers that, else in our own memory.
// The program draws straight into it; Put sends rectangles of it without
// waiting for the server, which tells when it has read them. On a scaled
// screen the image has the program's size: Put sends it to a pixmap of
// that size, and the server enlarges it into the window (RENDER, nearest
// pixel), so the program's pixels cross to the server only once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

struct _XDisplay;
struct _XGC;
struct _XImage;
union _XEvent;

namespace plat::sdl {

class X11Framebuffer {
 public:
  // width x height: the image, which the window shows at scale times its
  // size. Null when the window's visual does not hold 0x00RRGGBB pixels as
  // they are, or a scaled window has no RENDER to enlarge it (the caller
  // then converts through SDL's surface).
  static std::unique_ptr<X11Framebuffer> Create(_XDisplay* display, uint64_t window, int width, int height,
                                                int scale = 1);
  ~X11Framebuffer();
  X11Framebuffer(const X11Framebuffer&) = delete;
  X11Framebuffer& operator=(const X11Framebuffer&) = delete;

  uint8_t* Pixels() const { return pixels_; }
  int Pitch() const { return pitch_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Shared() const { return shared_; }

  // Sends the rectangles (inside the image) to the window.
  void Put(const RECT* rects, int count);
  // Waits (briefly, bounded) until the server has read what Put sent, so
  // the pixels can be written again.
  void WaitIdle();
  // True when the event is the server's note that it has read a Put of
  // this image; the image is then free again.
  bool TakeCompletion(const _XEvent& event);

 private:
  X11Framebuffer() = default;
  struct SharedSegment;
  struct Format;  // the window's visual and depth
  bool AttachShared(const Format& format);
  bool MakePrivate(const Format& format);
  bool MakeEnlarger(const Format& format);
  uint64_t Destination() const { return pixmap_ ? pixmap_ : window_; }

  _XDisplay* display_ = nullptr;
  uint64_t window_ = 0;
  int scale_ = 1;
  uint64_t pixmap_ = 0;   // scaled: the image's copy on the server
  uint64_t source_ = 0;   // scaled: the pixmap as RENDER reads it, enlarged
  uint64_t target_ = 0;   // scaled: the window as RENDER draws into it
  _XGC* gc_ = nullptr;
  _XImage* image_ = nullptr;
  std::unique_ptr<SharedSegment> segment_;
  int completionType_ = -1;
  bool shared_ = false;
  bool inFlight_ = false;
  uint8_t* pixels_ = nullptr;
  int pitch_ = 0;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace plat::sdl
