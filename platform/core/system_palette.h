// The hardware palette of a 256-colour palette screen: what each index of
// the screen's pixels looks like. gdi/ changes it (RealizePalette,
// AnimatePalette); backends read it when they show 8-bit pixels.
#pragma once

#include <windows.h>

namespace plat {

struct SystemPalette {
  PALETTEENTRY entries[256];   // peFlags: 0 static/free, PC_RESERVED when animatable
  UINT use = SYSPAL_STATIC;    // SYSPAL_STATIC or SYSPAL_NOSTATIC
  unsigned version = 0;        // raised at every change
};

SystemPalette& TheSystemPalette();
// Sets the twenty static colours at both ends and black in between.
void ResetSystemPalette();

}  // namespace plat
