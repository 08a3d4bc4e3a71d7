// Images cut from other pictures: the definition statements, the frames they
// make, drawing a frame, and the factory that picks a reader by extension.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "byte_order/little_endian.h"
#include "engine/media/media_test_util.h"
#include "media/image_bitmap.h"
#include "media/image_factory.h"
#include "media/image_flic.h"
#include "sprites/sprite_image.h"
#include "support/host_fixture.h"

// Found by argument lookup: RECT lives in the global namespace.
static bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

using mediatest::TakeReports;
using mediatest::TempFile;

const std::string kBoxes = std::string(ORVANEL_SOURCE_DIR) + "/tests/data/flic/boxes.flc";

// A 64 x 48 8-bit BMP whose pixel (x, y) is x + y.
std::vector<uint8_t> Picture64x48() {
  const int width = 64, height = 48;
  std::vector<uint8_t> b(54 + 1024 + width * height);
  b[0] = 'B', b[1] = 'M';
  WriteLe32(&b[10], 54 + 1024), WriteLe32(&b[14], 40), WriteLe32(&b[18], width), WriteLe32(&b[22], height);
  b[26] = 1, b[28] = 8;
  for (int i = 0; i < 256; ++i) b[54 + 4 * i + 1] = static_cast<uint8_t>(i);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b[54 + 1024 + (height - 1 - y) * width + x] = static_cast<uint8_t>(x + y);
  return b;
}

class ImageBitmapTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    testsupport::HeadlessTest::SetUp();
    TakeReports();
  }
  // Reads the definitions from text; the result of ReadDefinitions.
  int Read(const std::string& text) {
    mFile file;
    EXPECT_TRUE(file.OpenMemory(text.data(), static_cast<int32_t>(text.size())));
    const int result = image_.ReadDefinitions(&file);
    file.Close();
    return result;
  }
  std::vector<RECT> SourceRects() {
    std::vector<RECT> rects;
    const mImageBitmap::BitmapFrame* frame = image_.firstFrame;
    for (int i = 0; i < image_.GetFileRecord()->frameCount; ++i, frame = frame->next) rects.push_back(frame->sourceRect);
    return rects;
  }
  TempFile picture_{Picture64x48(), ".bmp"};
  mImageBitmap image_;
};

TEST_F(ImageBitmapTest, WholeAnimationGivesEveryFrameWithItsOwnTimeAndChangedArea) {
  ASSERT_EQ(Read("FILE " + kBoxes + "\nEND\n"), 1);
  mImageFlic flic;
  ASSERT_TRUE(flic.Open(kBoxes.c_str(), 0));
  ASSERT_TRUE(flic.ReadHeader());
  const int frames = flic.GetFileRecord()->frameCount;
  ASSERT_EQ(image_.GetFileRecord()->frameCount, frames);
  EXPECT_EQ(image_.GetFileRecord()->formatTag, FormatTag("BMAP"));
  for (int i = 0; i < frames; ++i) {
    mBitmap* expected = flic.MakeBitmap(FALSE);
    ASSERT_EQ(image_.SeekFrame(i, 0), i);
    const auto* mine = image_.GetFrameRecord();
    EXPECT_EQ(mine->frameTime, flic.GetFrameRecord()->frameTime) << i;
    const RECT& want = flic.GetFrameRecord()->updateRect;
    EXPECT_TRUE(mine->updateRect == want) << i << ": " << mine->updateRect.left << "," << mine->updateRect.top << ","
                                          << mine->updateRect.right << "," << mine->updateRect.bottom << " wanted "
                                          << want.left << "," << want.top << "," << want.right << "," << want.bottom;
    // The frame shows what the animation shows at that frame.
    mBitmap shown(64, 48, 8);
    image_.SetTarget(&shown);
    EXPECT_EQ(image_.ReadFrame(0, 0, nullptr), i);
    image_.SetTarget(nullptr);
    int different = 0;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) different += *shown.desc->Pixel(x, y) != *expected->desc->Pixel(x, y);
    EXPECT_EQ(different, 0) << i;
    delete expected;
    flic.SeekFrame(i + 1, 0);
  }
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ImageBitmapTest, TilesAreCutRowByRowAndOnlyWhole) {
  const std::string file = std::string("FILE ") + picture_.Path() + "\n";
  ASSERT_EQ(Read(file + "TILE 32,16\nEND\n"), 1);
  const std::vector<RECT> expected = {{0, 0, 32, 16},  {32, 0, 64, 16},  {0, 16, 32, 32},
                                      {32, 16, 64, 32}, {0, 32, 32, 48}, {32, 32, 64, 48}};
  EXPECT_EQ(SourceRects(), expected);
  EXPECT_EQ(image_.GetFileRecord()->width, 32);

  mImageBitmap big;
  mFile text;
  const std::string bigTile = file + "TILE 40,40\nEND\n";
  ASSERT_TRUE(text.OpenMemory(bigTile.data(), static_cast<int32_t>(bigTile.size())));
  ASSERT_EQ(big.ReadDefinitions(&text), 1);
  text.Close();
  EXPECT_EQ(big.GetFileRecord()->frameCount, 1);

  // Tiles of no size would never end: refused, nothing added, reading goes on.
  mImageBitmap none;
  const std::string zero = file + "TILE 0,16\nTIME 5\nEND\n";
  ASSERT_TRUE(text.OpenMemory(zero.data(), static_cast<int32_t>(zero.size())));
  EXPECT_EQ(none.ReadDefinitions(&text), 1);
  text.Close();
  EXPECT_EQ(none.GetFileRecord()->frameCount, 0);
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"mImageBitmap|Bad rectangle:TILE"});
}

