#include "gdi/dc_target.h"

#include <algorithm>

#include "core/draw_target.h"
#include "core/system_palette.h"
#include "gdi/palette_map.h"
#include "gdi/palette_state.h"
#include "gdi/present.h"

namespace plat::gdi {
namespace {

RGBQUAD SystemQuad(int index) { return QuadOfEntry(TheSystemPalette().entries[index & 0xFF]); }

// Nearest system index to a plain RGB colour: the static colours, as a
// palette device shows colours that come with no palette.
uint32_t NearestStatic(RGBQUAD c) {
  const SystemPalette& system = TheSystemPalette();
  int low = StaticCountLow(system.use);
  if (low == 0) return static_cast<uint32_t>(NearestEntry(system.entries, 256, c));
  int a = NearestEntry(system.entries, low, c);
  int b = 256 - low + NearestEntry(system.entries + 256 - low, low, c);
  const PALETTEENTRY& ea = system.entries[a];
  const PALETTEENTRY& eb = system.entries[b];
  auto dist = [&](const PALETTEENTRY& e) {
    int dr = e.peRed - c.rgbRed, dg = e.peGreen - c.rgbGreen, db = e.peBlue - c.rgbBlue;
    return dr * dr + dg * dg + db * db;
  };
  return static_cast<uint32_t>(dist(eb) < dist(ea) ? b : a);
}

// System index for colour c that a source gave at index `preferred`: the
// DC palette entry of that colour (the same index first), then where the
// palette sits in the system palette.
uint32_t SystemIndexVia(const Palette& palette, const uint8_t* map, int preferred, RGBQUAD c) {
  int count = static_cast<int>(palette.entries.size());
  int logical = (preferred >= 0 && preferred < count && SameColour(QuadOfEntry(palette.entries[preferred]), c))
                    ? preferred
                    : NearestEntry(palette.entries.data(), count, c);
  if (logical < 0) return NearestStatic(c);
  return map[logical];
}

}  // namespace

bool ResolveDc(HDC hdc, DcTarget* out) {
  DeviceContext* dc = FindDc(hdc);
  if (!dc) return false;
  *out = DcTarget{};
  out->hdc = hdc;
  out->dc = dc;
  if (dc->kind == DeviceContext::kMemory) {
    Bitmap* bitmap = FindBitmap(dc->bitmap);
    if (!bitmap || !bitmap->bits) return false;
    out->view = bitmap->View();
    out->clip = RECT{0, 0, bitmap->width, bitmap->height};
    return true;
  }
  DrawTarget target;
  if (!GetDrawTarget(dc->kind == DeviceContext::kScreen ? nullptr : dc->hwnd, dc->wholeWindow, &target)) return false;
  Surface* surface = target.surface;
  if (!surface || !surface->pixels) return false;
  if (target.native) CurrentBackend().BeginDrawing(target.native);
  PixelView& v = out->view;
  v.row0 = surface->pixels;
  v.pitch = surface->pitch;
  v.width = surface->width;
  v.height = surface->height;
  v.bitsPerPixel = surface->depth == 8 ? 8 : 32;
  v.format = surface->depth == 8 ? PixelFormat::kSystemIndexed : PixelFormat::kXrgb32;
  out->originX = target.originX;
  out->originY = target.originY;
  out->clip = target.clip;
  if (dc->paintClipped) {
    const RECT& p = dc->paintClip;
    RECT& c = out->clip;
    c = RECT{std::max(c.left, p.left + target.originX), std::max(c.top, p.top + target.originY),
             std::min(c.right, p.right + target.originX), std::min(c.bottom, p.bottom + target.originY)};
    if (c.left >= c.right || c.top >= c.bottom) c = RECT{0, 0, 0, 0};
  }
  out->native = target.native;
  out->hwnd = dc->hwnd;
  out->window = true;
  out->readElsewhere = surface->readElsewhere;
  return true;
}

const Palette* DcSystemMap(const DeviceContext& dc, uint8_t map[256]) {
  Palette* palette = DcPalette(dc);
  int count = static_cast<int>(palette->entries.size());
  if (count > 256) count = 256;
  const SystemPalette& system = TheSystemPalette();
  bool owner = dc.palette && dc.palette == ForegroundPalette() && palette->realizedVersion == palette->version &&
               palette->realizedSystemVersion == system.version;
  if (owner) {
    for (int i = 0; i < count; ++i) map[i] = palette->toSystem[i];
  } else {
    MapToSystem(system, palette->entries.data(), count, map);
  }
  return palette;
}

uint32_t RawOfColour(const DcTarget& target, COLORREF colour) {
  const PixelView& v = target.view;
  RGBQUAD c = QuadOfColorref(colour);
  uint32_t kind = colour >> 24;
  switch (v.format) {
    case PixelFormat::kSystemIndexed: {
      if (kind == 1 || kind == 2) {
        uint8_t map[256];
        const Palette* palette = DcSystemMap(*target.dc, map);
        int count = static_cast<int>(palette->entries.size());
        if (kind == 1) {
          int index = static_cast<int>(colour & 0xFFFF);
          return index < count && index < 256 ? map[index] : map[0];
        }
        return SystemIndexVia(*palette, map, -1, c);
      }
      return NearestStatic(c);
    }
    case PixelFormat::kIndexed: {
      if (kind == 1) {
        uint32_t index = colour & 0xFFFF;
        return index < static_cast<uint32_t>(v.colourCount) ? index : 0;
      }
      int best = NearestQuad(v.colours, v.colourCount, c);
      return best < 0 ? 0 : static_cast<uint32_t>(best);
    }
    default:
      if (kind == 1) {
        const Palette* palette = DcPalette(*target.dc);
        uint32_t index = colour & 0xFFFF;
        if (index < palette->entries.size()) c = QuadOfEntry(palette->entries[index]);
      }
      return PackDirect(v.format, XrgbOf(c));
  }
}

COLORREF ColourOfRaw(const DcTarget& target, uint32_t raw) {
  const PixelView& v = target.view;
  switch (v.format) {
    case PixelFormat::kSystemIndexed:
      return ColorrefOfQuad(SystemQuad(static_cast<int>(raw)));
    case PixelFormat::kIndexed:
      return raw < static_cast<uint32_t>(v.colourCount) ? ColorrefOfQuad(v.colours[raw]) : RGB(0, 0, 0);
    default:
      return ColorrefOfQuad(QuadOfXrgb(UnpackDirect(v.format, raw)));
  }
}

void BuildIndexTable(const DcTarget& target, const RGBQUAD* colours, int count, bool systemIndexed,
                     uint32_t table[256]) {
  const PixelView& v = target.view;
  if (systemIndexed && v.format == PixelFormat::kSystemIndexed) {
    for (uint32_t i = 0; i < 256; ++i) table[i] = i;
    return;
  }
  RGBQUAD source[256];
  for (int i = 0; i < 256; ++i) {
    if (systemIndexed) {
      source[i] = SystemQuad(i);
    } else {
      source[i] = i < count ? colours[i] : RGBQUAD{0, 0, 0, 0};
    }
  }
  switch (v.format) {
    case PixelFormat::kSystemIndexed: {
      uint8_t map[256];
      const Palette* palette = DcSystemMap(*target.dc, map);
      for (int i = 0; i < 256; ++i) table[i] = SystemIndexVia(*palette, map, i, source[i]);
      break;
    }
    case PixelFormat::kIndexed:
      for (int i = 0; i < 256; ++i) {
        if (i < v.colourCount && SameColour(v.colours[i], source[i])) {
          table[i] = static_cast<uint32_t>(i);
        } else {
          int best = NearestQuad(v.colours, v.colourCount, source[i]);
          table[i] = best < 0 ? 0 : static_cast<uint32_t>(best);
        }
      }
      break;
    case PixelFormat::kXrgb32:
      // Every blit of the stage to a window on a desktop builds this table.
      for (int i = 0; i < 256; ++i) table[i] = XrgbOf(source[i]);
      break;
    default:
      for (int i = 0; i < 256; ++i) table[i] = PackDirect(v.format, XrgbOf(source[i]));
      break;
  }
}

uint32_t MatchXrgb(const void* target, uint32_t xrgb) {
  const DcTarget& t = *static_cast<const DcTarget*>(target);
  RGBQUAD c = QuadOfXrgb(xrgb);
  if (t.view.format == PixelFormat::kSystemIndexed) {
    uint8_t map[256];
    const Palette* palette = DcSystemMap(*t.dc, map);
    return SystemIndexVia(*palette, map, -1, c);
  }
  return RawOfColour(t, ColorrefOfQuad(c));
}

void NoteDrawn(const DcTarget& target, const RECT& r) {
  if (target.window) RecordDamage(target.native, target.hwnd, r);
}

}  // namespace plat::gdi
