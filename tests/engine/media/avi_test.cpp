// The AVI image: header, stream choice, frames in file order, "rec " lists,
// the flag operations, and the sound fed by the movie's audio chunks.
#include "engine/media/avi_test_util.h"

namespace avitest {
namespace {

using AviHeader = AviTest;
using testsupport::RunFor;

TEST_F(AviHeader, RawMovieWithoutSoundReadsAndCannotPlay) {
  Movie m = RawMovie(5);
  m.microSecPerFrame = 66667;
  mImageAVI* image = Load(m.Build());
  ASSERT_TRUE(header_);
  EXPECT_EQ(image->GetFileRecord()->formatTag, FourCC("AVI "));
  EXPECT_EQ(image->GetFileRecord()->frameCount, 5);
  EXPECT_EQ(image->GetFrameRecord()->frameTime, 66);
  EXPECT_EQ(image->GetFrameRecord()->frameWidth, 8);
  EXPECT_EQ(image->GetFrameRecord()->depth, 8);
  EXPECT_EQ(image->GetFrameRecord()->paletteChanged, 1);
  EXPECT_EQ(image->decodedFrame, -1);  // nothing decoded by the header
  EXPECT_EQ(image->GetStreamRecord()->length, 0);
  EXPECT_EQ(image->DeviceTag(), static_cast<int32_t>(FourCC("NONE")));
  EXPECT_EQ(image->StreamPlay(0, 1), 0);
  EXPECT_NE(image->indexStart, 0);
  // The colours are the stream's, through the decompressor.
  const RGBQUAD* colours = image->GetFrameRecord()->palette;
  EXPECT_EQ(colours[200].rgbBlue, 200);
  EXPECT_EQ(colours[200].rgbGreen, 55);
  EXPECT_EQ(colours[200].rgbRed, 100);
  EXPECT_TRUE(mediatest::TakeReports().empty());
}

TEST_F(AviHeader, FramesReadInOrderAndDrawIntoTheTarget) {
  for (bool memory : {false, true}) {
    SCOPED_TRACE(memory ? "memory" : "disk");
    mImageAVI* image = Load(RawMovie(4).Build(), memory);
    ASSERT_TRUE(header_);
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(image->SeekFrame(i, 0), i);
      ASSERT_EQ(image->ReadFrame(0, 0, nullptr), i);
      EXPECT_TRUE(Shows(i));
      EXPECT_EQ(*target_->desc->Pixel(3, 2), FramePixel(i, 3, 2));
    }
    // Past the last frame nothing changes.
    EXPECT_EQ(image->SeekFrame(4, 0), 3);
    EXPECT_EQ(image->ReadFrame(0, 0, nullptr), 3);
    image->Close();
  }
}

TEST_F(AviHeader, BottomUpTopDownAndPaddedRowsAllShowTheSamePicture) {
  for (bool topDown : {false, true}) {
    for (int width : {8, 5}) {
      SCOPED_TRACE(testing::Message() << "top-down " << topDown << ", width " << width);
      mImageAVI* image = Load(RawMovie(2, width, 3, topDown).Build());
      ASSERT_TRUE(header_);
      ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
      EXPECT_TRUE(Shows(0));
      image->Close();
    }
  }
}

TEST_F(AviHeader, RecordListsGiveTheSameFrames) {
  Movie m = RawMovie(6);
  for (size_t i = 0; i < m.chunks.size(); ++i) m.chunks[i].record = static_cast<int>(i / 2);
  mImageAVI* image = Load(m.Build());
  ASSERT_TRUE(header_);
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(image->SeekFrame(i, 0), i);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), i);
    EXPECT_TRUE(Shows(i)) << "frame " << i;
  }
  // Seeking through the index lands inside a record as well.
  EXPECT_EQ(image->SeekFrame(1, 0), 0);
  EXPECT_EQ(image->ReadFrame(0, 0, nullptr), 1);
  EXPECT_TRUE(Shows(1));
}

// Stream 1 is a second video stream whose frames are numbered from 100.
Movie TwoVideoStreams(uint16_t first, uint16_t second) {
  Movie m = RawMovie(3);
  m.streams[0].priority = first;
  Stream v = m.streams[0];
  v.priority = second;
  m.streams.push_back(v);
  std::vector<MovieChunk> chunks;
  for (int i = 0; i < 3; ++i) {
    chunks.push_back({"00db", RawFrame(i, 8, 4)});
    chunks.push_back({"01db", RawFrame(100 + i, 8, 4)});
  }
  m.chunks = chunks;
  return m;
}

