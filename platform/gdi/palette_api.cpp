// Logical palettes and the system palette of palette screens.
#include <windows.h>

#include <algorithm>

#include "core/backend.h"
#include "core/lifecycle.h"
#include "core/system_palette.h"
#include "gdi/objects.h"
#include "gdi/palette_map.h"
#include "gdi/palette_state.h"
#include "gdi/pixel_view.h"

using namespace plat::gdi;

namespace plat::gdi {
namespace {

HPALETTE g_foreground = nullptr;

void ResetForeground() { g_foreground = nullptr; }

void TellBackend() {
  if (HasBackend()) CurrentBackend().SystemPaletteChanged();
}

}  // namespace

HPALETTE ForegroundPalette() { return g_foreground; }

void SetForegroundPalette(HPALETTE palette) {
  g_foreground = palette;
  RegisterReset(ResetForeground);
}

bool PaletteScreen() { return HasBackend() && CurrentBackend().ScreenDepth() == 8; }

}  // namespace plat::gdi

HPALETTE WINAPI CreatePalette(const LOGPALETTE* plpal) {
  if (!plpal || plpal->palVersion != 0x300 || plpal->palNumEntries == 0 || plpal->palNumEntries > 1024)
    return nullptr;
  auto palette = std::make_unique<Palette>();
  palette->entries.assign(plpal->palPalEntry, plpal->palPalEntry + plpal->palNumEntries);
  return static_cast<HPALETTE>(AddObject(std::move(palette)));
}

HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd) {
  DeviceContext* dc = FindDc(hdc);
  Palette* palette = FindPalette(hPal);
  if (!dc || !palette) return nullptr;
  HPALETTE previous = dc->palette ? dc->palette : static_cast<HPALETTE>(StockObject(DEFAULT_PALETTE));
  if (GdiObject* old = FindObject(dc->palette)) --old->selections;
  ++palette->selections;
  dc->palette = hPal;
  dc->paletteBackground = bForceBkgd != FALSE;
  return previous;
}

UINT WINAPI RealizePalette(HDC hdc) {
  DeviceContext* dc = FindDc(hdc);
  if (!dc) return GDI_ERROR;
  Palette* palette = FindPalette(dc->palette);
  // Only a window or the screen owns the system palette, and only on a
  // palette screen; the stock palette is the static colours themselves.
  if (!PaletteScreen() || !palette || palette->stock || dc->kind == DeviceContext::kMemory) return 0;
  plat::SystemPalette& system = plat::TheSystemPalette();
  int count = std::min<int>(static_cast<int>(palette->entries.size()), 256);
  if (dc->paletteBackground) {
    MapToSystem(system, palette->entries.data(), count, palette->toSystem);
    return 0;
  }
  if (dc->palette == ForegroundPalette() && palette->realizedVersion == palette->version &&
      palette->realizedSystemVersion == system.version)
    return 0;  // already in place
  bool changed = RealizeForeground(&system, palette->entries.data(), count, palette->toSystem);
  palette->realizedVersion = palette->version;
  palette->realizedSystemVersion = system.version;
  SetForegroundPalette(dc->palette);
  if (changed) TellBackend();
  return static_cast<UINT>(count);
}

