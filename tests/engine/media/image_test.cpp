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