TEST_F(AviHeader, AmongEqualVideoPrioritiesTheLastStreamWins) {
  mImageAVI* image = Load(TwoVideoStreams(0, 0).Build());
  ASSERT_TRUE(header_);
  EXPECT_EQ(image->videoStream, 1);
  EXPECT_EQ(image->videoChunkPrefix, FourCC("01db") & 0xFFFF);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
  EXPECT_TRUE(Shows(100));
}

TEST_F(AviHeader, AVideoStreamOfLowerPriorityIsIgnored) {
  mImageAVI* image = Load(TwoVideoStreams(5, 2).Build());
  ASSERT_TRUE(header_);
  EXPECT_EQ(image->videoStream, 0);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
  EXPECT_TRUE(Shows(0));
  ASSERT_EQ(image->SeekFrame(2, 0), 0);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 2);
  EXPECT_TRUE(Shows(2));
}

TEST_F(AviHeader, FirstFrameKeysTheTopLeftColourUntilTheCallerChoosesOne) {
  mImageAVI* image = Load(RawMovie(3).Build());
  ASSERT_TRUE(header_);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
  EXPECT_EQ(image->GetFrameRecord()->transparentColour, FramePixel(0, 0, 0));
  EXPECT_EQ(image->GetFrameRecord()->transparent, 0);  // the switch itself is the caller's
  image->SetTransparentColour(200);
  EXPECT_FALSE(image->autoKey);
  image->SeekFrame(1, 0);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 1);
  EXPECT_EQ(image->GetFrameRecord()->transparentColour, 200);
  EXPECT_EQ(image->FrameBitmap()->desc->transparentIndex & 0xFF, 200u);
  EXPECT_EQ(image->SetRemap(TRUE), TRUE);
  EXPECT_EQ(image->GetFrameRecord()->paletteChanged, 0);
  EXPECT_NE(image->FrameBitmap()->desc->flags & kBitmapRemap, 0u);
  image->SetRemap(FALSE);
  EXPECT_EQ(image->GetFrameRecord()->paletteChanged, 1);
}

TEST_F(AviHeader, WritingIsNotImplemented) {
  mImageAVI* image = Load(RawMovie(1).Build());
  mediatest::TakeReports();
  EXPECT_EQ(image->WriteHeader(), 0);
  EXPECT_EQ(image->WriteFrame(0, 0, nullptr), 0);
  std::vector<std::string> reports = mediatest::TakeReports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].substr(0, reports[0].find('|')), "mImageAVI");
  EXPECT_NE(reports[0].find("Not implemented"), std::string::npos);
}

TEST_F(AviHeader, ReadingTheHeaderAgainStartsFromTheFirstFrame) {
  mImageAVI* image = Load(RawMovie(4).Build());
  ASSERT_TRUE(header_);
  image->SeekFrame(2, 0);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 2);
  ASSERT_TRUE(image->ReadHeader());
  EXPECT_EQ(image->decodedFrame, -1);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 0);
  EXPECT_TRUE(Shows(0));
  ASSERT_EQ(image->SeekFrame(1, 0), 1);
  ASSERT_EQ(image->ReadFrame(0, 0, nullptr), 1);
  EXPECT_TRUE(Shows(1));
}

TEST_F(AviHeader, AutoAdvanceMovesOnAfterEachDrawnFrame) {
  mImageAVI* image = Load(RawMovie(3).Build());
  image->SetAutoAdvance(TRUE);
  for (int i : {0, 1, 2, 2}) {
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), i);
    EXPECT_TRUE(Shows(i));
  }
}

// Sound: two audio streams; stream 1 and 2 chunks of 300 bytes after every frame.
Movie MovieWithSound(int frames, uint32_t audioChunk) {
  Movie m = RawMovie(frames);
  for (int s = 0; s < 2; ++s) {
    Stream a;
    a.type = "auds";
    a.handler = "\0\0\0\0";
    a.length = 100000;  // more sound than the chunks hold: the ring is not cut short
    a.initialFrames = 1;
    a.format = AudioFormat(8000);
    m.streams.push_back(a);
  }
  std::vector<MovieChunk> chunks;
  for (int i = 0; i < frames; ++i) {
    chunks.push_back(m.chunks[static_cast<size_t>(i)]);
    chunks.push_back({"01wb", Bytes(audioChunk, static_cast<uint8_t>(0x40 + i))});
    chunks.push_back({"02wb", Bytes(audioChunk, static_cast<uint8_t>(0x80 + i))});
  }
  m.chunks = chunks;
  return m;
}

