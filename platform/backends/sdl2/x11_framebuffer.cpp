#include "backends/sdl2/x11_framebuffer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <SDL.h>

#include <cstdlib>

#include "backends/sdl2/x11_windows.h"

namespace plat::sdl {

struct X11Framebuffer::SharedSegment {
  XShmSegmentInfo info = {};
};

struct X11Framebuffer::Format {
  Visual* visual = nullptr;
  int depth = 0;
};

namespace {

// Longest wait for the server to read an image before asking it outright.
constexpr uint32_t kIdleWaitMs = 250;

// Pixels of the visual are 0x00RRGGBB words in our byte order. SDL makes
// its windows DirectColor where it can, with a colour map that passes each
// value through as it is: those hold the same words.
bool HoldsXrgb(const XWindowAttributes& attributes) {
  const Visual* visual = attributes.visual;
  bool direct = visual && (visual->c_class == TrueColor || visual->c_class == DirectColor);
  return direct && (attributes.depth == 24 || attributes.depth == 32) &&
         visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
}

bool LittleEndianHost() {
  const uint16_t probe = 1;
  return *reinterpret_cast<const uint8_t*>(&probe) == 1;
}

bool MatchesLayout(const XImage* image) {
  return image->bits_per_pixel == 32 && image->byte_order == (LittleEndianHost() ? LSBFirst : MSBFirst);
}

// The note of a put of one image into one window: an earlier image of the
// same window (before a resize) has a segment of its own.
struct CompletionOf {
  int type;
  Drawable drawable;
  ShmSeg segment;
};

bool Matches(const XEvent& event, const CompletionOf& wanted) {
  const auto& completion = reinterpret_cast<const XShmCompletionEvent&>(event);
  return event.type == wanted.type && completion.drawable == wanted.drawable && completion.shmseg == wanted.segment;
}

Bool IsCompletionOf(Display*, XEvent* event, XPointer arg) {
  return Matches(*event, *reinterpret_cast<const CompletionOf*>(arg));
}

}  // namespace

std::unique_ptr<X11Framebuffer> X11Framebuffer::Create(_XDisplay* display, uint64_t window, int width,
                                                       int height, int scale) {
  if (!display || window == 0 || window > 0xFFFFFFFFu || width <= 0 || height <= 0 || scale < 1) return nullptr;
  XWindowAttributes attributes;
  Status known = 0;
  if (!X11Attempt(display, [&] { known = XGetWindowAttributes(display, static_cast<Window>(window), &attributes); }) ||
      !known || !HoldsXrgb(attributes))
    return nullptr;
  std::unique_ptr<X11Framebuffer> framebuffer(new X11Framebuffer);
  framebuffer->display_ = display;
  framebuffer->window_ = window;
  framebuffer->width_ = width;
  framebuffer->height_ = height;
  framebuffer->scale_ = scale;
  Format format{attributes.visual, attributes.depth};
  if (scale > 1 && !framebuffer->MakeEnlarger(format)) return nullptr;
  if (!framebuffer->AttachShared(format) && !framebuffer->MakePrivate(format)) return nullptr;
  XGCValues values = {};
  values.graphics_exposures = False;
  framebuffer->gc_ = XCreateGC(display, static_cast<Window>(window), GCGraphicsExposures, &values);
  if (!framebuffer->gc_) return nullptr;
  framebuffer->pixels_ = reinterpret_cast<uint8_t*>(framebuffer->image_->data);
  framebuffer->pitch_ = framebuffer->image_->bytes_per_line;
  return framebuffer;
}

bool X11Framebuffer::MakeEnlarger(const Format& format) {
  int eventBase = 0, errorBase = 0;
  if (!XRenderQueryExtension(display_, &eventBase, &errorBase)) return false;
  XRenderPictFormat* pictFormat = XRenderFindVisualFormat(display_, format.visual);
  if (!pictFormat) return false;
  X11NoteRenderErrors(display_);
  Window window = static_cast<Window>(window_);
  // The transform takes each window pixel's centre to the program's pixel
  // it lies in: exact in 16.16 fixed point for scales of 1, 2 and 4, and
  // short of the next pixel by far less than a pixel for 3.
  XTransform shrink = {{{XDoubleToFixed(1.0 / scale_), 0, 0},
                        {0, XDoubleToFixed(1.0 / scale_), 0},
                        {0, 0, XDoubleToFixed(1)}}};
  char nearest[] = FilterNearest;
  return X11Attempt(display_, [&] {
    Pixmap pixmap = XCreatePixmap(display_, window, static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                                  static_cast<unsigned>(format.depth));
    pixmap_ = pixmap;
    source_ = XRenderCreatePicture(display_, pixmap, pictFormat, 0, nullptr);
    target_ = XRenderCreatePicture(display_, window, pictFormat, 0, nullptr);
    XRenderSetPictureTransform(display_, static_cast<Picture>(source_), &shrink);
    XRenderSetPictureFilter(display_, static_cast<Picture>(source_), nearest, nullptr, 0);
  });
}

bool X11Framebuffer::AttachShared(const Format& format) {
  // A server on another machine cannot see our memory: the attach fails.
  if (!XShmQueryExtension(display_)) return false;
  auto segment = std::make_unique<SharedSegment>();
  XImage* image = XShmCreateImage(display_, format.visual, static_cast<unsigned>(format.depth), ZPixmap, nullptr,
                                  &segment->info, static_cast<unsigned>(width_), static_cast<unsigned>(height_));
  if (!image) return false;
  if (!MatchesLayout(image)) {
    XDestroyImage(image);
    return false;
  }
  size_t bytes = static_cast<size_t>(image->bytes_per_line) * image->height;
  segment->info.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (segment->info.shmid < 0) {
    XDestroyImage(image);
    return false;
  }
  segment->info.shmaddr = static_cast<char*>(shmat(segment->info.shmid, nullptr, 0));
  bool attached = segment->info.shmaddr != reinterpret_cast<char*>(-1);
  if (attached) {
    segment->info.readOnly = True;
    image->data = segment->info.shmaddr;
    attached = X11Attempt(display_, [&] { XShmAttach(display_, &segment->info); });
  }
  // Gone from the system once both sides let go, whatever ends us.
  shmctl(segment->info.shmid, IPC_RMID, nullptr);
  if (!attached) {
    if (segment->info.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment->info.shmaddr);
    image->data = nullptr;
    XDestroyImage(image);
    return false;
  }
  image_ = image;
  segment_ = std::move(segment);
  shared_ = true;
  completionType_ = XShmGetEventBase(display_) + ShmCompletion;
  return true;
}

bool X11Framebuffer::MakePrivate(const Format& format) {
  size_t pitch = static_cast<size_t>(width_) * 4;
  // XDestroyImage frees the data with free().
  auto* data = static_cast<char*>(std::calloc(pitch * static_cast<size_t>(height_), 1));
  if (!data) return false;
  XImage* image = XCreateImage(display_, format.visual, static_cast<unsigned>(format.depth), ZPixmap, 0, data,
                               static_cast<unsigned>(width_), static_cast<unsigned>(height_), 32,
                               static_cast<int>(pitch));
  if (!image) {
    std::free(data);
    return false;
  }
  if (!MatchesLayout(image)) {
    XDestroyImage(image);
    return false;
  }
  image_ = image;
  return true;
}

X11Framebuffer::~X11Framebuffer() {
  if (shared_) {
    // Once the server has answered, it has read every image sent before
    // and let go of the memory.
    XShmDetach(display_, &segment_->info);
    X11Sync(display_);
    shmdt(segment_->info.shmaddr);
    image_->data = nullptr;
  }
  if (image_) XDestroyImage(image_);
  if (gc_) XFreeGC(display_, gc_);
  if (target_) XRenderFreePicture(display_, static_cast<Picture>(target_));
  if (source_) XRenderFreePicture(display_, static_cast<Picture>(source_));
  if (pixmap_) XFreePixmap(display_, static_cast<Pixmap>(pixmap_));
}

void X11Framebuffer::Put(const RECT* rects, int count) {
  WaitIdle();
  auto destination = static_cast<Drawable>(Destination());
  for (int i = 0; i < count; ++i) {
    const RECT& r = rects[i];
    auto w = static_cast<unsigned>(r.right - r.left), h = static_cast<unsigned>(r.bottom - r.top);
    if (shared_) {
      // Only the last asks for the note: the server reads requests in order.
      bool last = i == count - 1;
      XShmPutImage(display_, destination, gc_, image_, r.left, r.top, r.left, r.top, w, h, last ? True : False);
      inFlight_ = inFlight_ || last;
    } else {
      // The pixels travel in the request: nothing to wait for afterwards.
      XPutImage(display_, destination, gc_, image_, r.left, r.top, r.left, r.top, w, h);
    }
  }
  for (int i = 0; pixmap_ && i < count; ++i) {
    const RECT& r = rects[i];
    int x = r.left * scale_, y = r.top * scale_;
    XRenderComposite(display_, PictOpSrc, static_cast<Picture>(source_), None, static_cast<Picture>(target_), x, y,
                     0, 0, x, y, static_cast<unsigned>((r.right - r.left) * scale_),
                     static_cast<unsigned>((r.bottom - r.top) * scale_));
  }
  XFlush(display_);
}

bool X11Framebuffer::TakeCompletion(const XEvent& event) {
  if (!inFlight_ ||
      !Matches(event, CompletionOf{completionType_, static_cast<Drawable>(Destination()), segment_->info.shmseg}))
    return false;
  inFlight_ = false;
  return true;
}

void X11Framebuffer::WaitIdle() {
  if (!inFlight_) return;
  CompletionOf wanted{completionType_, static_cast<Drawable>(Destination()), segment_->info.shmseg};
  XEvent event;
  uint32_t start = SDL_GetTicks();
  for (;;) {
    if (XCheckIfEvent(display_, &event, IsCompletionOf, reinterpret_cast<XPointer>(&wanted))) break;
    uint32_t waited = SDL_GetTicks() - start;
    if (waited >= kIdleWaitMs) {
      // No note (the window went, and an error came instead): once the
      // server has answered this, it has read everything sent before.
      X11Sync(display_);
      break;
    }
    pollfd fd = {ConnectionNumber(display_), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(kIdleWaitMs - waited));
  }
  inFlight_ = false;
}

}  // namespace plat::sdl
