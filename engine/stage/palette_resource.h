// The optional "default" palette resource: a RIFF "PAL " form whose "data"
// chunk holds a version, an entry count and red, green, blue, flags entries.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Stores the entries of a RIFF palette (at most 256, as blue, green, red, 0)
// into table and returns how many; the rest of table is left alone.
// Returns -1 when the bytes are not a usable RIFF palette.
int ReadRiffPalette(const uint8_t* data, size_t size, RGBQUAD* table);

// Reads the "default" "PALETTE" resource of the engine's resource module
// into table. False when there is no module, no resource or no usable form.
bool LoadPaletteResource(RGBQUAD* table);