TEST_F(AviHeader, AudioStreamsAreCountedAndTheLastOfEqualPriorityChosen) {
  mImageAVI* image = Load(MovieWithSound(2, 300).Build());
  ASSERT_TRUE(header_);
  EXPECT_EQ(image->GetStreamRecord()->length, 2);
  EXPECT_EQ(image->audioStream, 2);
  EXPECT_EQ(image->audioChunkId, FourCC("02wb"));
  EXPECT_EQ(image->GetFormatRecord()->rate, 8000);
  EXPECT_EQ(image->LengthMs(), 12500u);  // 100000 samples at 8000 Hz
  EXPECT_EQ(image->DataSize(), 100000);
  // One frame's time (100 ms) plus 10 ms of sound per buffer, initial frames + 2 buffers.
  EXPECT_EQ(image->BufferSize(), 880u);
  EXPECT_EQ(image->BufferCount(), 3u);
}

TEST_F(AviHeader, SetPositionChoosesTheAudioStreamForTheNextHeader) {
  mImageAVI* image = Load(MovieWithSound(2, 300).Build());
  EXPECT_EQ(image->SetPosition(1), 1);
  EXPECT_EQ(image->audioChunkId, FourCC("01wb"));
  EXPECT_EQ(image->audioPriority, 99);
  EXPECT_EQ(image->GetStreamRecord()->current, 1);
  EXPECT_EQ(image->SetPosition(100), 1);  // no two-digit code names it
  ASSERT_TRUE(image->ReadHeader());
  EXPECT_EQ(image->audioStream, 1);
  EXPECT_EQ(image->audioChunkId, FourCC("01wb"));
}

TEST_F(AviHeader, AChunkLargerThanABufferGoesOnInTheNextOnes) {
  // 1200-byte chunks against 880-byte buffers. A frame's sound follows its
  // picture, so three frames pass two chunks.
  mImageAVI* image = Load(MovieWithSound(3, 1200).Build());
  ASSERT_TRUE(header_);
  ASSERT_EQ(image->StreamPlay(0, 1), 1);
  for (int i = 0; i < 3; ++i) {
    image->SeekFrame(i, 0);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), i);
    EXPECT_TRUE(Shows(i));
    RunFor(200);  // every buffer comes back before the next frame
  }
  std::vector<headless::SoundRecord> heard = headless::PlayedSounds();
  ASSERT_EQ(heard.size(), 1u);
  Bytes expected;
  for (int i = 0; i < 2; ++i) Append(expected, Bytes(1200, static_cast<uint8_t>(0x80 + i)));
  EXPECT_EQ(heard[0].bytes, expected);
  EXPECT_TRUE(mediatest::TakeReports().empty());
}

TEST_F(AviHeader, AudioChunksMetWhileNoBufferIsFreeWaitAndPlayInOrder) {
  mImageAVI* image = Load(MovieWithSound(6, 100).Build());
  ASSERT_TRUE(header_);
  ASSERT_EQ(image->StreamPlay(0, 1), 1);
  // No messages between frames: the three buffers stay with the device, and
  // the last two of the five chunks passed wait for them.
  for (int i = 0; i < 6; ++i) {
    image->SeekFrame(i, 0);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), i);
  }
  EXPECT_EQ(image->QueuedSound(), 200u);
  RunFor(1000);
  std::vector<headless::SoundRecord> heard = headless::PlayedSounds();
  ASSERT_EQ(heard.size(), 1u);
  Bytes expected;
  for (int i = 0; i < 5; ++i) Append(expected, Bytes(100, static_cast<uint8_t>(0x80 + i)));
  EXPECT_EQ(heard[0].bytes, expected);
  EXPECT_EQ(image->QueuedSound(), 0u);
  // Destroyed while its sound still plays: stopped, unloaded and closed quietly.
  EXPECT_TRUE(image->Playing());
  image_.reset();
  EXPECT_FALSE(headless::PlayedSounds()[0].open);
  EXPECT_TRUE(mediatest::TakeReports().empty());
}

TEST_F(AviHeader, WaitingSoundIsBoundedAndTheRestOfItLost) {
  // Four seconds of 8000 Hz sound wait at most: 32000 bytes.
  mImageAVI* image = Load(MovieWithSound(6, 20000).Build());
  ASSERT_TRUE(header_);
  ASSERT_EQ(image->StreamPlay(0, 1), 1);
  for (int i = 0; i < 6; ++i) {
    image->SeekFrame(i, 0);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), i);
  }
  EXPECT_EQ(image->QueuedSound(), 32000u);
  RunFor(10000);
  std::vector<headless::SoundRecord> heard = headless::PlayedSounds();
  ASSERT_EQ(heard.size(), 1u);
  // Three buffers straight from the file, then what waited, in file order.
  Bytes expected(20000, 0x80);
  Append(expected, Bytes(3 * 880 + 32000 - 20000, 0x81));
  EXPECT_EQ(heard[0].bytes, expected);
}