TEST_F(ImageBitmapTest, RectanglesAreClippedAndEmptyOnesRefused) {
  const std::string file = std::string("FILE ") + picture_.Path() + "\n";
  ASSERT_EQ(Read(file + "TIME 200\nORIGIN 3,4\nRECT -5,-5,10,10\nRECT 10,10,10,20\nRECT 20,8,30,12\nEND\n"), 1);
  const std::vector<RECT> expected = {{0, 0, 10, 10}, {20, 8, 30, 12}};
  EXPECT_EQ(SourceRects(), expected);
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"mImageBitmap|Bad rectangle"});
  ASSERT_EQ(image_.SeekFrame(1, 0), 1);
  EXPECT_EQ(image_.GetFrameRecord()->frameTime, 200);
  EXPECT_EQ(image_.GetFrameRecord()->originX, 3);
  EXPECT_EQ(image_.GetFrameRecord()->originY, 4);
  EXPECT_EQ(image_.GetFrameRecord()->frameWidth, 10);

  // The frame is the cut piece: pixel (x, y) of it is the picture's (20 + x, 8 + y),
  // drawn at a place that needs clipping.
  mBitmap shown(16, 16, 8);
  const RECT all = {0, 0, 16, 16};
  shown.FillRects(0xEE, &all, 1);
  image_.SetTarget(&shown);
  RECT clip = {0, 0, 16, 16};
  image_.ReadFrame(-2, 13, &clip);
  image_.SetTarget(nullptr);
  EXPECT_EQ(*shown.desc->Pixel(0, 13), 20 + 2 + 8);
  EXPECT_EQ(*shown.desc->Pixel(7, 15), 20 + 9 + 8 + 2);
  EXPECT_EQ(*shown.desc->Pixel(8, 13), 0xEE);
  EXPECT_EQ(*shown.desc->Pixel(0, 12), 0xEE);
}

TEST_F(ImageBitmapTest, StatementsWithoutAPictureEndTheReading) {
  EXPECT_EQ(Read("RECT 0,0,4,4\nEND\n"), 0);
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"mImageBitmap|File type error:RECT"});
  EXPECT_EQ(Read("FILE picture.gif\nRECT 0,0,4,4\nEND\n"), 0);
  EXPECT_EQ(TakeReports(), (std::vector<std::string>{"mImageBitmap|File type error:GIF",
                                                     "mImageBitmap|File type error:RECT"}));
  EXPECT_EQ(Read("FILE /nonexistent/picture.pcx\nSOURCEFRAME 1\n"), 0);
  auto reports = TakeReports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1], "mImageBitmap|File type error:SOURCEFRAME");
  EXPECT_EQ(image_.GetFileRecord()->frameCount, 0);
}

TEST_F(ImageBitmapTest, SourceFramesPickSingleFramesOfAnAnimation) {
  ASSERT_EQ(Read("FILE " + kBoxes + "\nSOURCEFRAME 5\nSOURCEFRAME 2\nRECT 0,0,8,8\nSOURCEFRAME 7\n"), 1);
  // 5 (pending, added when 2 is picked), the piece of 2, then 7 at the end.
  ASSERT_EQ(image_.GetFileRecord()->frameCount, 3);
  mImageFlic flic;
  ASSERT_TRUE(flic.Open(kBoxes.c_str(), 0));
  flic.SeekFrame(7, 0);
  mBitmap* seventh = flic.MakeBitmap(FALSE);
  const mImageBitmap::BitmapFrame* last = image_.firstFrame->previous;
  EXPECT_EQ(*last->bitmap->desc->Pixel(30, 20), *seventh->desc->Pixel(30, 20));
  delete seventh;
}

