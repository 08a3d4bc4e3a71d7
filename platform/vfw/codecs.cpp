// Which built-in decoder answers to which handler and frame format.
#include <cctype>

#include "vfw/codecs.h"

namespace plat::vfw {
namespace {

constexpr DWORD Code(const char (&c)[5]) {
  return static_cast<DWORD>(static_cast<uint8_t>(c[0])) | static_cast<DWORD>(static_cast<uint8_t>(c[1])) << 8 |
         static_cast<DWORD>(static_cast<uint8_t>(c[2])) << 16 | static_cast<DWORD>(static_cast<uint8_t>(c[3])) << 24;
}

// Handler and compression codes are compared without regard to case, as
// files write "mrle" and "MRLE", "msvc" and "MSVC" alike.
DWORD Upper(DWORD code) {
  DWORD out = 0;
  for (int i = 0; i < 4; ++i)
    out |= static_cast<DWORD>(std::toupper(static_cast<int>((code >> (8 * i)) & 0xFF))) << (8 * i);
  return out;
}

}  // namespace

Codec CodecForCompression(DWORD compression) {
  switch (Upper(compression)) {
    case BI_RGB:
    case Code("DIB "):
    case Code("RAW "):
      return Codec::kRaw8;
    case BI_RLE8:
    case Code("MRLE"):
    case Code("RLE "):
    case Code("RLE8"):
      return Codec::kRle8;
    case Code("CRAM"):
    case Code("MSVC"):
    case Code("WHAM"):
      return Codec::kVideo1;
    default:
      return Codec::kNone;
  }
}

// One driver decodes every format it knows whatever handler the stream names.
bool IsKnownHandler(DWORD handler) { return CodecForCompression(handler) != Codec::kNone; }

}  // namespace plat::vfw
