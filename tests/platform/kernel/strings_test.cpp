#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

std::string Format(const char* format, ...) {
  char buffer[1100];
  std::memset(buffer, '#', sizeof buffer);
  va_list args;
  va_start(args, format);
  int length = wvsprintfA(buffer, format, args);
  va_end(args);
  EXPECT_EQ(static_cast<size_t>(length), std::strlen(buffer));
  return buffer;
}

TEST(Wsprintf, IntegerFormatsWidthsAndFlags) {
  EXPECT_EQ(Format("%d|%i|%u|%x|%X", -42, 7, 4000000000u, 0xbeefu, 0xbeefu), "-42|7|4000000000|beef|BEEF");
  EXPECT_EQ(Format("%ld|%lu|%lx", -5, 5u, 255u), "-5|5|ff") << "l is 32-bit, as on Windows";
  EXPECT_EQ(Format("[%5d][%-5d][%05d][%-05d]", -42, -42, -42, 42), "[  -42][-42  ][-0042][42   ]");
  EXPECT_EQ(Format("[%08lX][%#x][%.3d]", 0xABCu, 255u, 7), "[00000ABC][0xff][007]");
  EXPECT_EQ(Format("%d", INT32_MIN), "-2147483648");
  EXPECT_EQ(Format("%I64d|%I64u", INT64_C(-1234567890123), UINT64_C(18446744073709551615)),
            "-1234567890123|18446744073709551615");
}

TEST(Wsprintf, TextFormats) {
  EXPECT_EQ(Format("%s:%c%c", "mFile", 'o', 'k'), "mFile:ok");
  EXPECT_EQ(Format("[%6s][%-6s][%.2s]", "ab", "ab", "abcdef"), "[    ab][ab    ][ab]");
  EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "(null)");
  EXPECT_EQ(Format("100%% %q"), "100% q");
  EXPECT_EQ(Format("end %"), "end ");
}

TEST(Wsprintf, NeverStoresMoreThan1024Bytes) {
  std::string longText(3000, 'z');
  char buffer[2048];
  std::memset(buffer, '#', sizeof buffer);
  int length = wsprintfA(buffer, "%s%s", longText.c_str(), longText.c_str());
  EXPECT_EQ(length, 1023);
  EXPECT_EQ(buffer[1023], '\0');
  EXPECT_EQ(buffer[1024], '#');
  EXPECT_EQ(wsprintfA(buffer, "%2000d", 1), 1023);
}

TEST(KernelStrings, CopiesAndComparisons) {
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  lstrcpynA(buffer, "overflowing", 5);
  EXPECT_STREQ(buffer, "over");
  EXPECT_EQ(buffer[5], '#');
  lstrcpyA(buffer, "ab");
  lstrcatA(buffer, "cd");
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(lstrlenA(buffer), 4);
  EXPECT_EQ(lstrlenA(nullptr), 0);
  EXPECT_EQ(lstrcmpiA("Flic", "FLIC"), 0);
  EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
  EXPECT_GT(lstrcmpiA("abcd", "ABC"), 0);
  EXPECT_EQ(lstrcmpiA("caf\xe9", "CAF\xc9"), 0) << "Latin-1 letters fold too";
}

TEST(KernelStrings, CharNextAndCharUpper) {
  const char* text = "ab";
  EXPECT_EQ(CharNextA(text), text + 1);
  EXPECT_EQ(CharNextA(text + 2), text + 2) << "stays on the terminator";
  char word[] = "flic \xe9t\xe9";
  EXPECT_EQ(CharUpperA(word), word);
  EXPECT_STREQ(word, "FLIC \xc9T\xc9");
  EXPECT_EQ(reinterpret_cast<uintptr_t>(CharUpperA(reinterpret_cast<LPSTR>(uintptr_t{'q'}))), uintptr_t{'Q'});
}

TEST(KernelStrings, MulDivRoundsAndGuards) {
  EXPECT_EQ(MulDiv(10, 3, 4), 8) << "7.5 rounds away from zero";
  EXPECT_EQ(MulDiv(-10, 3, 4), -8);
  EXPECT_EQ(MulDiv(10, -3, -4), 8);
  EXPECT_EQ(MulDiv(7, 1, 3), 2);
  EXPECT_EQ(MulDiv(0x40000000, 0x40000000, 0x40000000), 0x40000000) << "64-bit intermediate";
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 1), -1) << "result too large";
}

}  // namespace
