#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "orvanel/host.h"
#include "orvanel/memory_blocks.h"
#include "support/host_fixture.h"

namespace {

TEST(GlobalMemory, FixedBlockIsItsOwnHandleAndZeroInitialised) {
  HGLOBAL block = GlobalAlloc(GPTR, 300);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalLock(block), block);
  EXPECT_EQ(GlobalHandle(block), block);
  EXPECT_EQ(GlobalSize(block), 300u);
  EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u);
  const auto* bytes = static_cast<const uint8_t*>(block);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, MovableBlockCountsLocksAndHasItsOwnHandle) {
  HGLOBAL handle = GlobalAlloc(GHND, 64);
  ASSERT_NE(handle, nullptr);
  auto* first = static_cast<uint8_t*>(GlobalLock(handle));
  ASSERT_NE(first, nullptr);
  EXPECT_NE(static_cast<void*>(first), handle);
  EXPECT_EQ(GlobalHandle(first), handle);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(first[i], 0);
  EXPECT_EQ(GlobalLock(handle), first);
  EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 2u);

  EXPECT_TRUE(GlobalUnlock(handle)) << "still locked once";
  SetLastError(12345);
  EXPECT_FALSE(GlobalUnlock(handle));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "unlocked for good";
  EXPECT_FALSE(GlobalUnlock(handle));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
  EXPECT_EQ(GlobalFree(handle), nullptr);
}

TEST(GlobalMemory, LockedBlockIsFreedAndStaleHandlesFailCleanly) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, 16);
  ASSERT_NE(GlobalLock(handle), nullptr);
  EXPECT_EQ(GlobalFlags(handle) & GMEM_DDESHARE, static_cast<UINT>(GMEM_DDESHARE));
  EXPECT_EQ(GlobalFree(handle), nullptr) << "a locked block is freed all the same";

  EXPECT_EQ(GlobalFree(handle), handle) << "second free fails, returning the handle";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalLock(handle), nullptr);
  EXPECT_EQ(GlobalSize(handle), 0u);
  EXPECT_EQ(GlobalFlags(handle), static_cast<UINT>(GMEM_INVALID_HANDLE));
  int local = 0;
  EXPECT_EQ(GlobalHandle(&local), nullptr);
}

TEST(GlobalMemory, AbsurdSizesFailWithoutAborting) {
  for (SIZE_T size : {SIZE_T(-1), SIZE_T(1) << 40, SIZE_T(-1) / 2}) {
    SetLastError(0);
    EXPECT_EQ(GlobalAlloc(GMEM_FIXED, size), nullptr) << size;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(GlobalAlloc(GHND, size), nullptr) << size;
  }
  HGLOBAL handle = GlobalAlloc(GHND, 8);
  EXPECT_EQ(GlobalReAlloc(handle, SIZE_T(-1), GMEM_MOVEABLE), nullptr);
  EXPECT_EQ(GlobalSize(handle), 8u) << "a failed resize keeps the block";
  GlobalFree(handle);
}

TEST(GlobalMemory, EmptyMovableBlockIsDiscarded) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(GlobalLock(handle), nullptr);
  EXPECT_EQ(GlobalFlags(handle) & GMEM_DISCARDED, static_cast<UINT>(GMEM_DISCARDED));
  EXPECT_EQ(GlobalFree(handle), nullptr);
}

TEST(GlobalMemory, ReAllocKeepsContentsZeroesGrowthAndNeverMovesALockedBlock) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, 4);
  auto* data = static_cast<char*>(GlobalLock(handle));
  std::memcpy(data, "abcd", 4);
  EXPECT_EQ(GlobalReAlloc(handle, 4096, GMEM_MOVEABLE), nullptr) << "growing a locked block would move it";
  EXPECT_EQ(GlobalReAlloc(handle, 2, 0), handle) << "shrinking stays in place";
  EXPECT_EQ(GlobalSize(handle), 2u);
  GlobalUnlock(handle);

  EXPECT_EQ(GlobalReAlloc(handle, 4096, GMEM_MOVEABLE | GMEM_ZEROINIT), handle);
  auto* grown = static_cast<char*>(GlobalLock(handle));
  EXPECT_EQ(std::memcmp(grown, "ab", 2), 0);
  for (int i = 2; i < 4096; ++i) ASSERT_EQ(grown[i], 0) << "byte " << i;
  EXPECT_EQ(GlobalHandle(grown), handle);
  GlobalFree(handle);

  HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 4);
  EXPECT_EQ(GlobalReAlloc(fixed, 1 << 20, 0), nullptr) << "a fixed block moves only when allowed";
  HGLOBAL moved = GlobalReAlloc(fixed, 1 << 20, GMEM_MOVEABLE);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(GlobalHandle(moved), moved);
  EXPECT_EQ(GlobalSize(moved), size_t{1} << 20);
  GlobalFree(moved);
}

TEST(GlobalMemory, ShutdownFreesWhatIsLeftAndOldHandlesStayInvalid) {
  testsupport::StartHeadless();
  size_t before = host::LiveGlobalBlocks();
  HGLOBAL movable = GlobalAlloc(GHND, 100);
  ASSERT_NE(GlobalLock(movable), nullptr);
  EXPECT_EQ(host::LiveGlobalBlocks(), before + 1);
  host::Shutdown();
  EXPECT_EQ(host::LiveGlobalBlocks(), 0u);
  testsupport::StartHeadless();
  HGLOBAL fresh = GlobalAlloc(GHND, 100);
  EXPECT_NE(fresh, movable) << "handles are not reused";
  EXPECT_EQ(GlobalFree(movable), movable);
  EXPECT_EQ(GlobalFree(fresh), nullptr);
  host::Shutdown();
}

}  // namespace
