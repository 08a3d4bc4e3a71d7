// ICOpen, ICSendMessage, ICDecompress, ICClose over the built-in decoders.
// A decompressor checks both formats on every call: the input must be an
// 8-bit format it knows, the output an 8-bit RGB picture of the same size.
#include <windows.h>
#include <vfw.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "core/lifecycle.h"
#include "core/trace.h"
#include "vfw/codecs.h"

namespace {

// Larger pictures are refused rather than attempted.
constexpr LONG kMaxSide = 32768;
constexpr int kColourTableMax = 256;

struct Decompressor {
  DWORD handler;
  bool begun;
};

std::set<Decompressor*>* g_open = nullptr;

std::set<Decompressor*>& Open() {
  if (!g_open) {
    g_open = new std::set<Decompressor*>;
    plat::RegisterReset([] {
      if (!g_open) return;
      for (Decompressor* d : *g_open) delete d;
      delete g_open;
      g_open = nullptr;
    });
  }
  return *g_open;
}

Decompressor* Find(HIC hic) {
  auto* d = reinterpret_cast<Decompressor*>(hic);
  return d && Open().count(d) ? d : nullptr;
}

// A four-character code as its letters, for the trace.
std::string FourccText(DWORD code) {
  std::string text;
  for (int shift = 0; shift < 32; shift += 8) {
    char c = static_cast<char>((code >> shift) & 0xFF);
    text += c >= 0x20 && c < 0x7F ? c : '?';
  }
  return text;
}

bool SizeIsSane(LONG width, LONG height) {
  return width > 0 && width <= kMaxSide && height != 0 && height >= -kMaxSide && height <= kMaxSide;
}

// What the input format asks for, or ICERR_BADFORMAT.
LRESULT CheckFormats(const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out, plat::vfw::Codec* codec) {
  if (!in || in->biSize < sizeof(BITMAPINFOHEADER)) return ICERR_BADFORMAT;
  if (in->biBitCount != 8) {
    PLAT_FIXME("ICDecompress: input of %u bits", in->biBitCount);
    return ICERR_BADFORMAT;
  }
  if (!SizeIsSane(in->biWidth, in->biHeight)) return ICERR_BADFORMAT;
  *codec = plat::vfw::CodecForCompression(in->biCompression);
  if (*codec == plat::vfw::Codec::kNone) {
    PLAT_FIXME("ICDecompress: no decompressor for '%s'", FourccText(in->biCompression).c_str());
    return ICERR_BADFORMAT;
  }
  if (!out) return ICERR_OK;
  if (out->biSize < sizeof(BITMAPINFOHEADER)) return ICERR_BADFORMAT;
  if (out->biBitCount != 8 || out->biCompression != BI_RGB) {
    PLAT_FIXME("ICDecompress: output of %u bits, compression %lu (8-bit BI_RGB only)", out->biBitCount,
               static_cast<unsigned long>(out->biCompression));
    return ICERR_BADFORMAT;
  }
  if (out->biWidth != in->biWidth || std::labs(out->biHeight) != std::labs(in->biHeight)) return ICERR_BADFORMAT;
  return ICERR_OK;
}

int ColourCount(const BITMAPINFOHEADER* h) {
  if (h->biClrUsed == 0 || h->biClrUsed > kColourTableMax) return kColourTableMax;
  return static_cast<int>(h->biClrUsed);
}

// The input's colours behind the output header; entries it lacks are black.
// The caller's input block holds biSize bytes and its colour table.
LRESULT GetPalette(const BITMAPINFOHEADER* in, BITMAPINFOHEADER* out) {
  plat::vfw::Codec codec;
  if (!out || CheckFormats(in, out, &codec) != ICERR_OK) return ICERR_BADFORMAT;
  const int n = ColourCount(in);
  auto* dst = reinterpret_cast<RGBQUAD*>(reinterpret_cast<uint8_t*>(out) + out->biSize);
  const auto* src = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(in) + in->biSize);
  const int room = ColourCount(out);
  for (int i = 0; i < room; ++i) {
    dst[i] = i < n ? src[i] : RGBQUAD{0, 0, 0, 0};
    dst[i].rgbReserved = 0;
  }
  return ICERR_OK;
}

}  // namespace

