#include "gdi/dib_info.h"

#include <cstring>

#include "core/trace.h"

namespace plat::gdi {

bool ReadDibInfo(const BITMAPINFO* info, UINT usage, const DeviceContext* dc, DibInfo* out) {
  if (!info) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 4096) return false;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biWidth > 32767 || h.biHeight > 32767 || h.biHeight < -32767)
    return false;
  if (h.biPlanes != 1) return false;
  if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return false;
  *out = DibInfo{};
  out->width = h.biWidth;
  out->height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  out->topDown = h.biHeight < 0;
  out->bitsPerPixel = h.biBitCount;
  const uint8_t* afterHeader = reinterpret_cast<const uint8_t*>(info) + h.biSize;

  switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
      if (h.biCompression != BI_RGB) {
        PLAT_FIXME("DIB: %d bits compressed as %lu", h.biBitCount, static_cast<unsigned long>(h.biCompression));
        return false;
      }
      out->format = PixelFormat::kIndexed;
      break;
    case 16:
    case 32: {
      bool sixteen = h.biBitCount == 16;
      if (h.biCompression == BI_RGB) {
        out->format = sixteen ? PixelFormat::kRgb555 : PixelFormat::kXrgb32;
        break;
      }
      if (h.biCompression != BI_BITFIELDS) return false;
      // Masks follow a plain header, or are part of a longer one.
      const uint8_t* at = h.biSize >= 52 ? reinterpret_cast<const uint8_t*>(info) + 40 : afterHeader;
      std::memcpy(out->masks, at, sizeof(out->masks));
      if (!sixteen && out->masks[0] == 0xFF0000 && out->masks[1] == 0xFF00 && out->masks[2] == 0xFF) {
        out->format = PixelFormat::kXrgb32;
      } else if (sixteen && out->masks[0] == 0x7C00 && out->masks[1] == 0x3E0 && out->masks[2] == 0x1F) {
        out->format = PixelFormat::kRgb555;
      } else if (sixteen && out->masks[0] == 0xF800 && out->masks[1] == 0x7E0 && out->masks[2] == 0x1F) {
        out->format = PixelFormat::kRgb565;
      } else {
        PLAT_FIXME("DIB: %d-bit masks %08x %08x %08x", h.biBitCount, out->masks[0], out->masks[1], out->masks[2]);
        return false;
      }
      break;
    }
    case 24:
      if (h.biCompression != BI_RGB) return false;
      out->format = PixelFormat::kBgr24;
      break;
    default:
      return false;
  }

  out->stride = ((out->width * out->bitsPerPixel + 31) / 32) * 4;
  out->imageBytes = static_cast<size_t>(out->stride) * static_cast<size_t>(out->height);
  if (out->imageBytes > (size_t{1} << 30)) return false;

  if (out->bitsPerPixel <= 8) {
    int full = 1 << out->bitsPerPixel;
    int count = (h.biClrUsed == 0 || h.biClrUsed > static_cast<DWORD>(full)) ? full : static_cast<int>(h.biClrUsed);
    out->colourCount = count;
    if (usage == DIB_RGB_COLORS) {
      std::memcpy(out->colours, afterHeader, static_cast<size_t>(count) * sizeof(RGBQUAD));
    } else {
      const Palette* palette = dc ? DcPalette(*dc) : DefaultPalette();
      for (int i = 0; i < count; ++i) {
        WORD index;
        std::memcpy(&index, afterHeader + i * 2, sizeof(index));
        if (index < palette->entries.size()) out->colours[i] = QuadOfEntry(palette->entries[index]);
      }
    }
    for (int i = 0; i < count; ++i) out->colours[i].rgbReserved = 0;
  }
  return true;
}

PixelView ViewOfDib(const DibInfo& info, const void* bits) {
  PixelView v;
  uint8_t* base = static_cast<uint8_t*>(const_cast<void*>(bits));
  v.width = info.width;
  v.height = info.height;
  v.bitsPerPixel = info.bitsPerPixel;
  v.format = info.format;
  v.pitch = info.topDown ? info.stride : -static_cast<ptrdiff_t>(info.stride);
  v.row0 = info.topDown ? base : base + static_cast<ptrdiff_t>(info.height - 1) * info.stride;
  v.colours = info.colours;
  v.colourCount = info.colourCount;
  return v;
}

}  // namespace plat::gdi
