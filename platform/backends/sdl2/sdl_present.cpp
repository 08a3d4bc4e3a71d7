// Showing a window's surface: the given rectangles go to the X server from
// the window's framebuffer (through the palette on a palette screen), or,
// for a visual of another layout or a scaled screen without RENDER, are
// converted (and enlarged) into SDL's window surface; nothing more.
#include <algorithm>
#include <cstring>

#include "backends/sdl2/sdl_backend.h"
#include "core/system_palette.h"

namespace plat::sdl {
namespace {

bool IsXrgb(const SDL_Surface* target) {
  Uint32 format = target->format->format;
  return format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
}

}  // namespace

void SdlBackend::RefreshPaletteTable() {
  const SystemPalette& palette = TheSystemPalette();
  if (palette.version == paletteVersion_) return;
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY& entry = palette.entries[i];
    paletteTable_[i] = (uint32_t{entry.peRed} << 16) | (uint32_t{entry.peGreen} << 8) | entry.peBlue;
  }
  paletteVersion_ = palette.version;
}

void SdlBackend::ShowRects(SdlWindow* window, const RECT* rects, int count) {
  if (window->framebuffer) {
    PutRects(window, rects, count);
  } else {
    ShowRectsThroughSdl(window, rects, count);
  }
}

void SdlBackend::PutRects(SdlWindow* window, const RECT* rects, int count) {
  X11Framebuffer& framebuffer = *window->framebuffer;
  const Surface& source = window->surface;
  int width = std::min(source.width, framebuffer.Width());
  int height = std::min(source.height, framebuffer.Height());
  bool palette = source.depth == 8;
  if (palette) {
    RefreshPaletteTable();
    // The palette's output is about to be written.
    framebuffer.WaitIdle();
  }
  clippedScratch_.clear();
  for (int i = 0; i < count; ++i) {
    RECT r = {std::max<LONG>(rects[i].left, 0), std::max<LONG>(rects[i].top, 0),
              std::min<LONG>(rects[i].right, width), std::min<LONG>(rects[i].bottom, height)};
    if (r.left >= r.right || r.top >= r.bottom) continue;
    clippedScratch_.push_back(r);
    if (!palette) continue;  // the surface is the framebuffer
    for (LONG y = r.top; y < r.bottom; ++y) {
      const uint8_t* in = source.pixels + static_cast<size_t>(y) * source.pitch + r.left;
      auto* out = reinterpret_cast<uint32_t*>(framebuffer.Pixels() + static_cast<size_t>(y) * framebuffer.Pitch()) +
                  r.left;
      for (LONG x = 0; x < r.right - r.left; ++x) out[x] = paletteTable_[in[x]];
    }
  }
  if (!clippedScratch_.empty()) framebuffer.Put(clippedScratch_.data(), static_cast<int>(clippedScratch_.size()));
}

void SdlBackend::ScaledRow(const Surface& source, int y, int left, int right, uint32_t* out) const {
  const uint8_t* in = source.pixels + static_cast<size_t>(y) * source.pitch;
  for (int x = left; x < right; ++x) {
    uint32_t pixel;
    if (source.depth == 8) {
      pixel = paletteTable_[in[x]];
    } else {
      std::memcpy(&pixel, in + static_cast<size_t>(x) * 4, 4);
    }
    for (int k = 0; k < scale_; ++k) *out++ = pixel;
  }
}

// SDL's surface has the window's real size: each of the program's pixels
// becomes a block of scale x scale, its first row made and the others copied.
void SdlBackend::ShowRectsThroughSdl(SdlWindow* window, const RECT* rects, int count) {
  SDL_Surface* target = SDL_GetWindowSurface(window->window);
  if (!target) return;
  const Surface& source = window->surface;
  int width = std::min(source.width, target->w / scale_);
  int height = std::min(source.height, target->h / scale_);
  if (source.depth == 8) RefreshPaletteTable();
  bool direct = IsXrgb(target);
  int bytesPerPixel = target->format->BytesPerPixel;
  if (!direct && rowScratch_.size() < static_cast<size_t>(width) * scale_) rowScratch_.resize(static_cast<size_t>(width) * scale_);
  if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return;

  rectScratch_.clear();
  for (int i = 0; i < count; ++i) {
    int left = std::max<int>(rects[i].left, 0), top = std::max<int>(rects[i].top, 0);
    int right = std::min<int>(rects[i].right, width), bottom = std::min<int>(rects[i].bottom, height);
    if (left >= right || top >= bottom) continue;
    int realWidth = (right - left) * scale_;
    size_t rowBytes = static_cast<size_t>(realWidth) * bytesPerPixel;
    for (int y = top; y < bottom; ++y) {
      auto* out = static_cast<uint8_t*>(target->pixels) + static_cast<size_t>(Real(y)) * target->pitch +
                  static_cast<size_t>(Real(left)) * bytesPerPixel;
      if (direct) {
        ScaledRow(source, y, left, right, reinterpret_cast<uint32_t*>(out));
      } else {
        ScaledRow(source, y, left, right, rowScratch_.data());
        SDL_ConvertPixels(realWidth, 1, SDL_PIXELFORMAT_RGB888, rowScratch_.data(), realWidth * 4,
                          target->format->format, out, target->pitch);
      }
      for (int k = 1; k < scale_; ++k) std::memcpy(out + static_cast<size_t>(k) * target->pitch, out, rowBytes);
    }
    rectScratch_.push_back(SDL_Rect{Real(left), Real(top), realWidth, Real(bottom - top)});
  }
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
  if (!rectScratch_.empty())
    SDL_UpdateWindowSurfaceRects(window->window, rectScratch_.data(), static_cast<int>(rectScratch_.size()));
}

void SdlBackend::BeginDrawing(NativeWindow* native) {
  // On a palette screen the server reads the palette's output, not the
  // surface; waiting for it costs nothing then, as it is long done.
  SdlWindow* window = Find(native);
  if (window && window->framebuffer) window->framebuffer->WaitIdle();
}

void SdlBackend::Present(NativeWindow* native, const RECT* rects, int count) {
  SdlWindow* window = Find(native);
  if (!window || window->parentGone || !rects || count <= 0) return;
  ShowRects(window, rects, count);
}

void SdlBackend::PresentAll(SdlWindow* window) {
  if (window->parentGone) return;
  RECT all = {0, 0, window->surface.width, window->surface.height};
  ShowRects(window, &all, 1);
}

void SdlBackend::SystemPaletteChanged() {
  if (depth_ != 8) return;
  for (auto& window : windows_) PresentAll(window.get());
}

}  // namespace plat::sdl
