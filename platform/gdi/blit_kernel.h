// The pixel loops behind BitBlt, StretchDIBits, SetDIBitsToDevice and the
// fills. Callers work out what each source colour becomes in the
// destination once per call (a 256-entry table for indexed sources, or a
// colour matcher for direct ones); the loops then walk rows with no calls
// per pixel on the common paths.
#pragma once

#include <cstdint>

#include "gdi/pixel_view.h"

namespace plat::gdi {

// Destination value of a 0x00RRGGBB colour, for direct sources drawn into
// indexed destinations.
struct ColourMatcher {
  uint32_t (*match)(const void* context, uint32_t xrgb) = nullptr;
  const void* context = nullptr;
};

struct BlitJob {
  PixelView src;
  PixelView dst;
  // Destination rectangle as asked (may reach outside dst) and the source
  // rectangle it shows; the sizes differ when stretching.
  int dstX = 0, dstY = 0, dstWidth = 0, dstHeight = 0;
  int srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;
  // What is drawn: destination pixels inside both this rectangle and dst.
  RECT clip = {0, 0, 0, 0};
  // Indexed sources: destination raw value of each index.
  const uint32_t* table = nullptr;
  // Direct sources into indexed destinations.
  ColourMatcher matcher;
  // The destination is read by another process, not by us: the common paths
  // write it with non-temporal stores.
  bool streamDestination = false;
};

// Copies the job's pixels. Source pixels outside src are not drawn. Returns
// the bounding rectangle of the destination pixels written (empty when none).
RECT RunBlit(const BlitJob& job);

// Fills rect (destination coordinates, clipped to dst) with one raw value.
void FillRaw(const PixelView& dst, RECT rect, uint32_t raw);

// Clips r to (0, 0, width, height) and to clip; false when nothing is left.
bool ClipRect(RECT* r, const RECT& clip, int width, int height);

}  // namespace plat::gdi
