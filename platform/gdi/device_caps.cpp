// GetDeviceCaps: what the screen is; memory DCs answer for the screen.
#include <windows.h>

#include "core/backend.h"
#include "core/trace.h"
#include "gdi/objects.h"

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  if (!plat::gdi::FindDc(hdc)) return 0;
  plat::Backend& backend = plat::CurrentBackend();
  bool palette = backend.ScreenDepth() == 8;
  const int kDpi = 96;
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return 1;  // raster display
    case HORZRES: return backend.ScreenWidth();
    case VERTRES: return backend.ScreenHeight();
    case HORZSIZE: return backend.ScreenWidth() * 254 / (kDpi * 10);   // millimetres
    case VERTSIZE: return backend.ScreenHeight() * 254 / (kDpi * 10);
    case BITSPIXEL: return palette ? 8 : 32;
    case PLANES: return 1;
    case NUMBRUSHES:
    case NUMPENS: return palette ? 20 : -1;
    case NUMFONTS: return 0;
    case NUMCOLORS: return palette ? 20 : -1;
    case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHDIB |
                            (palette ? RC_PALETTE : 0);
    case LOGPIXELSX:
    case LOGPIXELSY: return kDpi;
    case SIZEPALETTE: return palette ? 256 : 0;
    case NUMRESERVED: return palette ? 20 : 0;
    case COLORRES: return palette ? 18 : 24;
    default:
      PLAT_FIXME("GetDeviceCaps: index %d", index);
      return 0;
  }
}
