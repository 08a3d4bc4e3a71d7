// mImageFlic: chunk rules, clipping of bad deltas, the ring frame and SeekFrame.
#include <gtest/gtest.h>

#include <cstring>

#include "byte_order/little_endian.h"
#include "engine/media/media_test_util.h"
#include "flic/flic_writer.h"
#include "media/image_flic.h"
#include "support/host_fixture.h"

using mediatest::TakeReports;
using mediatest::TempFile;

namespace {

using Bytes = std::vector<uint8_t>;

class FlicTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    TakeReports();
  }
  // Opens bytes as a memory block and reads the header.
  void Load(mImageFlic& image, const Bytes& file) {
    file_ = file;
    image.OpenMemory(file_.data(), static_cast<int32_t>(file_.size()));
    ASSERT_TRUE(image.ReadHeader());
  }
  Bytes file_;
};

flic::Palette Grey() {
  flic::Palette p{};
  for (int i = 0; i < 256; ++i) p[3 * i] = p[3 * i + 1] = p[3 * i + 2] = static_cast<uint8_t>(i);
  return p;
}

// A file whose frame 0 is the given chunks (and whose ring frame is empty).
Bytes RawFile(int width, int height, const std::vector<flic::Chunk>& frame0, const std::vector<flic::Chunk>& frame1 = {},
              bool twoFrames = false) {
  flic::Writer w(flic::Kind::kFlc, width, height, 40);
  w.AddRawFrame(frame0);
  if (twoFrames) w.AddRawFrame(frame1);
  w.AddRawRing({});
  return w.Finish();
}

uint8_t Pixel(const mImageFlic& image, int x, int y) { return *image.FrameBitmap()->desc->Pixel(x, y); }

std::string Row(const mImageFlic& image, int y) {
  std::string out;
  for (int x = 0; x < image.GetFrameRecord()->frameWidth; ++x) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", Pixel(image, x, y));
    out += hex;
  }
  return out;
}

Bytes Solid(int width, int height, uint8_t value) {
  return flic::EncodeByteRun(Bytes(static_cast<size_t>(width) * height, value).data(), width, height);
}

