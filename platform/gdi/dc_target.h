// Where a device context draws: the pixels behind it (a window's surface,
// the screen, or the bitmap selected into a memory DC), its clip, and how
// colours become pixel values there.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/backend.h"
#include "gdi/objects.h"
#include "gdi/pixel_view.h"

namespace plat::gdi {

struct DcTarget {
  HDC hdc = nullptr;
  DeviceContext* dc = nullptr;
  PixelView view;
  int originX = 0;  // view coordinates of the DC's point (0, 0)
  int originY = 0;
  RECT clip = {0, 0, 0, 0};       // view coordinates
  NativeWindow* native = nullptr;  // window DCs: where damage is presented
  HWND hwnd = nullptr;
  bool window = false;             // window or screen DC
  bool readElsewhere = false;      // the pixels are another process's to read (Surface)
};

// False for an unknown DC, a window that is gone or has no pixels.
bool ResolveDc(HDC hdc, DcTarget* out);

// System index of each entry of the DC's palette: the realized mapping when
// the palette owns the system palette, else the nearest system colours.
// Returns the palette; map gets palette-size entries (at most 256).
const Palette* DcSystemMap(const DeviceContext& dc, uint8_t map[256]);

// The stored value of a COLORREF (RGB, PALETTEINDEX or PALETTERGB) in the
// target; and the colour a stored value shows.
uint32_t RawOfColour(const DcTarget& target, COLORREF colour);
COLORREF ColourOfRaw(const DcTarget& target, uint32_t raw);

// table[i]: the target's value for index i of an indexed source with the
// given colours (count entries; the rest black). systemIndexed sources are
// indices of the system palette.
void BuildIndexTable(const DcTarget& target, const RGBQUAD* colours, int count, bool systemIndexed,
                     uint32_t table[256]);

// Matcher for direct-colour sources drawn into an indexed target.
uint32_t MatchXrgb(const void* target, uint32_t xrgb);

// Records that view rectangle r of a window DC was drawn.
void NoteDrawn(const DcTarget& target, const RECT& r);

}  // namespace plat::gdi
