// mImage: the stream record and the unit conversions.
#include "media/image.h"

#include <gtest/gtest.h>

namespace {

class Stream : public mImage {
 public:
  void Set(int32_t rate, int32_t bits, int32_t channels) {
    format.rate = rate;
    format.bitsPerSample = bits;
    format.channels = channels;
  }
  void SetLength(int32_t length) { stream.length = length; }
};

// A derived class that changes a simple conversion changes the compound ones.
class DoubleSamples : public Stream {
 public:
  uint32_t SamplesToBytes(uint32_t samples) override { return samples * 2; }
};

TEST(ImageUnits, Defaults) {
  Stream s;
  EXPECT_EQ(s.GetStreamRecord()->current, -1);
  EXPECT_EQ(s.GetFormatRecord()->rate, 1);
  EXPECT_EQ(s.GetFormatRecord()->bitsPerSample, 8);
  EXPECT_EQ(s.GetFormatRecord()->channels, 1);
  EXPECT_EQ(s.StreamWrite(nullptr, 0), 1);
  EXPECT_EQ(s.StreamPlay(1, 1), 0);
}

TEST(ImageUnits, ConversionsRoundAsTheyShould) {
  Stream s;
  s.Set(22050, 16, 2);
  EXPECT_EQ(s.TimeToSamples(1, 0, 0), 46u);  // 22.05 rounded up to 23, times 2
  EXPECT_EQ(s.SamplesToTime(46), 1u);
  EXPECT_EQ(s.TimeToSamples(0, 1, 1), 61u * 22050u * 2u);
  EXPECT_EQ(s.BytesToSamples(3), 2u);
  EXPECT_EQ(s.TimeToBytes(1, 0, 0), 92u);
  EXPECT_EQ(s.BytesToTime(88200), 1000u);
  s.Set(8000, 4, 1);
  EXPECT_EQ(s.SamplesToBytes(3), 2u);
}

// Products of hours of sound and thousands of milliseconds pass 32 bits; the
// results do not until they cannot be held, and then stay at the largest value.
TEST(ImageUnits, LongSoundsConvertWithoutWrapping) {
  struct Case {
    const char* what;
    int32_t rate, bits, channels;
    uint32_t (*convert)(mImage&);
    uint32_t expected;
  };
  const Case cases[] = {
      {"100 s of 44.1 kHz mono as time", 44100, 16, 1, [](mImage& s) { return s.SamplesToTime(4410000); }, 100000},
      {"100 s of 44.1 kHz 16-bit mono as bytes", 44100, 16, 1, [](mImage& s) { return s.TimeToBytes(100000, 0, 0); },
       8820000},
      {"60 s of 44.1 kHz 16-bit stereo as time", 44100, 16, 2, [](mImage& s) { return s.BytesToTime(10584000); },
       60000},
      {"600 MB of 8-bit samples", 8000, 8, 1, [](mImage& s) { return s.BytesToSamples(600000000); }, 600000000},
      {"an hour in minutes at 192 kHz stereo", 192000, 16, 2, [](mImage& s) { return s.TimeToSamples(0, 0, 60); },
       1382400000},
      {"3 billion 16-bit samples", 44100, 16, 1, [](mImage& s) { return s.SamplesToBytes(3000000000u); }, UINT32_MAX},
      {"the longest time at the highest rate", 192000, 16, 2,
       [](mImage& s) { return s.TimeToSamples(UINT32_MAX, UINT32_MAX, UINT32_MAX); }, UINT32_MAX},
  };
  for (const Case& c : cases) {
    Stream s;
    s.Set(c.rate, c.bits, c.channels);
    EXPECT_EQ(c.convert(s), c.expected) << c.what;
  }
  Stream s;
  s.Set(44100, 16, 1);
  s.SetUnits(0);
  EXPECT_EQ(s.UnitsToBytes(100000), 8820000u) << "a position 100 s into the sound";
}

TEST(ImageUnits, UnitsSelectTheConversion) {
  Stream s;
  s.Set(1000, 8, 1);
  EXPECT_EQ(s.SetUnits(0), 0);
  EXPECT_EQ(s.UnitsToBytes(5), 5u);
  EXPECT_EQ(s.SetUnits(1), 1);
  EXPECT_EQ(s.UnitsToBytes(5), 5u);
  EXPECT_EQ(s.SetUnits(2), 2);
  EXPECT_EQ(s.UnitsToBytes(12345), 12345u);
  EXPECT_EQ(s.BytesToUnits(12345), 12345u);
  DoubleSamples d;
  d.Set(1000, 8, 1);
  EXPECT_EQ(d.TimeToBytes(10, 0, 0), 20u);
  d.SetUnits(0);
  EXPECT_EQ(d.UnitsToBytes(10), 20u);
}

TEST(ImageUnits, SetPositionOnlyInsideTheLength) {
  Stream s;
  s.SetLength(10);
  EXPECT_EQ(s.SetPosition(4), 4);
  EXPECT_EQ(s.SetPosition(10), 4);
  EXPECT_EQ(s.GetStreamRecord()->current, 4);
}

TEST(ImageUnits, ZeroRateOrSampleSizeGivesZeroNotACrash) {
  Stream s;
  s.Set(0, 0, 0);
  EXPECT_EQ(s.SamplesToTime(100), 0u);
  EXPECT_EQ(s.BytesToSamples(100), 0u);
  EXPECT_EQ(s.BytesToTime(100), 0u);
}

}  // namespace
