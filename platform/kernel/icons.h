// Icons as the platform keeps them: 32-bit ARGB pixels (0xAARRGGBB, top row
// first). LoadIconA makes them from the program's icon resources or from the
// built-in stock icons; the dialog and drawing code reads their pixels here.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
};

// The pixels of a live icon, or nullptr for a null, destroyed or foreign
// handle. Valid until the icon is destroyed or the layer shuts down.
const IconImage* IconPixels(HICON icon);

// Decodes one icon image as stored in an RT_ICON resource or an .ico file:
// a BMP without file header (1, 4, 8, 24 or 32 bits per pixel, height
// doubled, followed by the AND mask) or a PNG. Bounds-checked; false for
// anything it cannot read.
bool DecodeIconImage(const uint8_t* data, size_t size, IconImage* out);

// Picks from an RT_GROUP_ICON directory the image closest to width x height,
// the deepest colours first among equals. Returns its RT_ICON id, or -1.
int ChooseGroupIconImage(const uint8_t* directory, size_t size, int width, int height);

// A new icon that owns a copy of the image; DestroyIcon frees it.
HICON CreateIconFromImage(const IconImage& image);

// The built-in stock icon for an IDI_* id (32 x 32); false if unknown.
bool DrawStockIcon(uint16_t id, IconImage* out);

}  // namespace plat
