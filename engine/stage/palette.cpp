// Colour-table operations of mBitmap.
#include <algorithm>
#include <cstring>

#include "stage/bitmap.h"
#include "stage/default_colours.h"
#include "stage/palette_resource.h"

namespace {

bool SameRgb(const RGBQUAD& a, const RGBQUAD& b) {
  return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

RGBQUAD QuadFrom(const PALETTEENTRY& e) { return RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0}; }

PALETTEENTRY EntryFrom(const RGBQUAD& q, BYTE flags) {
  return PALETTEENTRY{q.rgbRed, q.rgbGreen, q.rgbBlue, flags};
}

}  // namespace

int mBitmap::LoadDefaultColours(RGBQUAD* table) {
  if (LoadPaletteResource(table)) return 0;
  const ColourRow* rows = BuiltInColourTable();
  for (int i = 0; i < 256; ++i) table[i] = RGBQUAD{rows[i].blue, rows[i].green, rows[i].red, 0};
  return 0;
}

void mBitmap::SetColours(const RGBQUAD* entries, int first, int count) {
  RGBQUAD* table = ownDesc.colours;
  if (!entries || !table) return;
  const int n = ownDesc.ColourCount();
  if (first >= n) return;
  // A range that starts before the table loses its leading entries.
  int64_t start = first, last = static_cast<int64_t>(first) + count - 1;
  if (last > n - 1) last = n - 1;
  const RGBQUAD* from = entries;
  if (start < 0) {
    from += -start;
    start = 0;
  }
  if (last >= start)
    std::memcpy(table + start, from, static_cast<size_t>(last - start + 1) * sizeof(RGBQUAD));

  if (memoryDC) SetDIBColorTable(memoryDC, 0, static_cast<UINT>(n), table);
  translationTarget = nullptr;
  ++ownDesc.paletteVersion;
}

void mBitmap::SetColoursRemap(const RGBQUAD* entries, int first, int count) {
  const int n = ownDesc.ColourCount();
  if (n == 0 || !ownDesc.colours) return;
  RGBQUAD old[256];
  std::memcpy(old, ownDesc.colours, static_cast<size_t>(n) * sizeof(RGBQUAD));
  SetColours(entries, first, count);

  uint8_t map[256];
  bool identity = true;
  for (int i = 0; i < 256; ++i) {
    map[i] = static_cast<uint8_t>(i);
    if (i >= n || SameRgb(old[i], ownDesc.colours[i])) continue;
    map[i] = static_cast<uint8_t>(NearestColour(old[i]));
    identity = identity && map[i] == i;
  }
  if (identity) return;
  uint8_t* p = ownDesc.bits;
  const size_t bytes = static_cast<size_t>(ownDesc.stride) * static_cast<size_t>(ownDesc.height);
  for (size_t i = 0; i < bytes; ++i) p[i] = map[p[i]];
  ownDesc.transparentIndex = map[ownDesc.transparentIndex & 0xFF];
}

int mBitmap::NearestColour(RGBQUAD colour) const {
  const int n = ownDesc.ColourCount();
  if (ownDesc.bitsPerPixel > 8) return 0;
  if (n == 0 || !ownDesc.colours) return -1;
  int best = -1;
  uint32_t bestDistance = 0xFFFFFFFF;
  for (int i = 0; i < n; ++i) {
    const RGBQUAD& e = ownDesc.colours[i];
    const int dr = colour.rgbRed - e.rgbRed, dg = colour.rgbGreen - e.rgbGreen,
              db = colour.rgbBlue - e.rgbBlue;
    const uint32_t distance = static_cast<uint32_t>(dr * dr + dg * dg + db * db);
    if (best < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
      if (distance <= 1) return i;
    }
  }
  return best;
}

HPALETTE mBitmap::CreateIdentityPalette(BOOL remapPixels) {
  if (ownDesc.bitsPerPixel > 8) return nullptr;
  const int n = ownDesc.ColourCount();
  struct {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY entries[256];
  } pal = {};
  pal.palVersion = 0x300;
  pal.palNumEntries = 256;
  LOGPALETTE* logical = reinterpret_cast<LOGPALETTE*>(&pal);

  HDC screen = GetDC(nullptr);
  if (screen) {
    // Realize the system colours once as they are, so that the palette we
    // read back is what the hardware holds.
    GetSystemPaletteEntries(screen, 0, 256, pal.entries);
    for (PALETTEENTRY& e : pal.entries) e.peFlags = PC_NOCOLLAPSE;
    HPALETTE temporary = CreatePalette(logical);
    if (temporary) {
      HPALETTE previous = SelectPalette(screen, temporary, FALSE);
      RealizePalette(screen);
      SelectPalette(screen, previous, FALSE);
      DeleteObject(temporary);
    }
  }
  auto own = [this](int i) {
    return ownDesc.colours ? EntryFrom(ownDesc.colours[i], PC_RESERVED) : PALETTEENTRY{0, 0, 0, PC_RESERVED};
  };
  const bool hasStatics = screen && GetSystemPaletteUse(screen) != SYSPAL_NOSTATIC &&
                          (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE);
  if (hasStatics) {
    const int half = std::clamp(GetDeviceCaps(screen, NUMCOLORS), 0, 256) / 2;
    for (int i = 0; i < 256; ++i) {
      if (i < half || i >= 256 - half)
        pal.entries[i].peFlags = 0;
      else if (i < n - half)
        pal.entries[i] = own(i);
      else
        pal.entries[i].peFlags = PC_RESERVED;
    }
  } else {
    for (int i = 0; i < 256; ++i) {
      if (i < n)
        pal.entries[i] = own(i);
      else
        pal.entries[i].peFlags = PC_RESERVED;
    }
    pal.entries[0] = PALETTEENTRY{0, 0, 0, 0};
    pal.entries[255] = PALETTEENTRY{255, 255, 255, 0};
  }
  if (screen) ReleaseDC(nullptr, screen);

  RGBQUAD quads[256];
  for (int i = 0; i < 256; ++i) quads[i] = QuadFrom(pal.entries[i]);
  if (remapPixels)
    SetColoursRemap(quads, 0, 256);
  else
    SetColours(quads, 0, 256);
  return CreatePalette(logical);
}
