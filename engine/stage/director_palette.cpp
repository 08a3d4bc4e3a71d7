// mDirector::SetPalette: the first call realizes an identity palette; later
// calls play the changed colours into the hardware with AnimatePalette,
// never touching the static colours of a palette screen.
#include <algorithm>

#include "stage/director.h"
#include "stage/renderer.h"

namespace {

void TellSprites(mRenderer* first) {
  if (!first) return;
  mRenderer* sprite = first;
  do {
    sprite->PaletteChanged();
    sprite = sprite->next;
  } while (sprite != first);
}

}  // namespace

void mDirector::SetPalette(const RGBQUAD* entries, int first, int count) {
  const int n = ownDesc.ColourCount();
  if (!entries || first >= n || !ownDesc.colours) return;
  // Entries given for indexes below 0 are dropped.
  if (first < 0) {
    entries += -static_cast<int64_t>(first);
    count = static_cast<int>(std::max<int64_t>(int64_t{count} + first, 0));
    first = 0;
  }
  int last = static_cast<int>(std::min<int64_t>(int64_t{first} + count - 1, n - 1));

  if (!palette) {
    SetColours(entries, first, count);
    palette = CreateIdentityPalette(FALSE);
    HDC dc = GetDC(window);
    if (dc) {
      previousPalette = SelectPalette(dc, palette, FALSE);
      RealizePalette(dc);
      ReleaseDC(window, dc);
    }
    TellSprites(sprites);
    return;
  }

  bool changed = false;
  for (int i = first; i <= last && !changed; ++i) {
    const RGBQUAD& given = entries[i - first];
    const RGBQUAD& held = ownDesc.colours[i];
    changed = given.rgbRed != held.rgbRed || given.rgbGreen != held.rgbGreen || given.rgbBlue != held.rgbBlue;
  }
  if (!changed) return;

  HDC dc = GetDC(window);
  int statics = 0;
  if (dc && (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE))
    statics = std::clamp(GetDeviceCaps(dc, NUMCOLORS), 0, n);
  const int half = statics / 2;
  int start = first;
  if (first < half) {
    entries += half - first;
    start = half;
  }
  if (last >= n - half) last = n - half - 1;

  SetColours(entries, start, last - start + 1);
  TellSprites(sprites);
  if (dc) {
    SelectPalette(dc, palette, FALSE);
    if (last >= start) {
      PALETTEENTRY animated[256];
      for (int i = start; i <= last; ++i) {
        const RGBQUAD& c = ownDesc.colours[i];
        animated[i - start] = PALETTEENTRY{c.rgbRed, c.rgbGreen, c.rgbBlue, PC_RESERVED};
      }
      AnimatePalette(palette, static_cast<UINT>(start), static_cast<UINT>(last - start + 1), animated);
    }
    ReleaseDC(window, dc);
  }
}
