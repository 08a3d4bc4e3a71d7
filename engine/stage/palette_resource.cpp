#include "stage/palette_resource.h"

#include "byte_order/little_endian.h"
#include "foundation/object.h"

// The palette is small and read once, so it is walked here in place over
// the resource bytes, every length checked against what is really there.

namespace {

bool IsCode(const uint8_t* p, const char* code) {
  return p[0] == code[0] && p[1] == code[1] && p[2] == code[2] && p[3] == code[3];
}

}  // namespace

int ReadRiffPalette(const uint8_t* data, size_t size, RGBQUAD* table) {
  if (!data || size < 12 || !IsCode(data, "RIFF") || !IsCode(data + 8, "PAL ")) return -1;
  size_t end = 8 + static_cast<size_t>(ReadLe32(data + 4));
  if (end > size) end = size;

  size_t at = 12;
  while (at + 8 <= end) {
    const size_t chunkSize = ReadLe32(data + at + 4);
    const size_t body = at + 8;
    if (chunkSize > end - body) return -1;  // a chunk that runs past the form
    if (IsCode(data + at, "data")) {
      if (chunkSize < 4) return -1;
      const size_t count = ReadLe16(data + body + 2);
      if (count * 4 > chunkSize - 4) return -1;
      const size_t taken = count < 256 ? count : 256;
      const uint8_t* entry = data + body + 4;
      for (size_t i = 0; i < taken; ++i, entry += 4) {
        table[i].rgbRed = entry[0];
        table[i].rgbGreen = entry[1];
        table[i].rgbBlue = entry[2];
        table[i].rgbReserved = 0;
      }
      return static_cast<int>(taken);
    }
    at = body + chunkSize + (chunkSize & 1);
  }
  return -1;
}

bool LoadPaletteResource(RGBQUAD* table) {
  if (!g_resourceModule) return false;
  HRSRC info = FindResourceA(g_resourceModule, "default", "PALETTE");
  if (!info) return false;
  HGLOBAL loaded = LoadResource(g_resourceModule, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return false;
  const DWORD size = SizeofResource(g_resourceModule, info);
  return ReadRiffPalette(static_cast<const uint8_t*>(bytes), size, table) >= 0;
}
