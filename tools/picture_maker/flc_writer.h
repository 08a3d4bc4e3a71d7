// Writes a still picture as a one-frame FLC animation: frame 0 holds a COLOR_256 chunk and a
// BYTE_RUN chunk, and the ring frame that follows is empty (frame 0 leads back to itself).
#pragma once

#include <cstdint>
#include <vector>

#include "indexed_picture.h"

namespace picture_maker {

// The whole file. frameTime is in milliseconds.
std::vector<uint8_t> WriteStillFlc(const IndexedPicture& picture, const ColourTable& colours,
                                   uint32_t frameTime = 50);

}  // namespace picture_maker