extern "C" {

HIC WINAPI ICOpen(DWORD fccType, DWORD fccHandler, UINT wMode) {
  DWORD type = fccType | 0x20202020u;  // "VIDC" and "vidc" alike
  if (type != ICTYPE_VIDEO) return nullptr;
  if (wMode != ICMODE_DECOMPRESS && wMode != ICMODE_FASTDECOMPRESS && wMode != ICMODE_QUERY) {
    PLAT_FIXME("ICOpen: mode %u (decompressors only)", wMode);
    return nullptr;
  }
  // A stream may leave its handler empty; its format then says what it is.
  if (fccHandler != 0 && !plat::vfw::IsKnownHandler(fccHandler)) {
    PLAT_FIXME("ICOpen: no decompressor '%s'", FourccText(fccHandler).c_str());
    return nullptr;
  }
  auto* d = new Decompressor{fccHandler, false};
  Open().insert(d);
  return reinterpret_cast<HIC>(d);
}

LRESULT WINAPI ICClose(HIC hic) {
  Decompressor* d = Find(hic);
  if (!d) return ICERR_BADHANDLE;
  Open().erase(d);
  delete d;
  return ICERR_OK;
}

LRESULT WINAPI ICSendMessage(HIC hic, UINT msg, DWORD_PTR dw1, DWORD_PTR dw2) {
  Decompressor* d = Find(hic);
  if (!d) return ICERR_BADHANDLE;
  auto* in = reinterpret_cast<const BITMAPINFOHEADER*>(dw1);
  auto* out = reinterpret_cast<BITMAPINFOHEADER*>(dw2);
  plat::vfw::Codec codec;
  switch (msg) {
    case ICM_DECOMPRESS_QUERY:
      return CheckFormats(in, out, &codec);
    case ICM_DECOMPRESS_BEGIN: {
      LRESULT result = out ? CheckFormats(in, out, &codec) : ICERR_BADFORMAT;
      d->begun = result == ICERR_OK;
      return result;
    }
    case ICM_DECOMPRESS_GET_PALETTE:
      return GetPalette(in, out);
    case ICM_DECOMPRESS_END:
      d->begun = false;
      return ICERR_OK;
    default:
      PLAT_FIXME("ICSendMessage: message %#x", msg);
      return ICERR_UNSUPPORTED;
  }
}

// The frame's data is biSizeImage bytes of lpbiFormat, as the AVI readers
// set it; an empty frame changes nothing.
DWORD WINAPIV ICDecompress(HIC hic, DWORD dwFlags, LPBITMAPINFOHEADER lpbiFormat, LPVOID lpData,
                           LPBITMAPINFOHEADER lpbi, LPVOID lpBits) {
  (void)dwFlags;
  if (!Find(hic)) return static_cast<DWORD>(ICERR_BADHANDLE);
  plat::vfw::Codec codec;
  if (!lpbi || !lpBits || CheckFormats(lpbiFormat, lpbi, &codec) != ICERR_OK) return static_cast<DWORD>(ICERR_BADFORMAT);
  const size_t size = lpbiFormat->biSizeImage;
  if (size == 0) return ICERR_OK;
  if (!lpData) return static_cast<DWORD>(ICERR_BADPARAM);
  plat::vfw::Frame8 frame{static_cast<uint8_t*>(lpBits), static_cast<int>(lpbi->biWidth),
                          static_cast<int>(std::labs(lpbi->biHeight)), lpbi->biHeight < 0,
                          (static_cast<size_t>(lpbi->biWidth) + 3) & ~size_t{3}};
  const auto* data = static_cast<const uint8_t*>(lpData);
  const bool inputTopDown = lpbiFormat->biHeight < 0;
  LRESULT result = ICERR_OK;
  switch (codec) {
    case plat::vfw::Codec::kRaw8:
      result = plat::vfw::DecodeRaw8(data, size, inputTopDown, frame);
      break;
    case plat::vfw::Codec::kRle8:
      result = plat::vfw::DecodeRle8(data, size, inputTopDown, frame);
      break;
    case plat::vfw::Codec::kVideo1:
      result = plat::vfw::DecodeVideo1(data, size, inputTopDown, frame);
      break;
    case plat::vfw::Codec::kNone:
      result = ICERR_BADFORMAT;
      break;
  }
  return static_cast<DWORD>(result);
}

}  // extern "C"