BOOL WINAPI AnimatePalette(HPALETTE hPal, UINT iStartIndex, UINT cEntries, const PALETTEENTRY* ppe) {
  Palette* palette = FindPalette(hPal);
  if (!palette || palette->stock || !ppe) return FALSE;
  UINT count = static_cast<UINT>(palette->entries.size());
  if (iStartIndex >= count) return FALSE;
  UINT end = iStartIndex + std::min(cEntries, count - iStartIndex);
  plat::SystemPalette& system = plat::TheSystemPalette();
  bool owner = PaletteScreen() && hPal == ForegroundPalette() && palette->realizedVersion == palette->version &&
               palette->realizedSystemVersion == system.version;
  bool systemChanged = false;
  for (UINT i = iStartIndex; i < end; ++i) {
    PALETTEENTRY& entry = palette->entries[i];
    if (!(entry.peFlags & PC_RESERVED)) continue;
    const PALETTEENTRY& given = ppe[i - iStartIndex];
    entry.peRed = given.peRed;
    entry.peGreen = given.peGreen;
    entry.peBlue = given.peBlue;
    if (owner && i < 256) {
      // The slot the entry owns changes; pixels there change colour at once.
      PALETTEENTRY& slot = system.entries[palette->toSystem[i]];
      if (slot.peFlags & PC_RESERVED) {
        systemChanged |= slot.peRed != given.peRed || slot.peGreen != given.peGreen || slot.peBlue != given.peBlue;
        slot.peRed = given.peRed;
        slot.peGreen = given.peGreen;
        slot.peBlue = given.peBlue;
      }
    }
  }
  if (systemChanged) {
    ++system.version;
    palette->realizedSystemVersion = system.version;
    TellBackend();
  }
  return TRUE;
}

UINT WINAPI GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries) {
  Palette* palette = FindPalette(hpal);
  if (!palette) return 0;
  UINT count = static_cast<UINT>(palette->entries.size());
  if (!pPalEntries) return count;
  if (iStart >= count) return 0;
  UINT n = std::min(cEntries, count - iStart);
  std::copy_n(palette->entries.begin() + iStart, n, pPalEntries);
  return n;
}

UINT WINAPI SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, const PALETTEENTRY* pPalEntries) {
  Palette* palette = FindPalette(hpal);
  if (!palette || palette->stock || !pPalEntries) return 0;
  UINT count = static_cast<UINT>(palette->entries.size());
  if (iStart >= count) return 0;
  UINT n = std::min(cEntries, count - iStart);
  std::copy_n(pPalEntries, n, palette->entries.begin() + iStart);
  ++palette->version;
  return n;
}

UINT WINAPI GetNearestPaletteIndex(HPALETTE h, COLORREF color) {
  Palette* palette = FindPalette(h);
  if (!palette) return CLR_INVALID;
  int best = NearestEntry(palette->entries.data(), static_cast<int>(palette->entries.size()),
                         QuadOfColorref(color & 0xFFFFFF));
  return best < 0 ? CLR_INVALID : static_cast<UINT>(best);
}

UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries) {
  if (!FindDc(hdc) || !PaletteScreen()) return 0;
  if (!pPalEntries) return 256;
  if (iStart >= 256) return 0;
  UINT n = std::min(cEntries, 256 - iStart);
  const plat::SystemPalette& system = plat::TheSystemPalette();
  for (UINT i = 0; i < n; ++i) {
    pPalEntries[i] = system.entries[iStart + i];
    pPalEntries[i].peFlags = 0;
  }
  return n;
}

UINT WINAPI GetSystemPaletteUse(HDC hdc) {
  if (!FindDc(hdc)) return SYSPAL_ERROR;
  return plat::TheSystemPalette().use;
}

UINT WINAPI SetSystemPaletteUse(HDC hdc, UINT use) {
  if (!FindDc(hdc) || !PaletteScreen()) return SYSPAL_ERROR;
  if (use != SYSPAL_STATIC && use != SYSPAL_NOSTATIC && use != SYSPAL_NOSTATIC256) return SYSPAL_ERROR;
  plat::SystemPalette& system = plat::TheSystemPalette();
  UINT previous = system.use;
  if (use == previous) return previous;
  if (use == SYSPAL_STATIC) {
    // The static colours come back; the entries between keep theirs.
    PALETTEENTRY kept[256];
    std::copy_n(system.entries, 256, kept);
    plat::ResetSystemPalette();
    for (int i = 10; i < 246; ++i) system.entries[i] = kept[i];
  }
  system.use = use;
  ++system.version;  // the owner of the system palette must realize again
  TellBackend();
  return previous;
}