TEST_F(FlicTest, StoredPictureFromMemory) {
  Bytes pixels(40 * 30);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(7 + i % 5);
  flic::Writer w(flic::Kind::kFlc, 40, 30, 40);
  w.AddFrame(pixels.data(), Grey());
  mImageFlic image;
  Load(image, w.Finish());
  EXPECT_EQ(image.GetFileRecord()->frameCount, 1);
  EXPECT_EQ(image.GetFileRecord()->formatTag, FormatTag("FLC"));
  EXPECT_EQ(image.GetFrameRecord()->frameTime, 40);
  EXPECT_EQ(image.GetFrameRecord()->palette[200].rgbGreen, 200);
  EXPECT_EQ(image.GetFrameRecord()->transparentColour, 7);  // the top-left pixel
  EXPECT_EQ(image.GetFrameRecord()->transparent, 0);
  EXPECT_EQ(Pixel(image, 39, 29), pixels[40 * 30 - 1]);
  image.Close();
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(FlicTest, ColourPacketRules) {
  // COLOR_256: skip 0 count 20, then skip 10 count 2; then a packet running past entry 255.
  Bytes c256 = {3, 0, 0, 20};
  for (int i = 0; i < 20; ++i) c256.insert(c256.end(), {9, 9, 9});
  c256.insert(c256.end(), {10, 2, 1, 2, 3, 4, 5, 6});
  c256.insert(c256.end(), {200, 30});  // entries 232..261: only up to 255 are kept
  for (int i = 0; i < 30; ++i) c256.insert(c256.end(), {77, 78, 79});
  Bytes c64 = {1, 0, 0, 0};  // count 0: all 256
  for (int i = 0; i < 256; ++i) c64.insert(c64.end(), {63, 1, 0});
  mImageFlic image;
  Load(image, RawFile(8, 2, {{flic::kColour64, c64}, {flic::kColour256, c256}, {flic::kByteRun, Solid(8, 2, 5)}}));
  const RGBQUAD* p = image.GetFrameRecord()->palette;
  EXPECT_EQ(p[100].rgbRed, 252);  // 63 << 2
  EXPECT_EQ(p[100].rgbGreen, 4);
  EXPECT_EQ(p[19].rgbRed, 9);
  EXPECT_EQ(p[20].rgbRed, 252);  // untouched by the second packet's skip
  EXPECT_EQ(p[30].rgbRed, 1);
  EXPECT_EQ(p[31].rgbBlue, 6);
  EXPECT_EQ(p[255].rgbRed, 77);
  EXPECT_EQ(Row(image, 0), "0505050505050505");  // the pixels after the table are intact
  EXPECT_EQ(image.GetFrameRecord()->paletteChanged, 1);
  image.Close();
}

TEST_F(FlicTest, DeltaFlcRules) {
  Bytes delta = {2, 0};             // two coded lines
  delta.insert(delta.end(), {0xFD, 0xFF});  // skip 3 rows
  delta.insert(delta.end(), {0x12, 0x80});  // last pixel of row 3 = 0x12
  delta.insert(delta.end(), {2, 0, 1, 0xFD, 5, 6, 250, 1, 8, 8});  // row 3: run of 3 words at x 1; a packet off the row
  delta.insert(delta.end(), {1, 0, 0, 1, 0xAA, 0xBB});  // row 4: one word at x 0
  mImageFlic image;
  Load(image, RawFile(8, 6, {{flic::kByteRun, Solid(8, 6, 1)}}, {{flic::kDeltaFlc, delta}}, true));
  ASSERT_EQ(image.SeekFrame(1, 0), 1);
  EXPECT_EQ(Row(image, 2), "0101010101010101");
  EXPECT_EQ(Row(image, 3), "0105060506050612");
  EXPECT_EQ(Row(image, 4), "aabb010101010101");
  EXPECT_EQ(Row(image, 5), "0101010101010101");
  RECT u = image.GetFrameRecord()->updateRect;
  EXPECT_EQ(u.top, 3);
  EXPECT_EQ(u.bottom, 5);
  EXPECT_EQ(u.left, 0);
  EXPECT_EQ(u.right, 8);  // clipped to the frame
  image.Close();
}

// A still sprite redraws only the changed area: it must hold every changed
// pixel, also the last one of an odd-width row, which DELTA_FLC sets apart.
TEST_F(FlicTest, DeltaFlcChangedAreaHoldsEveryChangedPixel) {
  const int w = 67, h = 5;
  const std::vector<std::vector<POINT>> cases = {
      {{66, 0}}, {{66, 3}}, {{66, 0}, {10, 2}}, {{0, 4}, {66, 4}}, {{65, 1}}, {{12, 1}, {13, 1}}};
  for (const auto& changed : cases) {
    Bytes first(w * h, 1), second = first;
    for (POINT p : changed) second[static_cast<size_t>(p.y) * w + p.x] = 9;
    flic::Writer writer(flic::Kind::kFlc, w, h, 40);
    writer.SetPreferDelta(true);
    writer.AddFrame(first.data(), Grey());
    writer.AddFrame(second.data(), Grey());
    mImageFlic image;
    Load(image, writer.Finish());
    ASSERT_EQ(image.SeekFrame(1, 0), 1);
    RECT u = image.GetFrameRecord()->updateRect;
    for (POINT p : changed) {
      EXPECT_EQ(Pixel(image, p.x, p.y), 9);
      EXPECT_TRUE(p.x >= u.left && p.x < u.right && p.y >= u.top && p.y < u.bottom)
          << "pixel (" << p.x << ", " << p.y << ") lies outside (" << u.left << ", " << u.top << ", " << u.right
          << ", " << u.bottom << ")";
    }
    EXPECT_TRUE(u.left >= 0 && u.top >= 0 && u.right <= w && u.bottom <= h);
    image.Close();
  }
}

TEST_F(FlicTest, DeltaFliRulesAndRowsOutsideTheFrame) {
  Bytes delta = {0xFF, 0xFF, 4, 0};  // from row -1, four rows
  delta.insert(delta.end(), {1, 0, 2, 9, 9});          // row -1: read, not written
  delta.insert(delta.end(), {2, 1, 0, 0x44, 0, 2, 3, 4});  // row 0: count 0 eats 0x44; then copy at x 1
  delta.insert(delta.end(), {1, 5, 0xFD, 7});          // row 1: run of 3 from x 5, cut at the row end
  delta.insert(delta.end(), {1, 0, 1, 6});             // row 2: below the frame
  mImageFlic image;
  Load(image, RawFile(6, 2, {{flic::kByteRun, Solid(6, 2, 1)}}, {{flic::kDeltaFli, delta}}, true));
  ASSERT_EQ(image.SeekFrame(1, 0), 1);
  EXPECT_EQ(Row(image, 0), "010304010101");
  EXPECT_EQ(Row(image, 1), "010101010107");
  image.Close();
}

TEST_F(FlicTest, ByteRunRulesAndPadding) {
  // Row 0: leading byte ignored, count 0 eats a byte, a run past the row is cut.
  Bytes run = {0x55, 0, 0x77, 2, 3, 0xFE, 8, 9, 100, 4};
  run.insert(run.end(), {0x00, 6, 2});  // row 1
  Bytes padded = run;
  padded.insert(padded.end(), 10, 0xEE);  // the chunk is larger than its data
  mImageFlic image;
  Load(image, RawFile(6, 2, {{flic::kByteRun, padded}, {flic::kColour256, {1, 0, 0, 1, 50, 60, 70}}}));
  EXPECT_EQ(Row(image, 0), "030308090404");
  EXPECT_EQ(Row(image, 1), "020202020202");
  EXPECT_EQ(image.GetFrameRecord()->palette[0].rgbRed, 50);  // read at chunk start + size
  image.Close();
}

TEST_F(FlicTest, BlackUnknownAndLiteralChunks) {
  Bytes literal(6 * 2, 0x33);
  mImageFlic image;
  Load(image, RawFile(6, 2, {{flic::kLiteral, literal}, {99, {1, 2}}},
                      {{flic::kBlack, {}}, {flic::kPostageStamp, {1, 2, 3, 4}}}, true));
  EXPECT_EQ(Row(image, 1), "333333333333");
  EXPECT_EQ(TakeReports(), (std::vector<std::string>{"mImageFlic|Bad chunk type"}));
  image.SeekFrame(1, 0);
  EXPECT_EQ(Row(image, 1), "000000000000");
  EXPECT_TRUE(TakeReports().empty());
  image.Close();
}

// A looping animation of LITERAL frames: a whole picture is shown without a
// word, a short one is told once per file, not at every turn.
TEST_F(FlicTest, LiteralFramesReportOnlyAShortPictureOncePerFile) {
  for (size_t bytes : {size_t{12}, size_t{7}}) {
    SCOPED_TRACE(testing::Message() << bytes << " bytes of 12");
    Bytes first(bytes, 0x33), second(bytes, 0x44);
    flic::Writer w(flic::Kind::kFlc, 6, 2, 40);
    w.AddRawFrame({{flic::kLiteral, first}});
    w.AddRawFrame({{flic::kLiteral, second}});
    w.AddRawRing({{flic::kLiteral, first}});
    mImageFlic image;
    Load(image, w.Finish());
    for (int round = 0; round < 3; ++round) {
      for (int i = 0; i < 2; ++i) image.SeekFrame(i, 0);
    }
    EXPECT_EQ(Row(image, 0), "444444444444");
    EXPECT_EQ(TakeReports(), bytes == 12 ? std::vector<std::string>{}
                                         : std::vector<std::string>{"mImageFlic|Not tested:LITERAL"});
    image.Close();
  }
}

// A writer-made animation whose frames are all different.
Bytes Animation(flic::Kind kind, int frames, std::vector<Bytes>* pictures) {
  const int w = 10, h = 6;
  flic::Writer writer(kind, w, h, 5);
  for (int f = 0; f < frames; ++f) {
    Bytes pic(w * h, 1);
    for (int i = 0; i < 8; ++i) pic[(f * 7 + i * 3) % (w * h)] = static_cast<uint8_t>(10 + f);
    writer.AddFrame(pic.data(), Grey());
    pictures->push_back(pic);
  }
  return writer.Finish();
}

Bytes Picture(const mImageFlic& image) {
  Bytes out;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) out.push_back(Pixel(image, x, y));
  return out;
}

