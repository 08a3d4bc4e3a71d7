// Realizing logical palettes into the system palette, and colour look-ups.
#include "gdi/palette_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace plat::gdi {
namespace {

SystemPalette FreshSystem() {
  ResetSystemPalette();
  return TheSystemPalette();
}

// What the stage builds: statics at both ends, its own colours between.
std::vector<PALETTEENTRY> IdentityPalette(const SystemPalette& system) {
  std::vector<PALETTEENTRY> entries(256);
  for (int i = 0; i < 256; ++i) {
    if (i < 10 || i >= 246) {
      entries[i] = system.entries[i];
      entries[i].peFlags = 0;
    } else {
      entries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2),
                                PC_RESERVED};
    }
  }
  return entries;
}

TEST(PaletteMap, IdentityPaletteLandsAtItsOwnIndices) {
  SystemPalette system = FreshSystem();
  std::vector<PALETTEENTRY> entries = IdentityPalette(system);
  uint8_t map[256];
  EXPECT_TRUE(RealizeForeground(&system, entries.data(), 256, map));
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(map[i], i) << "entry " << i;
    ASSERT_EQ(system.entries[i].peRed, entries[i].peRed) << "slot " << i;
    ASSERT_EQ(system.entries[i].peFlags, i >= 10 && i < 246 ? PC_RESERVED : 0) << "slot " << i;
  }
  // Realizing the same again changes nothing.
  EXPECT_FALSE(RealizeForeground(&system, entries.data(), 256, map));
}

TEST(PaletteMap, NoCollapseCopyOfTheSystemPaletteChangesNothing) {
  SystemPalette system = FreshSystem();
  std::vector<PALETTEENTRY> identity = IdentityPalette(system);
  uint8_t map[256];
  RealizeForeground(&system, identity.data(), 256, map);
  std::vector<PALETTEENTRY> copy(system.entries, system.entries + 256);
  for (PALETTEENTRY& e : copy) e.peFlags = PC_NOCOLLAPSE;
  RealizeForeground(&system, copy.data(), 256, map);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(map[i], i);
    ASSERT_EQ(system.entries[i].peGreen, identity[i].peGreen);
  }
}

TEST(PaletteMap, PlainEntriesShareStaticColoursAndFillFreeSlots) {
  SystemPalette system = FreshSystem();
  std::vector<PALETTEENTRY> entries = {
      {255, 255, 255, 0},  // white: the static colour at 255
      {128, 0, 0, 0},      // dark red: static 1
      {10, 20, 30, 0},     // new colour: its own index 2 is static, so the first free slot
      {10, 20, 30, 0},     // the same colour again shares that slot
  };
  uint8_t map[4];
  EXPECT_TRUE(RealizeForeground(&system, entries.data(), 4, map));
  EXPECT_EQ(map[0], 255);
  EXPECT_EQ(map[1], 1);
  EXPECT_EQ(map[2], 10);
  EXPECT_EQ(map[3], 10);
  EXPECT_EQ(system.entries[10].peBlue, 30);
}

TEST(PaletteMap, FullSystemPaletteMapsTheRestToNearest) {
  SystemPalette system = FreshSystem();
  std::vector<PALETTEENTRY> entries(256);
  for (int i = 0; i < 256; ++i)
    entries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i ^ 0x55), 0};
  uint8_t map[256];
  RealizeForeground(&system, entries.data(), 256, map);
  // Every entry maps to a slot whose colour is the nearest available one.
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY& slot = system.entries[map[i]];
    RGBQUAD want = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    int nearest = NearestEntry(system.entries, 256, want);
    const PALETTEENTRY& best = system.entries[nearest];
    auto dist = [&](const PALETTEENTRY& e) {
      int dr = e.peRed - want.rgbRed, dg = e.peGreen - want.rgbGreen, db = e.peBlue - want.rgbBlue;
      return dr * dr + dg * dg + db * db;
    };
    ASSERT_EQ(dist(slot), dist(best)) << "entry " << i;
  }
  // The statics were left alone.
  SystemPalette fresh = FreshSystem();
  for (int i : {0, 5, 9, 246, 250, 255}) EXPECT_EQ(system.entries[i].peRed, fresh.entries[i].peRed);
}

TEST(PaletteMap, NoStaticUseGivesAllButBlackAndWhite) {
  SystemPalette system = FreshSystem();
  system.use = SYSPAL_NOSTATIC;
  std::vector<PALETTEENTRY> entries(256);
  for (int i = 0; i < 256; ++i) entries[i] = PALETTEENTRY{static_cast<BYTE>(i), 1, 2, PC_RESERVED};
  uint8_t map[256];
  RealizeForeground(&system, entries.data(), 256, map);
  for (int i = 1; i < 255; ++i) ASSERT_EQ(map[i], i);
  EXPECT_EQ(system.entries[0].peRed, 0);
  EXPECT_EQ(system.entries[255].peRed, 255);
  EXPECT_EQ(system.entries[3].peRed, 3);
}

TEST(PaletteMap, NearestPrefersLowestIndexAmongEqualDistances) {
  std::vector<RGBQUAD> table = {{0, 0, 0, 0}, {0, 0, 10, 0}, {0, 0, 20, 0}, {0, 0, 10, 0}};
  EXPECT_EQ(NearestQuad(table.data(), 4, RGBQUAD{0, 0, 15, 0}), 1);
  EXPECT_EQ(NearestQuad(table.data(), 4, RGBQUAD{0, 0, 10, 0}), 1);
  EXPECT_EQ(NearestQuad(table.data(), 0, RGBQUAD{0, 0, 10, 0}), -1);
  std::vector<PALETTEENTRY> entries = {{10, 0, 0, 0}, {30, 0, 0, 0}};
  EXPECT_EQ(NearestEntry(entries.data(), 2, RGBQUAD{0, 0, 20, 0}), 0);
  EXPECT_EQ(NearestEntry(entries.data(), 2, RGBQUAD{0, 0, 21, 0}), 1);
}

}  // namespace
}  // namespace plat::gdi

namespace plat::gdi {
namespace {

TEST(PaletteMap, BackgroundPalettesAvoidAnimatedSlots) {
  SystemPalette system = FreshSystem();
  std::vector<PALETTEENTRY> owner(256);
  for (int i = 0; i < 256; ++i) owner[i] = PALETTEENTRY{255, 255, 255, PC_RESERVED};  // white everywhere
  uint8_t map[256];
  RealizeForeground(&system, owner.data(), 256, map);
  PALETTEENTRY white = {255, 255, 255, 0};
  PALETTEENTRY nearlyRed = {250, 5, 5, 0};
  PALETTEENTRY both[2] = {white, nearlyRed};
  uint8_t mapped[2];
  MapToSystem(system, both, 2, mapped);
  EXPECT_EQ(mapped[0], 255);  // the static white, not an animated one
  EXPECT_EQ(mapped[1], 249);
}

}  // namespace
}  // namespace plat::gdi
