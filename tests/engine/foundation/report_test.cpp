#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/byte_helpers.h"
#include "foundation/object.h"

namespace {

ReportText Build(int severity, uint32_t classId, uint32_t code, const char* detail) {
  ReportText r;
  BuildReport(severity, classId, code, detail, &r);
  return r;
}

TEST(ReportText, NamesFromTheBuiltInTables) {
  g_resourceModule = nullptr;
  EXPECT_STREQ(Build(0, 19, 0, nullptr).caption, "mSpriteGroup");
  EXPECT_STREQ(Build(0, 20, 0, nullptr).caption, "Unknown Object");
  EXPECT_STREQ(Build(0, 0, 21, nullptr).text, "Bad ProgInst Value");
  EXPECT_STREQ(Build(0, 0, 22, nullptr).text, "Unknown Error");
}

TEST(ReportText, DetailFollowsTheErrorTextAfterAColon) {
  EXPECT_STREQ(Build(0, 3, 0, "clip.flc").text, "clip.flc");
  EXPECT_STREQ(Build(0, 3, 5, "clip.flc").text, "File open error:clip.flc");
  std::string longDetail(60, 'x');
  EXPECT_EQ(std::string(Build(0, 3, 5, longDetail.c_str()).text), "File open error:" + std::string(40, 'x'));
}

TEST(ReportText, IconBySeverity) {
  EXPECT_EQ(Build(0, 0, 0, nullptr).icon, UINT(MB_ICONHAND));
  EXPECT_EQ(Build(1, 0, 0, nullptr).icon, UINT(MB_ICONQUESTION));
  EXPECT_EQ(Build(2, 0, 0, nullptr).icon, UINT(MB_ICONEXCLAMATION));
  EXPECT_EQ(Build(7, 0, 0, nullptr).icon, UINT(MB_ICONASTERISK));
}

TEST(ByteHelpers, FillWordsAtAnOddAddressKeepsTheByteOrder) {
  uint8_t buffer[8];
  std::memset(buffer, 0xEE, sizeof buffer);
  FillWords(buffer + 1, 0x1234, 2);
  const uint8_t expected[8] = {0xEE, 0x34, 0x12, 0x34, 0x12, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(0, std::memcmp(buffer, expected, sizeof buffer));
}

TEST(ByteHelpers, CountsOfZeroOrLessTouchNothing) {
  uint8_t buffer[4] = {1, 2, 3, 4};
  const uint8_t src[4] = {9, 9, 9, 9};
  CopyBytes(buffer, src, 0);
  CopyBytes(buffer, src, -3);
  FillBytes(buffer, 7, 0);
  FillWords(buffer, 0x0707, -1);
  const uint8_t expected[4] = {1, 2, 3, 4};
  EXPECT_EQ(0, std::memcmp(buffer, expected, sizeof buffer));
}

}  // namespace