TEST_F(FlicTest, WrapsThroughTheRingFrameAndGoesOnFromFrameOne) {
  for (flic::Kind kind : {flic::Kind::kFlc, flic::Kind::kFli}) {
    std::vector<Bytes> pictures;
    mImageFlic image;
    Load(image, Animation(kind, 5, &pictures));
    for (int round = 0; round < 2; ++round) {
      for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(image.SeekFrame(i, 0), i);
        EXPECT_EQ(Picture(image), pictures[i]) << "round " << round << " frame " << i;
      }
    }
    EXPECT_EQ(image.SeekFrame(0, 0), 0);
    EXPECT_EQ(Picture(image), pictures[0]);
    image.Close();
  }
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(FlicTest, SeekBackwardsAndPastTheEnd) {
  std::vector<Bytes> pictures;
  mImageFlic image;
  Load(image, Animation(flic::Kind::kFlc, 6, &pictures));
  EXPECT_EQ(image.SeekFrame(4, 0), 0);  // a jump: frame 3 in the bitmap, 4 comes next
  EXPECT_EQ(Picture(image), pictures[3]);
  EXPECT_EQ(image.SeekFrame(6, 0), 4);  // past the end: nothing changes
  EXPECT_EQ(image.SeekFrame(2, 0), 0);  // rewind: frame 1 in the bitmap, 2 comes next
  EXPECT_EQ(Picture(image), pictures[1]);
  EXPECT_EQ(image.GetFrameRecord()->updateRect.right, 10);
  auto* stage = new mBitmap(10, 6, 8);
  ASSERT_TRUE(image.SetTarget(stage));
  EXPECT_EQ(image.ReadFrame(0, 0, nullptr), 2);
  EXPECT_EQ(Picture(image), pictures[2]);
  EXPECT_EQ(image.SeekFrame(1, 1), 3);  // relative to the decoded frame
  EXPECT_EQ(image.SeekFrame(-3, 0), 0);  // negative: back at the start
  EXPECT_EQ(image.ReadFrame(0, 0, nullptr), 0);
  EXPECT_EQ(Picture(image), pictures[0]);
  EXPECT_EQ(*stage->desc->Pixel(3, 2), pictures[0][23]);
  image.SetTarget(nullptr);  // the image lets go; the stage stays its maker's
  EXPECT_EQ(stage->refCount, 0);
  delete stage;
  image.Close();
}

