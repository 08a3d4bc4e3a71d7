// Colour look-ups and the realization of logical palettes into the system
// palette of a palette screen. Pure functions over the given tables.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/system_palette.h"

namespace plat::gdi {

// Index of the entry nearest to colour by squared distance; among equal
// distances the lowest index wins. -1 for an empty table.
int NearestEntry(const PALETTEENTRY* entries, int count, RGBQUAD colour);
int NearestQuad(const RGBQUAD* table, int count, RGBQUAD colour);

// How many entries at each end of the system palette stay the system's.
int StaticCountLow(UINT use);
bool IsStaticIndex(UINT use, int index);

// Realizes a logical palette in the foreground: the system entries outside
// the static ones are given to it. Entries with PC_RESERVED or
// PC_NOCOLLAPSE get a slot of their own (their own index when free), other
// entries share an equal colour already there or take a free slot, and
// when no slot is left an entry maps to the nearest colour. toSystem
// receives the system index of each logical entry. Returns true when a
// system entry changed.
bool RealizeForeground(SystemPalette* system, const PALETTEENTRY* entries, int count, uint8_t* toSystem);

// Maps a palette that does not own the system palette: each entry to the
// nearest system colour.
void MapToSystem(const SystemPalette& system, const PALETTEENTRY* entries, int count, uint8_t* toSystem);

}  // namespace plat::gdi