// A piece cut from a source frame changes where the source frame changed
// inside the piece: its changed area holds every pixel that differs from the
// same piece of the frame before, in the piece's own coordinates.
TEST_F(ImageBitmapTest, PiecesOfASourceFrameChangeWhereTheSourceChangedInsideThem) {
  mImageFlic flic;
  ASSERT_TRUE(flic.Open(kBoxes.c_str(), 0));
  ASSERT_TRUE(flic.ReadHeader());
  flic.SeekFrame(2, 0);
  mBitmap* before = flic.MakeBitmap(FALSE);
  flic.SeekFrame(3, 0);
  mBitmap* after = flic.MakeBitmap(FALSE);
  const RECT cuts[] = {{20, 10, 40, 30}, {0, 0, 64, 48}, {30, 5, 64, 20}, {-5, 30, 12, 60}, {50, 40, 64, 48}};
  for (const RECT& cut : cuts) {
    SCOPED_TRACE(testing::Message() << "RECT " << cut.left << "," << cut.top << "," << cut.right << "," << cut.bottom);
    mImageBitmap pieces;
    mFile text;
    const std::string definitions = "FILE " + kBoxes + "\nSOURCEFRAME 3\nRECT " + std::to_string(cut.left) + "," +
                                    std::to_string(cut.top) + "," + std::to_string(cut.right) + "," +
                                    std::to_string(cut.bottom) + "\nEND\n";
    ASSERT_TRUE(text.OpenMemory(definitions.data(), static_cast<int32_t>(definitions.size())));
    ASSERT_EQ(pieces.ReadDefinitions(&text), 1);
    text.Close();
    ASSERT_EQ(pieces.GetFileRecord()->frameCount, 1);
    const RECT source = pieces.firstFrame->sourceRect;
    const RECT delta = pieces.firstFrame->deltaRect;
    EXPECT_TRUE(delta.left >= 0 && delta.top >= 0 && delta.right <= source.right - source.left &&
                delta.bottom <= source.bottom - source.top);
    for (LONG y = source.top; y < source.bottom; ++y)
      for (LONG x = source.left; x < source.right; ++x)
        if (*before->desc->Pixel(x, y) != *after->desc->Pixel(x, y)) {
          const LONG px = x - source.left, py = y - source.top;
          EXPECT_TRUE(px >= delta.left && px < delta.right && py >= delta.top && py < delta.bottom)
              << "changed pixel (" << px << ", " << py << ") outside (" << delta.left << ", " << delta.top << ", "
              << delta.right << ", " << delta.bottom << ")";
        }
  }
  delete before;
  delete after;
  // A DELTA statement speaks in the piece's own coordinates.
  ASSERT_EQ(Read("FILE " + kBoxes + "\nSOURCEFRAME 3\nDELTA 1,2,5,6\nRECT 20,10,40,30\nEND\n"), 1);
  EXPECT_TRUE(image_.firstFrame->deltaRect == (RECT{1, 2, 5, 6}));
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ImageBitmapTest, MovieFramesAreSourcesToo) {
  const std::string movie = std::string(ORVANEL_SOURCE_DIR) + "/tests/data/avi/mrle.avi";
  ASSERT_EQ(Read("FILE " + movie + "\nSOURCEFRAME 20\nSOURCEFRAME 3\nEND\n"), 1);
  ASSERT_EQ(image_.GetFileRecord()->frameCount, 2);
  mImageFile* avi = MakeImageForFile(movie.c_str());
  ASSERT_TRUE(avi->Open(movie.c_str(), 0));
  ASSERT_TRUE(avi->ReadHeader());
  avi->SeekFrame(20, 0);
  mBitmap* twentieth = avi->MakeBitmap(FALSE);
  ASSERT_NE(twentieth, nullptr);
  const mBitmap* first = image_.firstFrame->bitmap;
  int different = 0;
  for (int y = 0; y < twentieth->desc->height; ++y)
    for (int x = 0; x < twentieth->desc->width; ++x) different += *first->desc->Pixel(x, y) != *twentieth->desc->Pixel(x, y);
  EXPECT_EQ(different, 0);
  delete twentieth;
  delete avi;
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(ImageBitmapTest, ImageSpriteReadsDefinitionsFromItsScriptText) {
  auto* image = new mImageBitmap;
  mSpriteImage sprite;
  sprite.SetImage(image);
  // One text for both readers: each skips the other's statements, both stop at END.
  const std::string text = std::string("// pieces, and how they step\nFILE ") + picture_.Path() +
                           "\n:1\nADVANCEFRAME\nENDCYCLE\nTILE 16,48\nLOOP 1\nEND\nTILE 8,8\n";
  mFile file;
  ASSERT_TRUE(file.OpenMemory(text.data(), static_cast<int32_t>(text.size())));
  EXPECT_EQ(sprite.LoadScript(&file), 1);
  file.Close();
  EXPECT_EQ(image->GetFileRecord()->frameCount, 4);
  ASSERT_NE(sprite.program, nullptr);
  EXPECT_EQ(sprite.RunCycle(), 1);
  EXPECT_EQ(sprite.frame, 1);
  EXPECT_TRUE(TakeReports().empty());
}

TEST(ImageFactory, ExtensionDecidesTheReader) {
  EXPECT_EQ(ImageExtension("a.flc"), "FLC");
  EXPECT_EQ(ImageExtension("MOVIE.Fli"), "FLI");
  EXPECT_EQ(ImageExtension("a.b.pcx"), "B");
  EXPECT_EQ(ImageExtension("noextension"), "");
  EXPECT_EQ(ImageExtension("long.bmpx"), "BMP");
  for (const char* name : {"a.bmp", "a.avi", "a.fli", "a.flc", "a.pcx", "a.dcx"}) {
    mImageFile* image = MakeImageForFile(name);
    EXPECT_NE(image, nullptr) << name;
    delete image;
  }
}

}  // namespace
