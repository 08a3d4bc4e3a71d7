// Shared steps of the still-picture readers (BMP, PCX, DCX) that decode rows
// straight into their target: where the picture lands, and how a row is put there.
#pragma once

#include <windows.h>

#include <cstdint>

#include "stage/bitmap_desc.h"

// The visible part of a picture in picture coordinates (right and bottom exclusive).
struct StillPlacement {
  int top;
  int bottom;
  int left;
  int right;
};

// Clips a frameWidth x frameHeight picture drawn at (x, y) to clip (none = the
// whole target) and to the target. False when nothing of it shows.
bool PlaceStill(const BitmapDesc& target, int x, int y, const RECT* clip, int frameWidth, int frameHeight,
                StillPlacement* out);

// How rows reach the target: raw file bytes, 8-bit indices, or indices turned
// into 5-6-5 colours for a 16-bit target. None: the target cannot take them.
enum class StillMode { kNone, kDirect, kIndices, kIndices565 };
StillMode ChooseStillMode(const BitmapDesc& target, int depth, int planes);

// Bytes a picture row of `pixels` pixels at `depth` bits needs, with no overflow.
inline int64_t BitsToBytes(int64_t pixels, int64_t depth) { return (pixels * depth + 7) / 8; }

// Puts columns left .. right - 1 of a converted or raw picture row into target
// row targetRow at column targetColumn.
void PutStillRow(const BitmapDesc& target, StillMode mode, int depth, const uint8_t* row, int left, int right,
                 int targetColumn, int targetRow, const uint16_t* colours565);
