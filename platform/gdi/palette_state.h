// Which logical palette owns the system palette of a palette screen.
#pragma once

#include <windows.h>

namespace plat::gdi {

// The palette realized last in the foreground (palette screens), or null.
HPALETTE ForegroundPalette();
void SetForegroundPalette(HPALETTE palette);

// True on a palette screen (8 bits per pixel).
bool PaletteScreen();

}  // namespace plat::gdi
