// The built-in decompressors alone: the first bytes choose the format, the
// rest is one frame, decoded into a picture of that size.
#include <vfw.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHostOnce();
  if (size < 4) return 0;
  static const DWORD kCompressions[] = {BI_RGB, BI_RLE8, mmioFOURCC('C', 'R', 'A', 'M'), mmioFOURCC('M', 'R', 'L', 'E')};
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } in{}, out{};
  int width = 1 + data[0] % 64;
  int height = 1 + data[1] % 48;
  bool topDownIn = data[2] & 1, topDownOut = data[2] & 2;
  in.header.biSize = out.header.biSize = sizeof(BITMAPINFOHEADER);
  in.header.biWidth = out.header.biWidth = width;
  in.header.biHeight = topDownIn ? -height : height;
  out.header.biHeight = topDownOut ? -height : height;
  in.header.biPlanes = out.header.biPlanes = 1;
  in.header.biBitCount = out.header.biBitCount = 8;
  in.header.biCompression = kCompressions[(data[2] >> 2) % 4];
  in.header.biSizeImage = static_cast<DWORD>(size - 4);
  std::vector<uint8_t> frame(data + 4, data + size);
  std::vector<uint8_t> pixels(static_cast<size_t>((width + 3) & ~3) * height);
  HIC hic = ICOpen(ICTYPE_VIDEO, in.header.biCompression, ICMODE_FASTDECOMPRESS);
  if (!hic) return 0;
  if (ICSendMessage(hic, ICM_DECOMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(&in), reinterpret_cast<DWORD_PTR>(&out)) ==
      ICERR_OK) {
    ICSendMessage(hic, ICM_DECOMPRESS_GET_PALETTE, reinterpret_cast<DWORD_PTR>(&in), reinterpret_cast<DWORD_PTR>(&out));
    ICDecompress(hic, 0, &in.header, frame.empty() ? nullptr : frame.data(), &out.header, pixels.data());
  }
  ICSendMessage(hic, ICM_DECOMPRESS_END, 0, 0);
  ICClose(hic);
  return 0;
}