TEST_F(FlicTest, AutoAdvanceStopsOnTheLastFrame) {
  std::vector<Bytes> pictures;
  mImageFlic image;
  Load(image, Animation(flic::Kind::kFlc, 3, &pictures));
  auto* stage = new mBitmap(10, 6, 8);
  image.SetTarget(stage);
  image.SetAutoAdvance(TRUE);
  std::vector<int> shown;
  for (int i = 0; i < 5; ++i) shown.push_back(image.ReadFrame(0, 0, nullptr));
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 2, 2}));
  image.SetTarget(nullptr);  // the image lets go; the stage stays its maker's
  EXPECT_EQ(stage->refCount, 0);
  delete stage;
  image.Close();
}

TEST_F(FlicTest, RefusalsAndReports) {
  std::vector<Bytes> pictures;
  Bytes file = Animation(flic::Kind::kFlc, 2, &pictures);
  mImageFlic early;
  auto* stage = new mBitmap(10, 6, 8);
  EXPECT_FALSE(early.SetTarget(stage));  // no header yet: depth 0
  early.SetTarget(nullptr);
  delete stage;
  EXPECT_EQ(early.WriteHeader(), 0);
  EXPECT_EQ(early.WriteFrame(0, 0, nullptr), -1);
  file[5] = 0xAF;
  file[4] = 0x13;
  TempFile disk(file, ".flc");
  mImageFlic bad;
  ASSERT_TRUE(bad.Open(disk.Path(), 0));
  EXPECT_FALSE(bad.ReadHeader());
  EXPECT_EQ(bad.GetFileState()->isOpen, 0);
  EXPECT_EQ(TakeReports(), (std::vector<std::string>{"mImageFlic|Bitmap error:Bitmap wrong format",
                                                     "mImageFlic|Not implemented:WriteHeader()",
                                                     "mImageFlic|Not implemented:WriteFrame()",
                                                     "mImageFlic|File type error:" + std::string(disk.Path())}));
}

