// The Video for Windows subset: which decompressors open, what formats they
// accept, the colours they hand out, and what each decoder writes, never
// past its frame whatever the data says.
#include <gtest/gtest.h>
#include <vfw.h>
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

constexpr DWORD Code(const char (&c)[5]) { return mmioFOURCC(c[0], c[1], c[2], c[3]); }

// A BITMAPINFOHEADER followed by 256 colours, as a stream format or a frame bitmap.
struct Format {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

Format MakeFormat(LONG width, LONG height, DWORD compression, DWORD clrUsed = 0) {
  Format f{};
  f.header.biSize = sizeof(BITMAPINFOHEADER);
  f.header.biWidth = width;
  f.header.biHeight = height;
  f.header.biPlanes = 1;
  f.header.biBitCount = 8;
  f.header.biCompression = compression;
  f.header.biClrUsed = clrUsed;
  for (int i = 0; i < 256; ++i) f.colours[i] = RGBQUAD{BYTE(i), BYTE(i ^ 0x55), BYTE(255 - i), 7};
  return f;
}

// An output picture with guard bytes around it: anything written outside shows.
class Picture {
 public:
  static constexpr uint8_t kGuard = 0xEE;
  Picture(int width, int height, bool topDown)
      : width_(width), height_(height), stride_((width + 3) & ~3), format_(MakeFormat(width, topDown ? -height : height, BI_RGB)),
        bytes_(static_cast<size_t>(stride_ * height + 2 * kPad), kGuard) {
    std::memset(Bits(), 0, static_cast<size_t>(stride_ * height));
  }
  uint8_t* Bits() { return bytes_.data() + kPad; }
  BITMAPINFOHEADER* Header() { return &format_.header; }
  // Pixel (x, y) counted from the top.
  uint8_t At(int x, int y) {
    int row = format_.header.biHeight < 0 ? y : height_ - 1 - y;
    return Bits()[row * stride_ + x];
  }
  bool GuardsIntact() const {
    for (int i = 0; i < kPad; ++i)
      if (bytes_[static_cast<size_t>(i)] != kGuard || bytes_[bytes_.size() - 1 - static_cast<size_t>(i)] != kGuard)
        return false;
    return true;
  }
  Format& Fmt() { return format_; }

