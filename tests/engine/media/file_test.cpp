// mFile: the read window over disk files and memory blocks.
#include "media/file.h"

#include <gtest/gtest.h>

#include "engine/media/media_test_util.h"
#include "support/host_fixture.h"

using mediatest::Pattern;
using mediatest::TakeReports;
using mediatest::TempFile;

namespace {

class FileTest : public testsupport::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    TakeReports();
  }
};

TEST_F(FileTest, ReadAcrossTheBufferEndIsOneContiguousCopy) {
  std::vector<uint8_t> bytes = Pattern(20000);
  TempFile file(bytes);
  mFile f;
  ASSERT_TRUE(f.Open(file.Path(), 0));
  EXPECT_EQ(f.GetFileState()->size, 20000);
  std::vector<uint8_t> got(20000, 0xEE);
  int32_t total = 0;
  for (int32_t count : {100, 8000, 5000, 6000}) {
    ASSERT_EQ(f.Read(got.data() + total, count), count);
    total += count;
    EXPECT_EQ(f.GetFileState()->position, total);
  }
  EXPECT_EQ(f.Read(got.data() + total, 5000), 900);  // short count at the end
  EXPECT_EQ(got, bytes);
  EXPECT_EQ(f.Read(got.data(), 10), -1);
  f.Close();
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(FileTest, SeekInsideTheWindowStaysThereOutsideGoesToTheFile) {
  std::vector<uint8_t> bytes = Pattern(30000);
  TempFile file(bytes);
  mFile f;
  ASSERT_TRUE(f.Open(file.Path(), 0));
  uint8_t b[4];
  ASSERT_EQ(f.Read(b, 4), 4);
  const mFile::State* s = f.GetFileState();
  uint8_t* first = s->windowFirst;
  EXPECT_EQ(f.Seek(5000, 0), 5000);
  EXPECT_EQ(s->windowFirst, first);  // same window
  ASSERT_EQ(f.Read(b, 4), 4);
  EXPECT_EQ(b[0], bytes[5000]);
  EXPECT_EQ(f.Seek(-8, 1), 5000 - 4);
  ASSERT_EQ(f.Read(b, 1), 1);
  EXPECT_EQ(b[0], bytes[4996]);
  EXPECT_EQ(f.Seek(25000, 0), 25000);  // outside: empty window, filled on demand
  EXPECT_EQ(s->readPtr, s->bufferEnd);
  ASSERT_EQ(f.Read(b, 4), 4);
  EXPECT_EQ(b[3], bytes[25003]);
  EXPECT_EQ(f.Seek(-10, 2), 29990);
  ASSERT_EQ(f.Read(b, 4), 4);
  EXPECT_EQ(b[0], bytes[29990]);
  EXPECT_EQ(f.Seek(-1, 0), -1);
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"mFile|File seek error:" + std::string(file.Path())});
  f.Close();
}

TEST_F(FileTest, RefillKeepsTheUnreadTailInFrontOfFreshData) {
  std::vector<uint8_t> bytes = Pattern(20000);
  TempFile file(bytes);
  mFile f;
  ASSERT_TRUE(f.Open(file.Path(), 0));
  const mFile::State* s = f.GetFileState();
  ASSERT_TRUE(f.EnsureBytes(16));
  ASSERT_EQ(f.Seek(8192 - 10, 0), 8182);
  ASSERT_TRUE(f.EnsureBytes(100));  // straddles the first block's end
  EXPECT_EQ(f.Tell(), 8182);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(s->readPtr[i], bytes[8182 + i]) << i;
  EXPECT_EQ(s->windowFirst, s->bufferStart - 10);
  f.Close();
}

TEST_F(FileTest, TailLargerThanTheCallersBackAreaIsDroppedNotWrittenBeforeIt) {
  std::vector<uint8_t> bytes = Pattern(5000);
  TempFile file(bytes);
  mFile f;
  ASSERT_TRUE(f.Open(file.Path(), 0));
  std::vector<uint8_t> mine(1000);
  f.SetBuffer(mine.data(), 1000, 0);
  const mFile::State* s = f.GetFileState();
  f.Refill(nullptr);
  EXPECT_EQ(s->dataEnd - s->readPtr, 1000);
  f.Refill(s->readPtr + 500);  // 500 unread, no room in front of the caller's buffer
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"mFile|Value out of range:Wrap Block"});
  EXPECT_EQ(f.Tell(), 1000);
  EXPECT_EQ(s->readPtr[0], bytes[1000]);
  f.SetBuffer(nullptr, 0, 0);
  uint8_t b;
  ASSERT_EQ(f.Read(&b, 1), 1);
  EXPECT_EQ(b, bytes[1000]);  // unread window bytes are read again after the switch
  f.Close();
}

TEST_F(FileTest, MemoryBlockEndsWhereTheBlockEnds) {
  std::vector<uint8_t> bytes = Pattern(300);
  mFile f;
  EXPECT_TRUE(f.OpenMemory(bytes.data(), 300));
  EXPECT_TRUE(f.EnsureBytes(300));
  EXPECT_EQ(f.Seek(290, 0), 290);
  EXPECT_FALSE(f.EnsureBytes(11));
  EXPECT_TRUE(f.EnsureBytes(10));
  uint8_t got[20];
  EXPECT_EQ(f.Read(got, 20), 10);
  EXPECT_EQ(f.Read(got, 20), -1);
  EXPECT_EQ(f.Seek(300, 0), 300);
  EXPECT_EQ(f.Seek(301, 0), -1);
  EXPECT_EQ(f.Seek(10, 0), 10);
  EXPECT_EQ(f.Read(got, 1), 1);
  EXPECT_EQ(got[0], bytes[10]);
  f.Close();
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"mFile|File seek error"});
}

TEST_F(FileTest, FailuresReportAndReturnTheirValues) {
  mFile f;
  EXPECT_FALSE(f.Open("/nonexistent/x.flc", 0));
  uint8_t b[4];
  EXPECT_EQ(f.Read(b, 4), 0);
  EXPECT_EQ(f.Seek(0, 0), -1);
  EXPECT_EQ(f.Write(b, 4), 0);
  EXPECT_EQ(f.Refill(nullptr), nullptr);
  EXPECT_EQ(TakeReports(), (std::vector<std::string>{"mFile|File open error:/nonexistent/x.flc", "mFile|File read error",
                                                     "mFile|File seek error", "mFile|File write error",
                                                     "mFile|File read error"}));
}

TEST_F(FileTest, DestroyingAnOpenFileWarnsOnceAndCloses) {
  TempFile file(Pattern(10));
  {
    mFile f;
    ASSERT_TRUE(f.Open(file.Path(), 0));
  }
  EXPECT_EQ(TakeReports(), std::vector<std::string>{"mFile|File not closed:" + std::string(file.Path())});
}

TEST_F(FileTest, WriteGoesToTheFileAndRaisesTheSize) {
  TempFile file(Pattern(0));
  mFile f;
  ASSERT_TRUE(f.Open(file.Path(), MMIO_READWRITE));
  EXPECT_EQ(f.Write("abcdef", 6), 6);
  EXPECT_EQ(f.GetFileState()->size, 6);
  EXPECT_EQ(f.GetFileState()->position, 6);
  f.Close();
  mFile g;
  ASSERT_TRUE(g.Open(file.Path(), 0));
  char got[8] = {};
  EXPECT_EQ(g.Read(got, 8), 6);
  EXPECT_STREQ(got, "abcdef");
  g.Close();
}

}  // namespace
