#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../../platform/kernel/res_file.h"
#include "byte_order/byte_sink.h"

namespace {

HMODULE Program() { return GetModuleHandleA(nullptr); }

std::string Bytes(HRSRC resource) {
  HGLOBAL loaded = LoadResource(Program(), resource);
  const char* data = static_cast<const char*>(LockResource(loaded));
  return data ? std::string(data, SizeofResource(Program(), resource)) : std::string();
}

TEST(Resources, CustomTypesAndNamesMatchWithoutRegardToCase) {
  HRSRC flic = FindResourceA(Program(), MAKEINTRESOURCEA(116), "flic");
  ASSERT_NE(flic, nullptr);
  EXPECT_EQ(Bytes(flic), "FLIC-116");
  EXPECT_EQ(FindResourceA(nullptr, "#116", "FLIC"), flic) << "\"#116\" is the number, null the program";
  EXPECT_EQ(FindResourceA(Program(), MAKEINTRESOURCEA(116), "Flic"), flic);

  HRSRC named = FindResourceA(Program(), "named", "fLiC");
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(Bytes(named), std::string("\x12\x34\x56\x78", 4));

  EXPECT_EQ(FindResourceA(Program(), MAKEINTRESOURCEA(117), "flic"), nullptr);
  EXPECT_EQ(FindResourceA(Program(), MAKEINTRESOURCEA(116), "FLI"), nullptr);
  EXPECT_EQ(FindResourceA(Program(), "#11x6", "flic"), nullptr);
  EXPECT_EQ(FindResourceA(Program(), "default", "PALETTE"), nullptr);
}

TEST(Resources, StandardTypesByNumber) {
  HRSRC data = FindResourceA(Program(), MAKEINTRESOURCEA(1000), RT_RCDATA);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(Bytes(data), std::string("abc\0", 4));
  EXPECT_EQ(SizeofResource(Program(), nullptr), 0u);
  EXPECT_EQ(LoadResource(Program(), reinterpret_cast<HRSRC>(&data)), nullptr) << "foreign handle";
  HMODULE other = reinterpret_cast<HMODULE>(uintptr_t{0x12340000});
  EXPECT_EQ(FindResourceA(other, MAKEINTRESOURCEA(1000), RT_RCDATA), nullptr);
}

TEST(Resources, StringsByIdAcrossBlocks) {
  char buffer[100];
  EXPECT_EQ(LoadStringA(Program(), 1, buffer, sizeof buffer), 5);
  EXPECT_STREQ(buffer, "first");
  EXPECT_EQ(LoadStringA(Program(), 17, buffer, sizeof buffer), 9);
  EXPECT_STREQ(buffer, "seventeen");
  EXPECT_EQ(LoadStringA(Program(), 4431, buffer, sizeof buffer), 17);
  EXPECT_STREQ(buffer, "last of its block");
  EXPECT_EQ(LoadStringA(Program(), 4432, buffer, sizeof buffer), 23);
  EXPECT_STREQ(buffer, "first of the next block");
  EXPECT_EQ(LoadStringA(Program(), 4448, buffer, sizeof buffer), 4);
  EXPECT_STREQ(buffer, "caf\xe9") << "converted to the ANSI code page";
}

TEST(Resources, MissingStringsGiveZeroAndAnEmptyBuffer) {
  char buffer[16];
  for (UINT id : {0u, 3u, 18u, 4400u, 4433u, 65535u, 70000u}) {
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(LoadStringA(Program(), id, buffer, sizeof buffer), 0) << id;
    EXPECT_EQ(buffer[0], '\0') << id;
  }
  EXPECT_EQ(LoadStringA(reinterpret_cast<HINSTANCE>(uintptr_t{0x1234}), 1, buffer, sizeof buffer), 0);
}

TEST(Resources, LongStringsAreCutAndTerminated) {
  char buffer[48];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(LoadStringA(Program(), 4447, buffer, 40), 39);
  EXPECT_EQ(std::string(buffer),
            std::string("a string in the 4400 range that is longer than forty characters", 39));
  EXPECT_EQ(buffer[40], '#') << "nothing written past the buffer";
  EXPECT_EQ(LoadStringA(Program(), 1, buffer, 1), 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(LoadStringA(Program(), 1, buffer, 0), 0);
  EXPECT_EQ(LoadStringA(Program(), 1, nullptr, 10), 0);
}

// A .res image built in code: the marker entry and then the given entries.
struct ResBuilder {
  ByteSink sink;
  const std::vector<uint8_t>& bytes() const { return sink.Contents(); }
  void Align() {
    while (sink.Size() % 4) sink.U8(0);
  }
  ResBuilder() { Entry(0, 0, ""); }
  // type ordinal, name ordinal (or a string name when text is not empty)
  void Entry(uint16_t type, uint16_t name, const std::string& data, const char* textName = nullptr) {
    size_t start = sink.Size();
    sink.U32(static_cast<uint32_t>(data.size()));
    sink.U32(0);  // header size, patched below
    sink.U16(0xFFFF);
    sink.U16(type);
    if (textName) {
      for (const char* p = textName; *p; ++p) sink.U16(static_cast<uint8_t>(*p));
      sink.U16(0);
    } else {
      sink.U16(0xFFFF);
      sink.U16(name);
    }
    Align();
    sink.Zeros(16);
    sink.Patch32(start + 4, static_cast<uint32_t>(sink.Size() - start));
    sink.Bytes(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    Align();
  }
};

TEST(ResFile, ParsesOrdinalAndStringIds) {
  ResBuilder res;
  res.Entry(10, 5, "hello");
  res.Entry(10, 0, "xy", "Pal");
  std::vector<plat::ResEntry> entries;
  ASSERT_TRUE(plat::ParseResFile(res.bytes().data(), res.bytes().size(), &entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(plat::ResIdMatches(entries[0].name, MAKEINTRESOURCEA(5)));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(entries[0].data), entries[0].size), "hello");
  EXPECT_TRUE(plat::ResIdMatches(entries[1].name, "pAL"));
  EXPECT_FALSE(plat::ResIdMatches(entries[1].name, "#0"));
}

TEST(ResFile, DamagedImagesGiveNoResources) {
  ResBuilder res;
  res.Entry(10, 5, "hello");
  res.Entry(10, 0, "xy", "Pal");
  const std::vector<uint8_t> good = res.bytes();
  std::vector<plat::ResEntry> entries;

  for (size_t cut = 1; cut < good.size(); ++cut) {
    // Copies, so that the sanitizer sees any read past the end.
    std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(cut));
    bool ok = plat::ParseResFile(truncated.data(), truncated.size(), &entries);
    if (!ok) {
      EXPECT_TRUE(entries.empty()) << "cut at " << cut;
    }
  }
  std::vector<uint8_t> huge = good;
  huge[32] = 0xFF, huge[33] = 0xFF, huge[34] = 0xFF, huge[35] = 0x7F;  // data size of the first entry
  EXPECT_FALSE(plat::ParseResFile(huge.data(), huge.size(), &entries));
  EXPECT_TRUE(entries.empty());

  // The second entry starts at 72 and its header ends at 108: its name "Pal"
  // at 84 loses its terminator.
  std::vector<uint8_t> unterminated = good;
  ASSERT_EQ(unterminated.size(), 112u);
  for (size_t i = 84; i < 108; ++i) unterminated[i] = 'A';
  EXPECT_FALSE(plat::ParseResFile(unterminated.data(), unterminated.size(), &entries));

  uint32_t state = 12345;
  for (int round = 0; round < 500; ++round) {
    std::vector<uint8_t> noisy = good;
    for (int flips = 0; flips < 4; ++flips) {
      state = state * 1103515245 + 12345;
      noisy[(state >> 8) % noisy.size()] ^= static_cast<uint8_t>(state >> 20);
    }
    plat::ParseResFile(noisy.data(), noisy.size(), &entries);
    for (const plat::ResEntry& entry : entries) {
      ASSERT_GE(entry.data, noisy.data());
      ASSERT_LE(entry.data + entry.size, noisy.data() + noisy.size());
    }
  }
}

}  // namespace
