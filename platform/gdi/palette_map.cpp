#include "gdi/palette_map.h"

#include <cstring>

namespace plat::gdi {
namespace {

inline unsigned Distance(int r1, int g1, int b1, int r2, int g2, int b2) {
  int dr = r1 - r2, dg = g1 - g2, db = b1 - b2;
  return static_cast<unsigned>(dr * dr + dg * dg + db * db);
}

bool SameRgb(const PALETTEENTRY& a, const PALETTEENTRY& b) {
  return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}

// Nearest among system slots that are in use, preferring those that do not
// animate; any slot when none qualifies.
int NearestTaken(const PALETTEENTRY* system, const bool* taken, const PALETTEENTRY& colour) {
  int best = -1;
  unsigned bestDistance = ~0u;
  for (int pass = 0; pass < 2 && best < 0; ++pass) {
    for (int i = 0; i < 256; ++i) {
      if (pass == 0 && (!taken[i] || (system[i].peFlags & PC_RESERVED))) continue;
      unsigned d = Distance(system[i].peRed, system[i].peGreen, system[i].peBlue, colour.peRed, colour.peGreen,
                            colour.peBlue);
      if (d < bestDistance) best = i, bestDistance = d;
    }
  }
  return best;
}

}  // namespace

namespace {

// The lowest index at the smallest distance; an exact match ends the search.
template <typename Entry, typename Rgb>
int NearestOf(const Entry* entries, int count, RGBQUAD colour, Rgb rgb) {
  int best = -1;
  unsigned bestDistance = ~0u;
  for (int i = 0; i < count; ++i) {
    BYTE r, g, b;
    rgb(entries[i], &r, &g, &b);
    unsigned d = Distance(r, g, b, colour.rgbRed, colour.rgbGreen, colour.rgbBlue);
    if (d < bestDistance) {
      best = i, bestDistance = d;
      if (d == 0) break;
    }
  }
  return best;
}

}  // namespace

int NearestEntry(const PALETTEENTRY* entries, int count, RGBQUAD colour) {
  return NearestOf(entries, count, colour, [](const PALETTEENTRY& e, BYTE* r, BYTE* g, BYTE* b) {
    *r = e.peRed, *g = e.peGreen, *b = e.peBlue;
  });
}

int NearestQuad(const RGBQUAD* table, int count, RGBQUAD colour) {
  return NearestOf(table, count, colour, [](const RGBQUAD& q, BYTE* r, BYTE* g, BYTE* b) {
    *r = q.rgbRed, *g = q.rgbGreen, *b = q.rgbBlue;
  });
}

int StaticCountLow(UINT use) {
  switch (use) {
    case SYSPAL_NOSTATIC:
      return 1;  // black and white stay
    case SYSPAL_NOSTATIC256:
      return 0;
    default:
      return 10;
  }
}

bool IsStaticIndex(UINT use, int index) {
  int low = StaticCountLow(use);
  return index < low || index >= 256 - low;
}

bool RealizeForeground(SystemPalette* system, const PALETTEENTRY* entries, int count, uint8_t* toSystem) {
  PALETTEENTRY next[256];
  std::memcpy(next, system->entries, sizeof(next));
  bool taken[256];
  for (int i = 0; i < 256; ++i) {
    taken[i] = IsStaticIndex(system->use, i);
    if (taken[i]) next[i].peFlags = 0;
  }
  bool placed[256] = {};
  if (count > 256) count = 256;

  auto take = [&](int slot, int i) {
    taken[slot] = true;
    next[slot] = entries[i];
    next[slot].peFlags = entries[i].peFlags & PC_RESERVED;
    toSystem[i] = static_cast<uint8_t>(slot);
    placed[i] = true;
  };
  auto ownsSlot = [&](int i) { return (entries[i].peFlags & (PC_RESERVED | PC_NOCOLLAPSE)) != 0; };
  auto shareEqual = [&](int i) {
    for (int slot = 0; slot < 256; ++slot) {
      if (taken[slot] && !(next[slot].peFlags & PC_RESERVED) && SameRgb(next[slot], entries[i])) {
        toSystem[i] = static_cast<uint8_t>(slot);
        placed[i] = true;
        return;
      }
    }
  };

  // Explicit entries name their system slot; entries that want a slot of
  // their own get their own index when it is free (identity palettes).
  for (int i = 0; i < count; ++i) {
    if (entries[i].peFlags & PC_EXPLICIT) {
      toSystem[i] = static_cast<uint8_t>(entries[i].peRed);
      placed[i] = true;
    } else if (ownsSlot(i) && !taken[i]) {
      take(i, i);
    }
  }
  // Entries that equal a colour already in use share it; an entry at a
  // static index that equals the static colour there keeps that index.
  for (int i = 0; i < count; ++i) {
    if (placed[i]) continue;
    if (IsStaticIndex(system->use, i) && SameRgb(next[i], entries[i])) {
      toSystem[i] = static_cast<uint8_t>(i);
      placed[i] = true;
      continue;
    }
    if (!ownsSlot(i)) shareEqual(i);
  }
  // The rest take free slots, own index first, while there are any.
  int freeSlot = 0;
  for (int i = 0; i < count; ++i) {
    if (!placed[i] && !ownsSlot(i)) shareEqual(i);  // an earlier entry may have brought the colour
    if (placed[i]) continue;
    if (!taken[i]) {
      take(i, i);
      continue;
    }
    while (freeSlot < 256 && taken[freeSlot]) ++freeSlot;
    if (freeSlot < 256) {
      take(freeSlot, i);
    } else {
      toSystem[i] = static_cast<uint8_t>(NearestTaken(next, taken, entries[i]));
      placed[i] = true;
    }
  }

  bool changed = std::memcmp(next, system->entries, sizeof(next)) != 0;
  if (changed) {
    std::memcpy(system->entries, next, sizeof(next));
    ++system->version;
  }
  return changed;
}

void MapToSystem(const SystemPalette& system, const PALETTEENTRY* entries, int count, uint8_t* toSystem) {
  if (count > 256) count = 256;
  // Slots that animate belong to another palette's colours of the moment.
  bool steady[256];
  for (int i = 0; i < 256; ++i) steady[i] = !(system.entries[i].peFlags & PC_RESERVED);
  for (int i = 0; i < count; ++i) {
    if (entries[i].peFlags & PC_EXPLICIT) {
      toSystem[i] = entries[i].peRed;
    } else if (steady[i] && SameRgb(system.entries[i], entries[i])) {
      toSystem[i] = static_cast<uint8_t>(i);
    } else {
      toSystem[i] = static_cast<uint8_t>(NearestTaken(system.entries, steady, entries[i]));
    }
  }
}

}  // namespace plat::gdi
