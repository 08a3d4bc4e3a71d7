#include "../../../platform/advapi/registry_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string Noise(uint32_t seed, size_t length, const std::string& alphabet) {
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    seed = seed * 1664525 + 1013904223;
    text += alphabet[(seed >> 16) % alphabet.size()];
  }
  return text;
}

// Whatever a file holds, writing what was read and reading it again changes
// nothing more: no line is lost or altered on the second round.
TEST(RegistryFile, RewritingIsStableForAnyInput) {
  const std::string alphabet =
      std::string("[]=%:@;#\\\n\r ,()0123456789abcdefxhdwordszABC", 44) + '\0' + "\xff\x80";
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::string input = Noise(seed, 40 + seed % 400, alphabet);
    std::string once = plat::RegDocument::Parse(input).Serialize();
    std::string twice = plat::RegDocument::Parse(once).Serialize();
    ASSERT_EQ(twice, once) << "seed " << seed;
  }
}

TEST(RegistryFile, DuplicateKeysMergeAndTheLastValueWins) {
  plat::RegDocument document = plat::RegDocument::Parse(
      "[A\\B]\nx=dword:1\n[a\\b]\nx=dword:2\ny=sz:two words\n[\\A\\\\C\\]\nz=hex:\n");
  const plat::RegValue* x = document.FindValue("a\\B", "X");
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->data[0], 2);
  const plat::RegValue* y = document.FindValue("A\\B", "y");
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(std::string(y->data.begin(), y->data.end()), std::string("two words\0", 10));
  EXPECT_TRUE(document.KeyExists("a"));
  EXPECT_TRUE(document.KeyExists("A\\C")) << "empty components are dropped";
  EXPECT_FALSE(document.KeyExists("A\\"));
  EXPECT_FALSE(document.KeyExists("A\\BC"));

  document.SetValue("A\\B", plat::RegValue{"x", REG_DWORD, {9, 0, 0, 0}});
  std::string text = document.Serialize();
  EXPECT_EQ(text.find("x=dword:1"), std::string::npos) << text;
  EXPECT_EQ(text.find("x=dword:2"), std::string::npos) << text;
  EXPECT_NE(text.find("x=dword:9"), std::string::npos) << text;
}

TEST(RegistryFile, NumbersOutOfRangeAreNotValues) {
  plat::RegDocument document = plat::RegDocument::Parse(
      "[K]\nbig=dword:4294967296\nneg=dword:-1\nhex=dword:0xffffffff\nbad=hex:1,2\n");
  EXPECT_EQ(document.FindValue("K", "big"), nullptr);
  EXPECT_EQ(document.FindValue("K", "neg"), nullptr);
  EXPECT_EQ(document.FindValue("K", "bad"), nullptr);
  ASSERT_NE(document.FindValue("K", "hex"), nullptr);
  EXPECT_EQ(document.FindValue("K", "hex")->data, (std::vector<uint8_t>{0xff, 0xff, 0xff, 0xff}));
  EXPECT_NE(document.Serialize().find("big=dword:4294967296"), std::string::npos) << "kept as it was";
}

}  // namespace