 private:
  static constexpr int kPad = 64;
  int width_, height_, stride_;
  Format format_;
  std::vector<uint8_t> bytes_;
};

DWORD Decode(Format& in, std::vector<uint8_t> data, Picture& out) {
  HIC hic = ICOpen(ICTYPE_VIDEO, in.header.biCompression == BI_RGB ? Code("DIB ") : Code("MRLE"), ICMODE_FASTDECOMPRESS);
  EXPECT_NE(hic, nullptr);
  in.header.biSizeImage = static_cast<DWORD>(data.size());
  DWORD result = ICDecompress(hic, 0, &in.header, data.data(), out.Header(), out.Bits());
  ICClose(hic);
  return result;
}

TEST(Vfw, OpensTheBuiltInHandlersOnlyForVideoDecompression) {
  for (DWORD handler : {Code("DIB "), Code("RAW "), Code("MRLE"), Code("mrle"), Code("RLE "), Code("CRAM"),
                        Code("msvc"), DWORD{0}}) {
    HIC hic = ICOpen(ICTYPE_VIDEO, handler, ICMODE_FASTDECOMPRESS);
    EXPECT_NE(hic, nullptr) << std::hex << handler;
    EXPECT_EQ(ICClose(hic), ICERR_OK);
  }
  EXPECT_EQ(ICOpen(ICTYPE_VIDEO, Code("cvid"), ICMODE_FASTDECOMPRESS), nullptr);
  EXPECT_EQ(ICOpen(Code("vids"), Code("MRLE"), ICMODE_FASTDECOMPRESS), nullptr);
  EXPECT_EQ(ICOpen(ICTYPE_VIDEO, Code("MRLE"), ICMODE_COMPRESS), nullptr);
  EXPECT_EQ(ICClose(nullptr), ICERR_BADHANDLE);
  EXPECT_EQ(ICSendMessage(nullptr, ICM_DECOMPRESS_END, 0, 0), ICERR_BADHANDLE);
}

TEST(Vfw, BeginAcceptsOnlyAnEightBitPictureOfTheSameSize) {
  HIC hic = ICOpen(ICTYPE_VIDEO, Code("MRLE"), ICMODE_FASTDECOMPRESS);
  Format in = MakeFormat(16, 8, BI_RLE8);
  auto begin = [&](Format out) {
    return ICSendMessage(hic, ICM_DECOMPRESS_BEGIN, reinterpret_cast<DWORD_PTR>(&in), reinterpret_cast<DWORD_PTR>(&out));
  };
  EXPECT_EQ(begin(MakeFormat(16, 8, BI_RGB)), ICERR_OK);
  EXPECT_EQ(begin(MakeFormat(16, -8, BI_RGB)), ICERR_OK);
  EXPECT_EQ(begin(MakeFormat(17, 8, BI_RGB)), ICERR_BADFORMAT);
  EXPECT_EQ(begin(MakeFormat(16, 8, BI_RLE8)), ICERR_BADFORMAT);
  Format deep = MakeFormat(16, 8, BI_RGB);
  deep.header.biBitCount = 24;
  EXPECT_EQ(begin(deep), ICERR_BADFORMAT);
  in.header.biCompression = Code("cvid");
  EXPECT_EQ(begin(MakeFormat(16, 8, BI_RGB)), ICERR_BADFORMAT);
  in = MakeFormat(0, 8, BI_RLE8);
  EXPECT_EQ(begin(MakeFormat(0, 8, BI_RGB)), ICERR_BADFORMAT);
  EXPECT_EQ(ICSendMessage(hic, ICM_DECOMPRESS_END, 0, 0), ICERR_OK);
  EXPECT_EQ(ICSendMessage(hic, ICM_USER + 7, 0, 0), ICERR_UNSUPPORTED);
  ICClose(hic);
}

TEST(Vfw, PaletteLandsBehindTheOutputHeaderWithMissingColoursBlack) {
  HIC hic = ICOpen(ICTYPE_VIDEO, Code("DIB "), ICMODE_FASTDECOMPRESS);
  Format in = MakeFormat(4, 4, BI_RGB, 16);
  Format out = MakeFormat(4, 4, BI_RGB);
  std::memset(out.colours, 0x77, sizeof out.colours);
  EXPECT_EQ(ICSendMessage(hic, ICM_DECOMPRESS_GET_PALETTE, reinterpret_cast<DWORD_PTR>(&in),
                          reinterpret_cast<DWORD_PTR>(&out)),
            ICERR_OK);
  EXPECT_EQ(out.colours[15].rgbBlue, 15);
  EXPECT_EQ(out.colours[15].rgbGreen, 15 ^ 0x55);
  EXPECT_EQ(out.colours[15].rgbRed, 240);
  EXPECT_EQ(out.colours[15].rgbReserved, 0);
  EXPECT_EQ(out.colours[16].rgbBlue, 0);
  EXPECT_EQ(out.colours[255].rgbRed, 0);
  ICClose(hic);
}

TEST(Vfw, RawFramesAreTurnedToTheOutputsRowOrderAndShortOnesRefused) {
  // 3 x 2 pixels, rows padded to 4: bottom row first.
  Format in = MakeFormat(3, 2, BI_RGB);
  std::vector<uint8_t> data = {1, 2, 3, 0, 4, 5, 6, 0};
  for (bool topDown : {false, true}) {
    Picture out(3, 2, topDown);
    EXPECT_EQ(Decode(in, data, out), static_cast<DWORD>(ICERR_OK));
    EXPECT_EQ(out.At(0, 0), 4);
    EXPECT_EQ(out.At(2, 1), 3);
    EXPECT_TRUE(out.GuardsIntact());
    // A frame short of a row leaves the picture as it was.
    EXPECT_EQ(Decode(in, {9, 9, 9, 9, 9}, out), static_cast<DWORD>(ICERR_BADSIZE));
    EXPECT_EQ(out.At(0, 0), 4);
    // An empty frame changes nothing.
    EXPECT_EQ(Decode(in, {}, out), static_cast<DWORD>(ICERR_OK));
    EXPECT_EQ(out.At(0, 0), 4);
  }
  // A top-down input.
  in.header.biHeight = -2;
  Picture out(3, 2, false);
  Decode(in, data, out);
  EXPECT_EQ(out.At(0, 0), 1);
  EXPECT_EQ(out.At(2, 1), 6);
}

TEST(Vfw, RunLengthCodesRunsLiteralsMovesLineEndsAndTheEnd) {
  Format in = MakeFormat(6, 3, BI_RLE8);
  Picture out(6, 3, true);
  std::memset(out.Bits(), 0x11, 8 * 3);
  std::vector<uint8_t> data = {
      3, 7,              // bottom row: 7 7 7
      0, 3, 1, 2, 3, 0,  // literal 1 2 3, padded to 16 bits
      0, 0,              // next row up
      0, 2, 2, 1,        // move 2 right, 1 up: top row, column 2
      2, 9,              // 9 9
      0, 1,              // end of picture
      5, 5,              // never reached
  };
  EXPECT_EQ(Decode(in, data, out), static_cast<DWORD>(ICERR_OK));
  const uint8_t expected[3][6] = {{0x11, 0x11, 9, 9, 0x11, 0x11}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11}, {7, 7, 7, 1, 2, 3}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(out.At(x, y), expected[y][x]) << x << ", " << y;
  EXPECT_TRUE(out.GuardsIntact());
}

TEST(Vfw, RunLengthDataBeyondThePictureOrTheInputIsDropped) {
  Format in = MakeFormat(5, 2, BI_RLE8);
  Picture out(5, 2, false);
  // Runs past the row end, literals past the row and the data, moves far
  // past the picture, then more runs.
  std::vector<uint8_t> data = {200, 1, 0, 0, 0, 255, 1, 2, 3, 0, 2, 255, 255, 9, 9, 4, 4, 0, 0, 0, 0, 0, 0, 6, 6};
  EXPECT_EQ(Decode(in, data, out), static_cast<DWORD>(ICERR_OK));
  EXPECT_EQ(out.At(4, 1), 1);
  EXPECT_EQ(out.At(0, 0), 1);
  EXPECT_EQ(out.At(2, 0), 3);
  EXPECT_TRUE(out.GuardsIntact());
  // Every short prefix of it too, and a literal that claims more than is left.
  for (size_t n = 0; n < data.size(); ++n) {
    Decode(in, std::vector<uint8_t>(data.begin(), data.begin() + static_cast<long>(n)), out);
    EXPECT_TRUE(out.GuardsIntact()) << n;
  }
  Decode(in, {0, 200, 1, 2}, out);
  EXPECT_TRUE(out.GuardsIntact());
}

TEST(Vfw, VideoOneBlocksFromTheBottomLeft) {
  Format in = MakeFormat(8, 4, Code("CRAM"));
  HIC hic = ICOpen(ICTYPE_VIDEO, Code("CRAM"), ICMODE_FASTDECOMPRESS);
  Picture out(8, 4, true);
  std::memset(out.Bits(), 0x11, 8 * 4);
  // Block 0: two colours, bit set = first colour, bits from the bottom row
  // left to right; block 1: one colour.
  std::vector<uint8_t> data = {0x01, 0x00, 5, 6, 3, 0x80};
  in.header.biSizeImage = static_cast<DWORD>(data.size());
  EXPECT_EQ(ICDecompress(hic, 0, &in.header, data.data(), out.Header(), out.Bits()), static_cast<DWORD>(ICERR_OK));
  EXPECT_EQ(out.At(0, 3), 5);  // bottom-left: the one bit set
  EXPECT_EQ(out.At(1, 3), 6);
  EXPECT_EQ(out.At(0, 0), 6);
  EXPECT_EQ(out.At(4, 0), 3);
  EXPECT_EQ(out.At(7, 3), 3);
  // A skip of the first block keeps it; eight colours for the second.
  data = {0x01, 0x84, 0x00, 0x90, 1, 2, 3, 4, 5, 6, 7, 8};
  in.header.biSizeImage = static_cast<DWORD>(data.size());
  ICDecompress(hic, 0, &in.header, data.data(), out.Header(), out.Bits());
  EXPECT_EQ(out.At(0, 3), 5);
  EXPECT_EQ(out.At(4, 3), 2);  // bottom-left quarter, flag clear: its second colour
  EXPECT_EQ(out.At(7, 3), 4);  // bottom-right quarter
  EXPECT_EQ(out.At(5, 0), 6);  // top-left quarter
  EXPECT_EQ(out.At(4, 0), 5);  // the marker bits 12 and 15 are flags too
  EXPECT_EQ(out.At(7, 0), 7);
  EXPECT_TRUE(out.GuardsIntact());
  ICClose(hic);
}

}  // namespace
