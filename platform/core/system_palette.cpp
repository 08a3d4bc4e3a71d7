#include "core/system_palette.h"

#include "core/lifecycle.h"

namespace plat {
namespace {

// The twenty static colours of a Windows palette display.
const BYTE kStaticLow[10][3] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},   {0, 0, 128},
    {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
};
const BYTE kStaticHigh[10][3] = {
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255},
};

SystemPalette g_palette;
bool g_initialised = false;

void ResetOnShutdown() { g_initialised = false; }

}  // namespace

void ResetSystemPalette() {
  for (int i = 0; i < 256; ++i) g_palette.entries[i] = PALETTEENTRY{0, 0, 0, 0};
  for (int i = 0; i < 10; ++i) {
    g_palette.entries[i] = PALETTEENTRY{kStaticLow[i][0], kStaticLow[i][1], kStaticLow[i][2], 0};
    g_palette.entries[246 + i] = PALETTEENTRY{kStaticHigh[i][0], kStaticHigh[i][1], kStaticHigh[i][2], 0};
  }
  g_palette.use = SYSPAL_STATIC;
  ++g_palette.version;
  g_initialised = true;
  RegisterReset(ResetOnShutdown);
}

SystemPalette& TheSystemPalette() {
  if (!g_initialised) ResetSystemPalette();
  return g_palette;
}

}  // namespace plat
