// Damaged and unusual AVI files: the header refuses what cannot be shown,
// and nothing is read or written outside a buffer.
#include <algorithm>

#include "engine/media/avi_test_util.h"

namespace avitest {
namespace {

using AviMalformed = AviTest;

TEST_F(AviMalformed, MissingPartsMakeTheHeaderFailWithoutAReport) {
  Bytes good = RawMovie(2).Build();
  struct Case {
    const char* what;
    const char* find;
    const char* replace;
  };
  for (Case c : {Case{"not AVI", "AVI ", "WAVE"}, Case{"no hdrl", "hdrl", "hdrX"}, Case{"no avih", "avih", "avXh"},
                 Case{"no strl", "strl", "strX"}, Case{"no strh", "strh", "strX"}, Case{"no strf", "strf", "strX"},
                 Case{"no movi", "movi", "movX"}, Case{"unknown handler", "DIB ", "cvid"}}) {
    SCOPED_TRACE(c.what);
    Bytes bytes = good;
    auto at = std::search(bytes.begin(), bytes.end(), c.find, c.find + 4);
    ASSERT_NE(at, bytes.end());
    std::copy(c.replace, c.replace + 4, at);
    mImageAVI* image = Load(bytes);
    EXPECT_FALSE(header_);
    EXPECT_EQ(image->GetFileRecord()->formatTag, 0u);
    EXPECT_EQ(image->ReadFrame(0, 0, nullptr), -1);
    EXPECT_TRUE(mediatest::TakeReports().empty());
    image->Close();
  }
}

TEST_F(AviMalformed, AStreamCountBeyondTheStreamsInTheFileReadsWhatIsThere) {
  Movie m = RawMovie(3);
  m.streamCount = 7;
  mImageAVI* image = Load(m.Build());
  ASSERT_TRUE(header_);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
  EXPECT_TRUE(Shows(0));
}

TEST_F(AviMalformed, VideoFormatsTheFrameBitmapCannotTakeAreRefused) {
  struct Case {
    const char* what;
    Bytes format;
  };
  Bytes shortFormat = VideoFormat(8, 4);
  shortFormat.resize(30);
  for (const Case& c : {Case{"short strf", shortFormat},
                        Case{"24-bit", VideoFormat(8, 4, 0, 0, 24, 0)},
                        Case{"300 colours", VideoFormat(8, 4, 0, 256, 8, 300)},
                        Case{"other width", VideoFormat(9, 4)},
                        Case{"other height", VideoFormat(8, -5)}}) {
    SCOPED_TRACE(c.what);
    Movie m = RawMovie(2);
    m.streams[0].format = c.format;
    mImageAVI* image = Load(m.Build());
    EXPECT_FALSE(header_);
    EXPECT_EQ(image->ReadFrame(0, 0, nullptr), -1);
    image->Close();
  }
}

TEST_F(AviMalformed, FrameSizesOfNoneOrTooManyPixelsAreRefused) {
  for (uint32_t w : {0u, 100000u}) {
    SCOPED_TRACE(w);
    Movie m = RawMovie(1);
    m.width = w;
    Load(m.Build());
    EXPECT_FALSE(header_);
    std::vector<std::string> reports = mediatest::TakeReports();
    if (w == 0) {
      EXPECT_TRUE(reports.empty());
    } else {
      ASSERT_EQ(reports.size(), 1u);
      EXPECT_NE(reports[0].find("Out of memory"), std::string::npos);
    }
    image_->Close();
  }
}

TEST_F(AviMalformed, FramesLargerOrShorterThanTheirPictureAreReadSafely) {
  Movie m = RawMovie(4);
  m.streams[0].suggestedBuffer = 0xFFFFFFF0u;  // taken only up to what a frame can need
  m.chunks[1].data.resize(1 << 20, 0x55);       // the picture, then a megabyte more
  m.chunks[2].data.resize(10);                  // too short for a picture: the old one stays
  m.chunks[3].data.clear();                     // an empty frame repeats the last one
  for (bool memory : {false, true}) {
    mImageAVI* image = Load(m.Build(), memory);
    ASSERT_TRUE(header_);
    EXPECT_LE(image->frameBufferSize, 4096 + 2 * 32 + 16);
    for (int i = 0; i < 4; ++i) {
      image->SeekFrame(i, 0);
      ASSERT_EQ(image->ReadFrame(0, 0, nullptr), i);
      EXPECT_TRUE(Shows(i < 2 ? i : 1)) << "frame " << i;
    }
    EXPECT_TRUE(mediatest::TakeReports().empty());
    image->Close();
  }
}

TEST_F(AviMalformed, AFrameChunkClaimingMoreThanTheFileEndsTheMovie) {
  Bytes bytes = RawMovie(2).Build();
  // The second frame chunk claims 1 GB, and the file ends inside it.
  auto at = std::search(bytes.begin() + 1000, bytes.end(), "00db", "00db" + 4);
  at = std::search(at + 4, bytes.end(), "00db", "00db" + 4);
  ASSERT_NE(at, bytes.end());
  at[7] = 0x40;
  bytes.resize(static_cast<size_t>(at - bytes.begin()) + 20);
  for (bool memory : {false, true}) {
    mImageAVI* image = Load(bytes, memory);
    ASSERT_TRUE(header_);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
    ASSERT_EQ(image->SeekFrame(1, 0), 1);
    image->ReadFrame(0, 0, nullptr);
    EXPECT_EQ(image->SeekFrame(1, 0), 1);
    mediatest::TakeReports();
    image->Close();
  }
}

TEST_F(AviMalformed, AStreamHeaderAskingForHugeSoundBuffersGetsABoundedRing) {
  Movie m = RawMovie(2);
  m.microSecPerFrame = 0xFFFFFFFFu;
  Stream a;
  a.type = "auds";
  a.initialFrames = 0xFFFFFFF0u;
  a.length = 0xFFFFFFFFu;
  a.format = AudioFormat(44100);
  m.streams.push_back(a);
  mImageAVI* image = Load(m.Build());
  ASSERT_TRUE(header_);
  EXPECT_LE(image->BufferCount(), 32u);
  EXPECT_LE(image->BufferSize(), 44100u * 10 + 4);
  m.streams[1].format = AudioFormat(0xFFFFFFFFu);  // sizes that wrap around
  image = Load(m.Build());
  ASSERT_TRUE(header_);
  EXPECT_LE(image->BufferSize(), 1u << 20);
}

TEST_F(AviMalformed, AStreamWithoutVideoHasNothingToShow) {
  Movie m = RawMovie(1);
  m.streams[0].type = "auds";
  m.streams[0].format = AudioFormat(8000);
  Load(m.Build());
  EXPECT_FALSE(header_);
}

}  // namespace
}  // namespace avitest
