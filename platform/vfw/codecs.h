// The built-in 8-bit decompressors behind ICOpen/ICDecompress. Each one reads
// exactly `size` bytes of frame data and writes only inside the output frame.
#pragma once

#include <windows.h>
#include <vfw.h>

#include <cstddef>
#include <cstdint>

namespace plat::vfw {

enum class Codec { kNone, kRaw8, kRle8, kVideo1 };

// The decoder for frames of this biCompression, or kNone.
Codec CodecForCompression(DWORD compression);
// True for the handler codes the built-in driver answers to.
bool IsKnownHandler(DWORD handler);

// An 8-bit output picture: rows of `stride` bytes, stored top row first or last.
struct Frame8 {
  uint8_t* bits;
  int width;
  int height;
  bool topDown;
  size_t stride;
  uint8_t* Row(int fromTop) const {
    int stored = topDown ? fromTop : height - 1 - fromTop;
    return bits + static_cast<size_t>(stored) * stride;
  }
};

// Rows of the input in storage order; inputTopDown tells which way they run.
LRESULT DecodeRaw8(const uint8_t* data, size_t size, bool inputTopDown, const Frame8& out);
LRESULT DecodeRle8(const uint8_t* data, size_t size, bool inputTopDown, const Frame8& out);
LRESULT DecodeVideo1(const uint8_t* data, size_t size, bool inputTopDown, const Frame8& out);

}  // namespace plat::vfw
