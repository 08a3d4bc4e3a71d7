// Buffered multimedia file I/O: the MMIOINFO contract the engine's file layer relies on.
#include <gtest/gtest.h>
#include <mmsystem.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class MmioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "/tmp/mmio-test-" + std::to_string(getpid()) + ".bin";
    bytes_.resize(10000);
    for (size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = static_cast<char>(i * 7 + i / 256);
    FILE* f = std::fopen(path_.c_str(), "wb");
    std::fwrite(bytes_.data(), 1, bytes_.size(), f);
    std::fclose(f);
  }
  void TearDown() override { unlink(path_.c_str()); }
  LPSTR Path() { return path_.data(); }

  std::string path_;
  std::vector<char> bytes_;
};

TEST_F(MmioTest, OpenMissingFileFailsWithReason) {
  MMIOINFO info{};
  char name[] = "/nonexistent/dir/file";
  EXPECT_EQ(mmioOpenA(name, &info, MMIO_READ), nullptr);
  EXPECT_EQ(info.wErrorRet, static_cast<UINT>(MMIOERR_FILENOTFOUND));
}

TEST_F(MmioTest, AdvanceFillsTheCallersBufferBlockByBlock) {
  HMMIO h = mmioOpenA(Path(), nullptr, MMIO_READ);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_END), 10000);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_SET), 0);
  std::vector<char> buffer(4096);
  ASSERT_EQ(mmioSetBuffer(h, buffer.data(), 4096, 0), MMSYSERR_NOERROR);
  MMIOINFO info;
  ASSERT_EQ(mmioGetInfo(h, &info, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(info.pchBuffer, buffer.data());
  EXPECT_EQ(info.pchNext, info.pchEndRead);  // empty until advanced

  LONG expectOffset = 0;
  for (LONG expectBytes : {4096, 4096, 1808, 0}) {
    info.pchNext = info.pchEndRead;  // everything consumed
    ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_NOERROR);
    EXPECT_EQ(info.lBufOffset, expectOffset);
    EXPECT_EQ(info.pchNext, info.pchBuffer);
    ASSERT_EQ(info.pchEndRead - info.pchBuffer, expectBytes);
    EXPECT_EQ(info.lDiskOffset, expectOffset + expectBytes);
    for (LONG i = 0; i < expectBytes; ++i) ASSERT_EQ(info.pchBuffer[i], bytes_[expectOffset + i]);
    expectOffset += expectBytes;
  }
  ASSERT_EQ(mmioSetInfo(h, &info, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
}

TEST_F(MmioTest, ReadAndSeekThroughOwnBuffer) {
  HMMIO h = mmioOpenA(Path(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  ASSERT_NE(h, nullptr);
  char got[300];
  EXPECT_EQ(mmioRead(h, got, 300), 300);
  EXPECT_EQ(0, memcmp(got, bytes_.data(), 300));
  EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 300);
  EXPECT_EQ(mmioSeek(h, -100, SEEK_CUR), 200);  // inside the buffer
  EXPECT_EQ(mmioRead(h, got, 10), 10);
  EXPECT_EQ(0, memcmp(got, bytes_.data() + 200, 10));
  EXPECT_EQ(mmioSeek(h, 9995, SEEK_SET), 9995);  // outside it
  EXPECT_EQ(mmioRead(h, got, 300), 5);
  EXPECT_EQ(0, memcmp(got, bytes_.data() + 9995, 5));
  EXPECT_EQ(mmioRead(h, got, 300), 0);
  EXPECT_EQ(mmioSeek(h, -1, SEEK_SET), -1);
  mmioClose(h, 0);
}

TEST_F(MmioTest, WritesReachTheFileAtFlushAndClose) {
  HMMIO h = mmioOpenA(Path(), nullptr, MMIO_CREATE | MMIO_READWRITE | MMIO_ALLOCBUF);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(mmioWrite(h, "hello ", 6), 6);
  std::string big(9000, 'x');
  EXPECT_EQ(mmioWrite(h, big.data(), 9000), 9000);  // crosses the 8192-byte buffer
  EXPECT_EQ(mmioFlush(h, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_END), 9006);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_SET), 0);
  char got[6];
  EXPECT_EQ(mmioRead(h, got, 6), 6);
  EXPECT_EQ(std::string(got, 6), "hello ");
  EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioClose(h, 0), static_cast<MMRESULT>(MMSYSERR_INVALHANDLE));
}

TEST_F(MmioTest, AdvanceWritesADirtyBufferBack) {
  HMMIO h = mmioOpenA(Path(), nullptr, MMIO_READWRITE);
  ASSERT_NE(h, nullptr);
  std::vector<char> buffer(16);
  mmioSetBuffer(h, buffer.data(), 16, 0);
  MMIOINFO info;
  mmioGetInfo(h, &info, 0);
  ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_NOERROR);
  info.pchNext[0] = 'Q';
  info.pchNext += 1;
  info.dwFlags |= MMIO_DIRTY;
  info.pchNext = info.pchEndRead;
  ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_NOERROR);
  EXPECT_EQ(info.lBufOffset, 16);
  mmioSetInfo(h, &info, 0);
  mmioClose(h, 0);
  FILE* f = std::fopen(path_.c_str(), "rb");
  char first = 0;
  ASSERT_EQ(std::fread(&first, 1, 1, f), 1u);
  std::fclose(f);
  EXPECT_EQ(first, 'Q');
}

TEST_F(MmioTest, UnbufferedStreamRefusesAdvance) {
  HMMIO h = mmioOpenA(Path(), nullptr, MMIO_READ);
  ASSERT_NE(h, nullptr);
  MMIOINFO info;
  mmioGetInfo(h, &info, 0);
  EXPECT_EQ(mmioAdvance(h, &info, MMIO_READ), static_cast<MMRESULT>(MMIOERR_UNBUFFERED));
  char got[4];
  EXPECT_EQ(mmioRead(h, got, 4), 4);
  EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 4);
  mmioClose(h, 0);
}

}  // namespace
