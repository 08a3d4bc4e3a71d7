// SeekFrame: what it costs in silent decodes, with and without the index,
// and where it lands when the index cannot be trusted.
#include "engine/media/avi_test_util.h"

namespace avitest {
namespace {

using AviSeek = AviTest;

// 60 raw frames, key frames every 15 as the index says.
Movie KeyedMovie(bool index) {
  Movie m = RawMovie(60);
  for (size_t i = 0; i < m.chunks.size(); ++i) m.chunks[i].key = i % 15 == 0;
  m.index = index;
  if (!index) m.flags = 0;
  return m;
}

TEST_F(AviSeek, NextFrameCostsNothingUntilReadAndTheEndChangesNothing) {
  mImageAVI* image = Load(KeyedMovie(true).Build());
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
  int before = image->FramesDecoded();
  EXPECT_EQ(image->SeekFrame(1, 0), 1);
  EXPECT_EQ(image->FramesDecoded(), before);
  EXPECT_EQ(image->SeekFrame(60, 0), 1);  // frameCount: nothing changes
  EXPECT_EQ(image->SeekFrame(-1, 0), 1);
  EXPECT_EQ(image->SeekFrame(1, 1), 1);    // relative to the decoded frame
  EXPECT_EQ(image->SeekFrame(59, 2), 1);   // from the end: frame 1
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 1);
  EXPECT_EQ(image->FramesDecoded(), before + 1);
  EXPECT_TRUE(Shows(1));
}

TEST_F(AviSeek, FarJumpWithAnIndexStartsAtTheLastKeyFrame) {
  mImageAVI* image = Load(KeyedMovie(true).Build());
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
  int before = image->FramesDecoded();
  EXPECT_EQ(image->SeekFrame(50, 0), 0);
  EXPECT_LE(image->FramesDecoded() - before, 15);
  EXPECT_EQ(image->FramesDecoded() - before, 5);  // 45 to 49
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 50);
  EXPECT_TRUE(Shows(50));
  // Between the key frame and the target already: decoding goes on from here.
  before = image->FramesDecoded();
  image->SeekFrame(57, 0);
  EXPECT_EQ(image->FramesDecoded() - before, 6);  // 51 to 56
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 57);
  EXPECT_TRUE(Shows(57));
}

TEST_F(AviSeek, WithoutAnIndexEveryFrameOnTheWayIsDecoded) {
  mImageAVI* image = Load(KeyedMovie(false).Build());
  EXPECT_EQ(image->indexStart, 0);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
  int before = image->FramesDecoded();
  image->SeekFrame(50, 0);
  EXPECT_EQ(image->FramesDecoded() - before, 49);  // 1 to 49
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 50);
  EXPECT_TRUE(Shows(50));
}

TEST_F(AviSeek, BackwardWithoutAnIndexDecodesFromTheFirstFrame) {
  mImageAVI* image = Load(KeyedMovie(false).Build());
  image->SeekFrame(20, 0);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 20);
  int before = image->FramesDecoded();
  EXPECT_EQ(image->SeekFrame(3, 0), 0);
  EXPECT_EQ(image->FramesDecoded() - before, 3);  // 0, 1, 2 silently
  EXPECT_EQ(image->decodedFrame, 2);
  EXPECT_EQ(*target_->desc->Pixel(0, 0), FramePixel(20, 0, 0));  // nothing drawn meanwhile
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 3);
  EXPECT_TRUE(Shows(3));
  EXPECT_EQ(*target_->desc->Pixel(0, 0), FramePixel(3, 0, 0));
}

TEST_F(AviSeek, IndexOffsetsThatMissTheirChunksFallBackToDecodingOn) {
  for (int32_t shift : {6, 1 << 20, -100000}) {
    SCOPED_TRACE(shift);
    Movie m = KeyedMovie(true);
    m.indexOffsetShift = shift;
    mImageAVI* image = Load(m.Build());
    ASSERT_TRUE(header_);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
    int before = image->FramesDecoded();
    image->SeekFrame(40, 0);
    EXPECT_EQ(image->FramesDecoded() - before, 39);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 40);
    EXPECT_TRUE(Shows(40));
    image->Close();
  }
}

TEST_F(AviSeek, AnIndexThatEndsEarlyOrHasNoKeyFrameFallsBack) {
  Movie shortIndex = KeyedMovie(true);
  // The index lists the first 20 frames only: build it so, then the rest.
  Movie noKeys = KeyedMovie(true);
  for (auto& c : noKeys.chunks) c.key = false;
  for (Movie* m : {&shortIndex, &noKeys}) {
    Bytes bytes = m->Build();
    if (m == &shortIndex) {
      // Cut the idx1 chunk's size to 20 entries.
      for (size_t at = bytes.size() - 60 * 16 - 8; at + 8 <= bytes.size(); ++at) {
        if (std::memcmp(&bytes[at], "idx1", 4) == 0) {
          bytes[at + 4] = static_cast<uint8_t>(20 * 16);
          bytes[at + 5] = static_cast<uint8_t>((20 * 16) >> 8);
          break;
        }
      }
    }
    mImageAVI* image = Load(bytes);
    ASSERT_TRUE(header_);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
    image->SeekFrame(35, 0);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 35);
    EXPECT_TRUE(Shows(35));
    image->Close();
  }
}

TEST_F(AviSeek, SeekingNeedsNoTargetDrawingDoes) {
  mImageAVI* image = Load(KeyedMovie(false).Build());
  image->SetTarget(nullptr);
  EXPECT_EQ(image->ReadFrame(0, 0, nullptr), -1);
  EXPECT_EQ(image->FramesDecoded(), 0);
  image->SeekFrame(7, 0);
  EXPECT_EQ(image->decodedFrame, 6);
  image->SetTarget(target_.get());
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 7);
  EXPECT_TRUE(Shows(7));
}

TEST_F(AviSeek, AMovieShorterThanItsHeaderSaysRewindsInsteadOfHanging) {
  Movie m = RawMovie(5);
  m.totalFrames = 30;
  m.index = false;
  m.flags = 0;
  mImageAVI* image = Load(m.Build());
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
  EXPECT_EQ(image->SeekFrame(20, 0), 0);
  EXPECT_EQ(image->decodedFrame, -1);
  EXPECT_EQ(image->GetFrameRecord()->currentFrame, 0);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
  EXPECT_TRUE(Shows(0));
}

}  // namespace
}  // namespace avitest