// The length of a sound stream counts blocks: one sample of every channel.
TEST_F(AviHeader, SoundLengthCountsBlocksOfAllChannels) {
  struct Case {
    uint16_t channels, bits, blockAlign;
    uint32_t expectedBytes, expectedMs;
  };
  // 44100 blocks at 22050 Hz: two seconds whatever the layout.
  const Case cases[] = {{1, 8, 1, 44100, 2000}, {2, 16, 4, 176400, 2000}, {1, 16, 2, 88200, 2000},
                        {2, 8, 0, 88200, 2000}};  // no block size given: channels x bytes a sample
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.channels << " channels of " << c.bits << " bits");
    Movie m = RawMovie(2);
    Stream a;
    a.type = "auds";
    a.length = 44100;
    a.format = AudioFormat(22050, c.channels, c.bits, c.blockAlign);
    m.streams.push_back(a);
    mImageAVI* image = Load(m.Build());
    ASSERT_TRUE(header_);
    EXPECT_EQ(image->DataSize(), static_cast<int32_t>(c.expectedBytes));
    EXPECT_EQ(image->LengthMs(), c.expectedMs);
    image->Close();
  }
}

// Colour 200 of the palette changes before frames 3 and 25 of 30.
Movie MovieWithPaletteChanges() {
  Movie m = RawMovie(30);
  std::vector<MovieChunk> chunks;
  for (int i = 0; i < 30; ++i) {
    if (i == 3 || i == 25) {
      uint8_t v = static_cast<uint8_t>(i);
      chunks.push_back({"00pc", Bytes{200, 1, 0, 0, v, v, v, 0}, false});
    }
    chunks.push_back(m.chunks[static_cast<size_t>(i)]);
  }
  m.chunks = chunks;
  return m;
}

// Colour 200 as frame n shows it.
uint8_t Colour200(int n) { return n >= 25 ? 25 : n >= 3 ? 3 : 0; }

TEST_F(AviHeader, PaletteChangesAreAppliedAndNotCountedAsFrames) {
  mImageAVI* image = Load(MovieWithPaletteChanges().Build());
  ASSERT_TRUE(header_);
  for (int i = 0; i < 30; ++i) {
    ASSERT_EQ(image->SeekFrame(i, 0), i);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), i);
    EXPECT_TRUE(Shows(i)) << "frame " << i;
    const RGBQUAD& c = image->GetFrameRecord()->palette[200];
    if (Colour200(i) == 0) {
      EXPECT_EQ(c.rgbBlue, 200) << "frame " << i << " keeps the stream's colour";
    } else {
      EXPECT_EQ(c.rgbRed, Colour200(i)) << "frame " << i;
      EXPECT_EQ(c.rgbBlue, Colour200(i)) << "frame " << i;
    }
    // Reported by the drawing read of the frame that brings it.
    EXPECT_EQ(image->GetFrameRecord()->paletteChanged, i == 3 || i == 25 ? 1 : 0) << "frame " << i;
  }
}

TEST_F(AviHeader, SeeksKeepTheColoursOfTheFrameReached) {
  mImageAVI* image = Load(MovieWithPaletteChanges().Build());
  ASSERT_TRUE(header_);
  struct Step {
    int frame;
    int decodes;  // frames decoded to reach and show it
  };
  // Back to the start: the stream's colours again. Far ahead past a change not
  // yet applied: decoded on, not through the index. Far ahead past changes
  // already applied: through the index to the key frame.
  const Step steps[] = {{4, 5}, {20, 1}, {2, 3}, {27, 25}, {1, 2}};
  for (const Step& step : steps) {
    SCOPED_TRACE(testing::Message() << "frame " << step.frame);
    int32_t before = image->FramesDecoded();
    image->SeekFrame(step.frame, 0);
    ASSERT_EQ(image->ReadFrame(0, 0, nullptr), step.frame);
    EXPECT_EQ(image->FramesDecoded() - before, step.decodes);
    EXPECT_TRUE(Shows(step.frame));
    const RGBQUAD& c = image->GetFrameRecord()->palette[200];
    EXPECT_EQ(c.rgbBlue, Colour200(step.frame) == 0 ? 200 : Colour200(step.frame));
  }
}

}  // namespace
}  // namespace avitest