TEST_F(FlicTest, MalformedSizesNeitherHangNorLeaveTheBuffers) {
  struct Case {
    const char* what;
    Bytes file;
    bool header;         // ReadHeader succeeds
    int pixel;           // pixel (0, 0) after every seek
    const char* report;  // the one report, or none
  };
  std::vector<Case> cases;
  // Chunk sizes 0 and below the header still move on; the chunk is decoded inside its frame.
  for (uint32_t size : {0u, 3u}) {
    cases.push_back({"chunk size", RawFile(8, 4, {{flic::kByteRun, Solid(8, 4, 3)}}), true, 3, nullptr});
    WriteLe32(&cases.back().file[128 + 16], size);
  }
  // A frame of size 0 holds only its header: nothing is decoded.
  cases.push_back({"frame size 0", RawFile(8, 4, {{flic::kByteRun, Solid(8, 4, 3)}}), true, 0, nullptr});
  WriteLe32(&cases.back().file[128], 0);
  // Frame and chunk running past the end: decoded as far as the data goes.
  cases.push_back({"sizes past the end", RawFile(8, 4, {{flic::kByteRun, Solid(8, 4, 3)}}), true, 3, nullptr});
  WriteLe32(&cases.back().file[128], 0x7FFFFFF0);
  WriteLe32(&cases.back().file[128 + 16], 0xFFFFFFF0);
  // Width 0, and a frame too large to hold.
  cases.push_back({"width 0", RawFile(8, 4, {}), false, 0, "mImageFlic|File type error"});
  WriteLe16(&cases.back().file[8], 0);
  cases.push_back({"65535 x 65535", RawFile(8, 4, {}), false, 0, "mImageFlic|Out of memory"});
  WriteLe32(&cases.back().file[8], 0xFFFFFFFF);

  for (const Case& c : cases) {
    for (bool disk : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (disk ? " (disk)" : " (memory)"));
      mImageFlic image;
      TempFile temp(c.file, ".flc");
      if (disk) image.Open(temp.Path(), 0);
      else image.OpenMemory(c.file.data(), static_cast<int32_t>(c.file.size()));
      ASSERT_EQ(image.ReadHeader(), c.header);
      if (c.header) {
        for (int i = 0; i < 4; ++i) {
          EXPECT_EQ(image.SeekFrame(i % 2, 0), 0) << "seek " << i;
          EXPECT_EQ(Pixel(image, 0, 0), c.pixel) << "seek " << i;
        }
        EXPECT_EQ(image.FrameBitmap()->desc->width, 8);
        EXPECT_EQ(image.FrameBitmap()->desc->height, 4);
      }
      image.Close();
      const std::vector<std::string> reports = TakeReports();
      if (!c.report) {
        EXPECT_TRUE(reports.empty()) << reports.front();
      } else {
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0], std::string(c.report) + (disk ? std::string(":") + temp.Path() : ""));
      }
    }
  }
}

}  // namespace
